// values/text/file_actions.cpp: read, write, query, delete and rename of file! values through the
// platform's file layer. Failures to open or read raise access/cannot-open with the file, failures
// to write access/cannot-write with the file and the system's reason.
#include "values/text/file_actions.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/error.hpp"
#include "core/series.hpp"
#include "values/dispatch_direct.hpp"
#include "core/stack.hpp"
#include "platform/file_io.hpp"
#include "values/series/block.hpp"
#include "values/numbers/date.hpp"
#include "values/text/string_storage.hpp"
#include "values/text/url.hpp"
#include "values/words/word.hpp"

namespace vyn::file {
namespace {

// A name ending in "/", or naming "." or ".." as its last segment, stands for a directory. A
// backslash is an ordinary character in the system's names.
bool dir_path_q(const std::string& s) {
  size_t n = s.size();
  if (n == 0) return false;
  auto slash = [](char c) { return c == '/'; };
  char c1 = s[n - 1];
  if (slash(c1)) return true;
  if (c1 != '.') return false;
  if (n == 1 || slash(s[n - 2])) return true;
  return s[n - 2] == '.' && (n == 2 || slash(s[n - 3]));
}

[[noreturn]] void cannot_open(Cell* file) { fire(Err::access_cannot_open, {*file}); }

// A storage fault met while creating the file is a failed write, as it is once the file is open.
bool storage_fault_q(int error) {
  return error == ENOSPC || error == EDQUOT || error == EIO || error == EROFS || error == EFBIG;
}

// A file that cannot be opened raises access/cannot-open; bytes that did not reach it
// access/cannot-write, with the system's reason.
void check_written(Cell* file, const os::WriteResult& done) {
  if (done) return;
  if (!done.opened && !storage_fault_q(done.error)) cannot_open(file);
  Cell* reason = push_name(os::error_text(done.error), Type::string);
  fire(Err::access_cannot_write, {*file, *reason});
}

int64_t int_of(Cell* cell, const char* refinement) {
  if (!cell) return -1;
  if (!cell->is(Type::integer)) {
    fire(Err::script_invalid_refine_arg, {word::load(refinement), *cell});
  }
  return cell->int_value();
}

Cell* binary_of(const std::string& bytes) {
  Cell* out =
      stack::push(make_series(Type::binary, alloc::new_bytes(static_cast<uint32_t>(bytes.size()))));
  SeriesBuffer* b = buffer_of(series_node(*out));
  std::copy(bytes.begin(), bytes.end(), b->data());
  b->tail = static_cast<uint32_t>(bytes.size());
  return out;
}

// A regular file read as binary! goes straight into the series; nullptr for other files, which
// are read in pieces.
Cell* binary_read(Cell* file, const std::string& path, int64_t seek, int64_t part) {
  Cell* out = nullptr;
  bool regular = true;
  auto done = os::read_part_into(path, seek, part, [&](size_t size) {
    if (size > 0x7FFFFFF0u) fire(Err::internal_no_memory);
    out = stack::push(make_series(Type::binary, alloc::new_bytes(static_cast<uint32_t>(size))));
    return buffer_of(series_node(*out))->data();  // nothing allocates while the file is read
  }, &regular);
  if (!regular) return nullptr;
  if (!done) cannot_open(file);
  buffer_of(series_node(*out))->tail = static_cast<uint32_t>(*done);
  return out;
}

Cell* text_of(const char* bytes, size_t length) {
  return string::load_utf8_checked(unicode::outside(bytes), static_cast<uint32_t>(length));
}
Cell* text_of(const std::string& bytes) { return text_of(bytes.data(), bytes.size()); }

// One string per line; a CR before the LF goes, and a final LF adds no empty line. The lines are
// counted first, so the block is made once at its size.
Cell* lines_of(const std::string& bytes) {
  size_t count = static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
  if (!bytes.empty() && bytes.back() != '\n') ++count;
  if (count > 0x7FFFFFF0u / sizeof(Cell)) fire(Err::internal_no_memory);
  Cell* out = block::make_at(stack::push_unset(), static_cast<int32_t>(count < 16 ? 16 : count));
  const char* data = bytes.data();
  size_t start = 0;
  while (start < bytes.size()) {
    const void* found = std::memchr(data + start, '\n', bytes.size() - start);
    size_t end = found ? static_cast<size_t>(static_cast<const char*>(found) - data) : bytes.size();
    size_t stop = end > start && data[end - 1] == '\r' && found ? end - 1 : end;
    block::append_copy(*out, *text_of(data + start, stop - start));
    stack::pop(1);
    start = end + 1;
  }
  return out;
}

Cell* listing(Cell* file, const std::string& path) {
  auto names = os::list_dir(path);
  if (!names) cannot_open(file);
  Cell* out = block::make_at(stack::push_unset(), static_cast<int32_t>(names->size()) + 1);
  for (const std::string& name : *names) {
    block::append_copy(*out, *push_name(name, Type::file));
    stack::pop(1);
  }
  return out;
}

// The bytes a value writes: a string! as UTF-8 (part: characters), a binary! as it is (part:
// bytes), anything else molded.
std::string bytes_of(Cell* value, int64_t part) {
  if (value->is(Type::string)) return url::utf8_of(*value, static_cast<int32_t>(part));
  if (value->is(Type::binary)) {
    SeriesBuffer* b = buffer_of(series_node(*value));
    int64_t head = std::max(series_head(*value), 0);
    int64_t n = std::max<int64_t>(static_cast<int64_t>(b->tail) - head, 0);
    if (part > 0 && part < n) n = part;
    return std::string(reinterpret_cast<char*>(b->data()) + head, static_cast<size_t>(n));
  }
  Cell* v = stack::push(*value);
  Cell* molded = string::make_at(stack::push_unset(), 16);
  actions::mold_direct(v, molded, MoldOptions{}, nullptr, 0x7FFFFFFF);
  std::string text = url::utf8_of(*molded, -1);
  stack::pop(2);
  return text;
}

std::string block_lines(Cell* data) {
  std::string out;
  int32_t n = std::max(block::vs_length(*data), 0);
  for (int32_t i = 0; i < n; ++i) {
    Cell* v = stack::push(block::cells(*data)[series_head(*data) + i]);
    out += bytes_of(v, -1) + "\n";
    stack::pop(1);
  }
  return out;
}

}  // namespace

// /as (reading in another encoding) is not offered for files: internal/not-done.
Cell* read(Cell* file, const ReadOptions& o) {
  if (o.as) fire(Err::internal_not_done);
  std::string path = to_local(*file, false);
  if (dir_path_q(path)) return listing(file, path);
  int64_t part = int_of(o.part, "part"), seek = int_of(o.seek, "seek");
  if (o.binary) {
    if (Cell* out = binary_read(file, path, seek, part)) return out;
  }
  auto bytes = os::read_part(path, seek, part);
  if (!bytes) cannot_open(file);
  if (bytes->size() > 0x7FFFFFF0u) fire(Err::internal_no_memory);
  if (o.binary) return binary_of(*bytes);
  // Nothing read (an empty file, a seek past the end, /part 0) is an empty string, /lines or not.
  if (o.lines && !bytes->empty()) return lines_of(*bytes);
  return text_of(*bytes);
}

// /allow (access rights) and /as (writing in another encoding) are not offered for files:
// internal/not-done.
Cell* write(Cell* file, Cell* data, const WriteOptions& o) {
  if (o.allow || o.as) fire(Err::internal_not_done);
  int64_t part = int_of(o.part, "part"), seek = int_of(o.seek, "seek");
  Cell* result = stack::push(make_unset());
  if (o.part && part < 0) return result;
  auto mode = o.append ? os::WriteMode::append
              : o.seek ? os::WriteMode::at_offset
                       : os::WriteMode::truncate;
  if (data->is(Type::binary) && !o.lines) {  // straight from the series
    std::string path = to_local(*file, false);
    SeriesBuffer* b = buffer_of(series_node(*data));
    int64_t head = std::max(series_head(*data), 0);
    int64_t n = std::max<int64_t>(static_cast<int64_t>(b->tail) - head, 0);
    if (part > 0 && part < n) n = part;
    check_written(file, os::write_raw(path, b->data() + head, static_cast<size_t>(n), mode, seek));
    return result;
  }
  std::string bytes = o.lines && data->is(Type::block) ? block_lines(data) : bytes_of(data, part);
  if (o.lines && !data->is(Type::block)) bytes += "\n";
  check_written(file, os::write_bytes(to_local(*file, false), bytes, mode, seek));
  return result;
}

// An existing file answers its modification date (UTC).
Cell* query(Cell* file) {
  std::string path = to_local(*file, false);
  auto info = os::stat_path(path);
  if (!info || (!path.empty() && path.back() == '/' && !info->directory))
    return stack::push(make_none());
  return stack::push(date::from_epoch(info->modified));
}

Cell* delete_(Cell* file) {
  std::string path = to_local(*file, false);
  return stack::push(make_logic(os::remove_path(path, dir_path_q(path))));
}

Cell* rename(Cell* from, Cell* to) {
  if (!to->is(Type::file) && !to->is(Type::string)) fire(Err::script_invalid_arg, {*to});
  return stack::push(make_logic(os::rename_path(to_local(*from, false), to_local(*to, false))));
}

}  // namespace vyn::file
