// values/images/image_codec_routines.cpp: decoding and encoding image files for image! values, and the
// routines through which the image codec objects of system/codecs reach them.
#include <string>

#include "values/callables/routine.hpp"
#include "core/error.hpp"
#include "core/stack.hpp"
#include "platform/files.hpp"
#include "platform/image_codec.hpp"
#include "values/series/binary.hpp"
#include "values/images/image.hpp"
#include "values/text/url.hpp"

namespace vyn::image {

namespace {

// An image from decoded pixels, or nullptr when the bytes do not decode.
Cell* push_decoded(const uint8_t* bytes, size_t n) {
  imaging::Pixels px;
  if (!imaging::decode(bytes, n, px)) return nullptr;
  return push_pixels(px.data.data(), static_cast<int32_t>(px.width), static_cast<int32_t>(px.height));
}

Cell* load_file(Cell* file) {
  auto data = os::read_file(file::to_local(*file, false));
  Cell* img = data ? push_decoded(reinterpret_cast<const uint8_t*>(data->data()), data->size()) : nullptr;
  if (!img) fire(Err::access_cannot_open, {*file});
  return img;
}

}  // namespace

Cell* decode(Cell* data) {
  if (!data->is(Type::binary)) return load_file(data);
  // Copy the bytes out first: the buffer may move once the image is allocated.
  std::string bytes(reinterpret_cast<const char*>(binary::head_bytes(*data)), size_t(binary::length(*data)));
  auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
  if (imaging::sniff(b, bytes.size()) < 0) return stack::push(make_none());
  Cell* img = push_decoded(b, bytes.size());
  if (!img) fire(Err::access_bad_media);
  return img;
}

Cell* encode(Cell* img, int format) {
  if (width(*img) == 0 || height(*img) == 0) fire(Err::access_bad_media);
  std::vector<uint32_t> px(pixels(*img), pixels(*img) + count(*img));
  std::string out;
  if (!imaging::encode(px.data(), uint32_t(width(*img)), uint32_t(height(*img)), format, out))
    fire(Err::access_bad_media);
  return binary::push_bytes(reinterpret_cast<const uint8_t*>(out.data()), out.size());
}

namespace {

using routine::Invocation;

void decode_body(Invocation& inv) {
  Cell* data = routine::arg_cell(inv, 0);
  if (!data->is(Type::binary) && !data->is(Type::file)) fire(Err::script_invalid_arg, {*data});
  *inv.result = *decode(data);
}

// One encoder per format: a codec's encode is a routine of its own, the format fixed in its body.
template <int Format>
void encode_body(Invocation& inv) {
  Cell* img = routine::arg_cell(inv, 0);
  if (!img->is(Type::image)) fire(Err::script_invalid_arg, {*img});
  *inv.result = *encode(img, Format);
}

}  // namespace

// image-decode* and image-encode-<format>*, from which the image codec objects take their decode
// and encode; the base library unsets the words once the codecs hold the routines.
namespace {

struct CodecEntries {
  int32_t decode;
  int32_t encode[5];
};

const CodecEntries& codec_entries() {
  static const CodecEntries entries = {
      routine::register_body(decode_body),
      {routine::register_body(encode_body<imaging::bmp>), routine::register_body(encode_body<imaging::png>),
       routine::register_body(encode_body<imaging::gif>), routine::register_body(encode_body<imaging::jpeg>),
       routine::register_body(encode_body<imaging::tiff>)},
  };
  return entries;
}

}  // namespace

void register_codec_bodies() { (void)codec_entries(); }

void define_codec_routines() {
  const int32_t decode_entry = codec_entries().decode;
  const int32_t* encode_entries = codec_entries().encode;
  static const char* const names[] = {"image-encode-bmp*", "image-encode-png*", "image-encode-gif*",
                                      "image-encode-jpeg*", "image-encode-tiff*"};
  routine::define("image-decode*", R"~("Decodes an image file or its bytes; none for bytes of no known format"
      data [any-type!] return: [image! none!])~", decode_entry);
  stack::Mark mark;
  Cell* spec = routine::push_spec(R"~("Encodes an image in the codec's file format"
      img [image!] where [any-type!] return: [binary!])~");
  for (int f = imaging::bmp; f <= imaging::tiff; ++f) routine::define(names[f], *spec, encode_entries[f]);
}

}  // namespace vyn::image
