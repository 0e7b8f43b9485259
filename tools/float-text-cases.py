#!/usr/bin/env python3
# Writes the cases the float text cross-check compares against (tests/unit/core/float_text_test.cpp
# runs it): one line per double, from a fixed seed, with what this machine's Python makes of it:
#   bits(hex) repr n "%.{n-1}e" "%.16g" "%.7g" "%.5g" "%.14g" long-text bits-of-float(long-text)
# The doubles mix every bit pattern but NaN and infinity with short decimals, powers of two,
# subnormals, integers and plain uniform values. The long texts read back the hard way: more digits
# than a double holds, points halfway between two doubles (some nudged by a last digit past the
# 800th), and random digits with exponents beyond the double range.
#   tools/float-text-cases.py [count]
import math
import random
import struct
import sys
from decimal import Decimal, getcontext

getcontext().prec = 2000
rnd = random.Random(20240611)


def from_bits(b):
    return struct.unpack('<d', struct.pack('<Q', b))[0]


def bits(x):
    return struct.unpack('<Q', struct.pack('<d', x))[0]


def sample(i):
    kind = i % 10
    if kind < 5:
        while True:
            b = rnd.getrandbits(64)
            if (b >> 52) & 0x7FF != 0x7FF:
                return from_bits(b)
    if kind == 5:
        return rnd.randint(-10**7, 10**7) / 10.0 ** rnd.randint(0, 8)
    if kind == 6:
        return math.ldexp(rnd.choice((-1.0, 1.0)), rnd.randint(-1074, 1023))
    if kind == 7:
        return from_bits(rnd.getrandbits(rnd.randint(1, 53)))
    if kind == 8:
        return float(rnd.getrandbits(rnd.randint(1, 70)))
    return rnd.uniform(-1e6, 1e6)


def midpoint(x):
    a = abs(x)
    b = math.nextafter(a, math.inf)
    if math.isinf(b):
        return '%.17e' % x
    m = (Decimal(a) + Decimal(b)) / 2
    nudge = rnd.randrange(3)
    if nudge:
        m += Decimal(nudge * 2 - 3) * Decimal(10) ** (m.adjusted() - rnd.choice((30, 790, 810)))
    return ('-' if x < 0 else '') + format(m, 'e')


def long_text(i, x):
    c = i % 20
    if c == 0:
        return midpoint(x)
    if c < 8:
        return '%.*e' % (rnd.randint(17, 40), x)
    digits = ''.join(rnd.choice('0123456789') for _ in range(rnd.randint(1, 30)))
    return digits[:1] + '.' + digits[1:] + 'e' + str(rnd.randint(-345, 330))


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 100000
    out = sys.stdout
    for i in range(count):
        x = sample(i)
        n = i % 17 + 1
        t = long_text(i, x)
        out.write('%016x %r %d %.*e %.16g %.7g %.5g %.14g %s %016x\n'
                  % (bits(x), x, n, n - 1, x, x, x, x, x, t, bits(float(t))))


main()
