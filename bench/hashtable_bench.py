# bench/hashtable_bench.py: python3's dict inserting and finding the same string keys as the hash
# table benchmark; prints nanoseconds per key: loop insert, loop find, builtin insert, builtin find.
import sys
import time


def keys(n):
    # new string objects each time, so no hash is cached from an earlier round
    return ["k%x" % ((i * 2654435761) & 0xFFFFFFFF) for i in range(n)]


def loop_insert(ks):
    d = {}
    for i, k in enumerate(ks):
        d[k] = i
    return d


def loop_find(d, ks):
    total = 0
    for k in ks:
        total += d[k]
    return total


def best(n, rounds, run):
    result = float("inf")
    for _ in range(rounds):
        result = min(result, run())
    return result * 1e9 / n


def timed(fn, *args):
    start = time.perf_counter()
    fn(*args)
    return time.perf_counter() - start


def main():
    n = int(sys.argv[1])
    rounds = 3
    expected = n * (n - 1) // 2
    figures = []
    for insert, find in ((loop_insert, loop_find),
                         (lambda ks: dict(zip(ks, range(len(ks)))),
                          lambda d, ks: sum(map(d.__getitem__, ks)))):
        def insert_round():
            ks = keys(n)
            return timed(insert, ks)

        def find_round():
            d = insert(keys(n))
            ks = keys(n)
            start = time.perf_counter()
            total = find(d, ks)
            elapsed = time.perf_counter() - start
            assert total == expected
            return elapsed

        figures += [best(n, rounds, insert_round), best(n, rounds, find_round)]
    print(" ".join("%.1f" % f for f in figures))


main()
