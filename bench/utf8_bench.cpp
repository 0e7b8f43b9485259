// bench/utf8_bench.cpp: decoding 100 MB of mixed UTF-8 into a string and encoding it back, against
// python3's bytes.decode and str.encode on the same bytes in the same run.
//
//   bench/run-utf8.sh [megabytes] [rounds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "boot/runtime.hpp"
#include "core/text/unicode.hpp"
#include "core/stack.hpp"
#include "values/text/string_storage.hpp"

namespace {

using Clock = std::chrono::steady_clock;

// Text of words in several scripts: mostly ASCII, with Latin-1 accents, Cyrillic, CJK and, when
// astral is set, an emoji now and then (which makes the string 4-byte units).
std::string mixed_text(size_t bytes, bool astral) {
  static const char* const words[] = {
      "the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "runtime", "series",
      "caf\xC3\xA9", "na\xC3\xAFve", "gar\xC3\xA7on", "\xC3\xBC" "ber",
      "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "\xD0\xBC\xD0\xB8\xD1\x80",
      "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "\xE4\xB8\xAD\xE6\x96\x87", "\xE2\x82\xAC" "42",
      "\xCE\xB1\xCE\xB2\xCE\xB3", "\xE2\x80\x94"};
  std::mt19937 rng(42);
  std::string out;
  out.reserve(bytes + 64);
  while (out.size() < bytes) {
    out += words[rng() % (sizeof words / sizeof *words)];
    if (astral && rng() % 16 == 0) out += "\xF0\x9F\x98\x80";
    out += rng() % 12 == 0 ? '\n' : ' ';
  }
  out.resize(bytes);
  while (!out.empty() && (static_cast<uint8_t>(out.back()) & 0xC0) == 0x80) out.pop_back();
  if (!out.empty() && static_cast<uint8_t>(out.back()) >= 0xC0) out.pop_back();
  return out;
}

struct Times {
  double decode = 1e9, encode = 1e9;
};

// Best of rounds, each on a fresh runtime so that memory does not pile up between rounds.
Times ours(const std::string& data, int rounds, bool& same) {
  Times best;
  for (int r = 0; r < rounds; ++r) {
    vyn::runtime::init();
    auto t0 = Clock::now();
    vyn::Cell* s = vyn::string::load(vyn::unicode::outside(data.data()), static_cast<uint32_t>(data.size()),
                                     nullptr, vyn::string::encoding_utf8);
    auto t1 = Clock::now();
    int32_t length = -1;
    const char* back = vyn::unicode::to_utf8(s, length);
    auto t2 = Clock::now();
    same = static_cast<size_t>(length) == data.size() && std::equal(data.begin(), data.end(), back);
    best.decode = std::min(best.decode, std::chrono::duration<double>(t1 - t0).count());
    best.encode = std::min(best.encode, std::chrono::duration<double>(t2 - t1).count());
    vyn::runtime::shutdown();
  }
  return best;
}

Times python(const std::string& path, int rounds) {
  std::string cmd =
      "python3 -c \"import sys, time\n"
      "data = open(sys.argv[1], 'rb').read()\n"
      "d = e = 1e9\n"
      "for _ in range(int(sys.argv[2])):\n"
      "    t0 = time.perf_counter(); s = data.decode('utf-8'); t1 = time.perf_counter()\n"
      "    b = s.encode('utf-8'); t2 = time.perf_counter()\n"
      "    assert b == data\n"
      "    d = min(d, t1 - t0); e = min(e, t2 - t1); del s, b\n"
      "print(d, e)\" " + path + " " + std::to_string(rounds);
  Times t;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p || std::fscanf(p, "%lf %lf", &t.decode, &t.encode) != 2) t = Times{0, 0};
  if (p) pclose(p);
  return t;
}

void report(const char* name, const std::string& data, int rounds) {
  char path[] = "/tmp/vyn-utf8-bench-XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0 || write(fd, data.data(), data.size()) != static_cast<ssize_t>(data.size())) {
    std::perror("temporary file");
    std::exit(1);
  }
  close(fd);
  bool same = false;
  Times v = ours(data, rounds, same);
  Times py = python(path, rounds);
  unlink(path);
  double mb = static_cast<double>(data.size()) / 1e6;
  std::printf("%s, %.0f MB%s\n", name, mb, same ? "" : "  (ROUND TRIP DIFFERS)");
  std::printf("  %-8s vyn %7.1f ms %7.0f MB/s   python3 %7.1f ms %7.0f MB/s   python3/vyn %.2f\n",
              "decode", v.decode * 1e3, mb / v.decode, py.decode * 1e3, mb / py.decode, py.decode / v.decode);
  std::printf("  %-8s vyn %7.1f ms %7.0f MB/s   python3 %7.1f ms %7.0f MB/s   python3/vyn %.2f\n",
              "encode", v.encode * 1e3, mb / v.encode, py.encode * 1e3, mb / py.encode, py.encode / v.encode);
  double vt = v.decode + v.encode, pt = py.decode + py.encode;
  std::printf("  %-8s vyn %7.1f ms %18s python3 %7.1f ms %18s python3/vyn %.2f\n", "both", vt * 1e3, "",
              pt * 1e3, "", pt / vt);
}

}  // namespace

int main(int argc, char** argv) {
  size_t mb = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
  int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  std::printf("best of %d rounds; a ratio above 1 means vyn is faster\n", rounds);
  report("mixed UTF-8 with emoji (4-byte units)", mixed_text(mb * 1000000, true), rounds);
  report("mixed UTF-8 within the BMP (2-byte units)", mixed_text(mb * 1000000, false), rounds);
  return 0;
}
