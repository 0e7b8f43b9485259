// core/cell_pool.cpp: the pool of spare cells.
#include "core/cell_pool.hpp"

#include <cassert>
#include <vector>

#include "core/roots.hpp"
#include "core/series.hpp"

namespace vyn::cellpool {
namespace {

struct Pool {
  Cell block = make_none();  // the pool's block! cell; its node never changes but for compaction
  int32_t capacity = 0;
  int32_t first_free = -1;   // 0-based, -1 when none is free
  std::vector<bool> taken;   // so that freeing a free cell cannot loop the free chain
};
Pool pool;

Cell* cells() { return reinterpret_cast<Cell*>(buffer_of(series_node(pool.block))->data()); }

}  // namespace

void init() {
  pool = Pool{};
  NodeId node = alloc::new_cells(initial_capacity);
  pool.block = make_series(Type::block, node);
  pool.capacity = static_cast<int32_t>(buffer_of(node)->size / sizeof(Cell));
  pool.taken.assign(pool.capacity, false);
  link(0);
}

void link(int32_t first) {
  Cell* c = cells();
  for (int32_t i = first; i < pool.capacity; ++i) c[i] = make_integer(i + 1 < pool.capacity ? i + 1 : -1);
  SeriesBuffer* b = buffer_of(series_node(pool.block));
  b->tail = b->head + static_cast<uint32_t>(pool.capacity) * sizeof(Cell);
  pool.first_free = first < pool.capacity ? first : -1;
}

Cell* at(int32_t n) {
  assert(n >= 1 && n <= pool.capacity && "a pool index");
  return cells() + (n - 1);
}

int32_t alloc(Cell value) {
  if (pool.first_free == -1) {
    Root keep(value);  // growing may collect
    int32_t old = pool.capacity;
    SeriesBuffer* b = alloc::expand_series_copy(series_node(pool.block), old * 2 * sizeof(Cell));
    pool.capacity = static_cast<int32_t>(b->size / sizeof(Cell));
    pool.taken.resize(pool.capacity, false);
    link(old);
    value = *keep;
  }
  int32_t index = pool.first_free;
  Cell* c = cells() + index;
  pool.first_free = c->int_value();
  *c = value;
  pool.taken[index] = true;
  return index + 1;
}

void free(int32_t n) {
  int32_t index = n - 1;
  if (index < 0 || index >= pool.capacity || !pool.taken[index]) return;
  cells()[index] = make_integer(pool.first_free);
  pool.first_free = index;
  pool.taken[index] = false;
}

Cell* block() { return &pool.block; }
int32_t capacity() { return pool.capacity; }

}  // namespace vyn::cellpool
