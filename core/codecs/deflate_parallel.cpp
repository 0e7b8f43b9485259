// core/codecs/deflate_parallel.cpp: a large input's parse in segments, each on its own thread from an
// empty state. Each parse runs on past its segment's end, over the start of the next; where the
// two parses stand in the same state at the same position they make the same symbols from there
// on, so the segments join there, and the joined symbols are exactly those of one parse over the
// whole input. Where two never meet, the later segment is parsed again from the earlier one's
// state. The block writer then takes the symbols in order, as it does from one parse.
#include "core/codecs/deflate_parallel.hpp"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#include "core/alloc_limit.hpp"
#include "core/heap.hpp"

namespace vyn::compress {
namespace {

constexpr uint32_t segment_size = uint32_t{1} << 20;
constexpr uint32_t overlap = 16384;  // iterations two neighbouring parses both run
constexpr uint32_t threads = 4;
constexpr uint32_t slots = threads + 1;  // the segments of one round, and the last of the round before
// A segment is at most two segment sizes long (the last takes the remainder); it makes at most one
// symbol per iteration.
constexpr uint32_t symbols_per_slot = 2 * segment_size + overlap;

struct Record {
  ParseState state;
  uint32_t symbols;  // how many the parse had made before this iteration
};

// One segment's parse over [start, stop): its own part [start, end) and the overlap after it.
struct Segment {
  uint32_t start, end, stop;
  uint32_t* symbols;
  uint32_t count;
  Record* head;  // the state at each of the first overlap iterations from start
  Record* tail;  // the state at each iteration of the overlap from end
  uint32_t head_count, tail_count;
  ParseState state;  // at stop
  uint32_t begin;    // the first of its symbols that belongs to the whole parse
};

struct Recorder {
  Segment& g;
  const uint8_t* data;
  bool keep_head;
  void at(uint32_t i, const ParseState& s) {
    if (keep_head && i - g.start < overlap) g.head[g.head_count++] = {s, g.count};
    else if (i >= g.end && i - g.end < overlap) g.tail[g.tail_count++] = {s, g.count};
  }
  void literal(uint32_t position) { g.symbols[g.count++] = data[position - 1]; }
  void match(Match m) { g.symbols[g.count++] = uint32_t(m.distance) << 8 | uint32_t(m.length - 3); }
};

// Parses the segment's iterations from `from` on, from state s, with the window before them warm.
void run(Segment& g, Chains& t, const uint8_t* data, uint32_t n, ParseState s, uint32_t from) {
  std::memset(t.head, 0, sizeof t.head);
  g.count = g.head_count = g.tail_count = 0;
  Recorder r{g, data, from == g.start};
  uint32_t warm = from > uint32_t(window) ? from - window : 1;
  parse(t, data, n, warm, from, g.stop, s, r);
  g.state = s;
}

void emit(BlockWriter& blocks, const Segment& g, uint32_t end) {
  for (uint32_t k = g.begin; k < end; ++k) blocks.emit(g.symbols[k]);
}

// Writes a's symbols up to where b takes over, and sets where b's own start.
void join(BlockWriter& blocks, const Segment& a, Segment& b, Chains& spare, uint32_t n) {
  uint32_t both = std::min(a.tail_count, b.head_count);
  for (uint32_t j = 0; j < both; ++j) {
    if (a.tail[j].state == b.head[j].state) {
      emit(blocks, a, a.tail[j].symbols);
      b.begin = b.head[j].symbols;
      return;
    }
  }
  emit(blocks, a, a.count);
  run(b, spare, blocks.data, n, a.state, a.stop);
  b.begin = 0;
}

// Everything the parses need, in one tracked block.
struct Space {
  Chains chains[threads];
  Segment segments[slots];
};

}  // namespace

bool encode_parallel(BlockWriter& blocks, uint32_t n) {
  size_t per_slot = symbols_per_slot * sizeof(uint32_t) + 2 * overlap * sizeof(Record);
  size_t bytes = sizeof(Space) + slots * per_slot;
  std::optional<alloc::Scratch> charge;
  try {
    charge.emplace(bytes);
  } catch (const std::bad_alloc&) {
    return false;  // past the allocation cap: the one-pass parse makes the same symbols
  }
  auto* raw = static_cast<uint8_t*>(heap::alloc(bytes));
  auto* space = reinterpret_cast<Space*>(raw);
  for (uint32_t k = 0; k < slots; ++k) {
    uint8_t* at = raw + sizeof(Space) + k * per_slot;
    Segment& g = space->segments[k];
    g.symbols = reinterpret_cast<uint32_t*>(at);
    g.head = reinterpret_cast<Record*>(at + symbols_per_slot * sizeof(uint32_t));
    g.tail = g.head + overlap;
  }
  const uint8_t* data = blocks.data;
  uint32_t m = n / segment_size;
  Segment* last = nullptr;
  for (uint32_t first = 0; first < m; first += threads) {
    uint32_t count = std::min(threads, m - first);
    std::thread helpers[threads];
    for (uint32_t j = 0; j < count; ++j) {
      uint32_t k = first + j;
      Segment& g = space->segments[k % slots];
      g.start = 1 + k * segment_size;
      g.end = k + 1 == m ? n + 1 : g.start + segment_size;
      g.stop = k + 1 == m ? n + 1 : g.end + overlap;
      Chains& t = space->chains[j];
      auto task = [&g, &t, data, n] { run(g, t, data, n, ParseState{}, g.start); };
      if (j == 0) continue;
      try {
        helpers[j] = std::thread(task);
      } catch (const std::system_error&) {
        task();  // no thread to be had: parsed here instead
      }
    }
    run(space->segments[first % slots], space->chains[0], data, n, ParseState{}, 1 + first * segment_size);
    for (std::thread& h : helpers)
      if (h.joinable()) h.join();
    for (uint32_t j = 0; j < count; ++j) {
      Segment& g = space->segments[(first + j) % slots];
      if (last) join(blocks, *last, g, blocks.w.chains, n);
      else g.begin = 0;
      last = &g;
    }
  }
  emit(blocks, *last, last->count);
  ParseState end = last->state;
  heap::free(raw);
  finish(blocks, end, n);
  return true;
}

}  // namespace vyn::compress
