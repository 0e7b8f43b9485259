// boot/routines_clipboard.cpp: read-clipboard and write-clipboard, between language values and
// the clipboard layer: strings as UTF-8, blocks of files as local paths, images through PNG.
#include <string>
#include <vector>

#include "boot/routine_bodies.hpp"
#include "core/error.hpp"
#include "core/stack.hpp"
#include "platform/clipboard.hpp"
#include "platform/image_codec.hpp"
#include "platform/process_text.hpp"
#include "values/series/block.hpp"
#include "values/images/image.hpp"
#include "values/text/string_storage.hpp"
#include "values/text/url.hpp"

namespace vyn::boot::bodies {
namespace {

// A new stack string! of text that may hold bytes that are no UTF-8 (each becomes U+FFFD).
Cell* push_text(const std::string& bytes) {
  std::string text = os::valid_utf8(bytes);
  return string::load_utf8_checked(unicode::outside(text.data()), static_cast<uint32_t>(text.size()));
}

Cell* push_files(const std::vector<std::string>& paths) {
  Cell* out = block::make_at(stack::push_unset(), static_cast<int32_t>(paths.size()));
  for (const std::string& path : paths) {
    Cell* file = push_text(path);
    file->set_type(Type::file);
    block::append_copy(*out, *file);
    stack::pop(1);
  }
  return out;
}

// The image the bytes decode to; nullptr when they are no image this program reads.
Cell* push_image(const std::string& bytes) {
  imaging::Pixels px;
  if (!imaging::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), px)) return nullptr;
  return image::push_pixels(px.data.data(), static_cast<int32_t>(px.width), static_cast<int32_t>(px.height));
}

// The local paths of a block of files, made absolute; any other value in it is refused.
std::vector<std::string> local_paths(Cell* block) {
  std::vector<std::string> paths;
  int32_t n = block::vs_length(*block);
  for (int32_t i = 0; i < n; ++i) {
    Cell item = block::vs_head(*block)[i];
    if (!item.is(Type::file)) fire(Err::script_invalid_arg, {item});
    paths.push_back(file::to_local(item, true));
  }
  return paths;
}

bool write_image(Cell* img) {
  if (image::count(*img) == 0) return clipboard::clear();
  std::vector<uint32_t> px(image::pixels(*img), image::pixels(*img) + image::count(*img));
  std::string png;
  if (!imaging::encode_png(px.data(), uint32_t(image::width(*img)), uint32_t(image::height(*img)), png))
    return false;
  return clipboard::write_image(png);
}

}  // namespace

void read_clipboard(Invocation& inv) {
  using Found = clipboard::Content::Found;
  clipboard::Content c = clipboard::read();
  stack::Mark mark;
  Cell* value = nullptr;
  switch (c.found) {
    case Found::failed: break;
    case Found::empty: *inv.result = make_none(); return;
    case Found::text: value = push_text(c.data); break;
    case Found::files: value = push_files(c.paths); break;
    case Found::image: value = push_image(c.data); break;
  }
  *inv.result = value ? *value : make_logic(false);
}

// Every value is checked before the clipboard is touched, so a refused one leaves it as it was.
void write_clipboard(Invocation& inv) {
  Cell* data = arg_cell(inv, 0);
  bool done = false;
  switch (data->type()) {
    case Type::none_: done = clipboard::clear(); break;
    case Type::string: done = clipboard::write_text(url::utf8_of(*data, -1)); break;
    case Type::block: done = clipboard::write_files(local_paths(data)); break;
    case Type::image: done = write_image(data); break;
    default: fire(Err::script_invalid_arg, {*data});
  }
  *inv.result = make_logic(done);
}

}  // namespace vyn::boot::bodies
