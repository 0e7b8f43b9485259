// platform/image_codec_jpeg.cpp: JPEG through the library's memory source and destination. The
// library reports fatal errors through a callback that must not return; it jumps back to the
// call here (the library's own documented way), so a corrupt file ends as a failed decode.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include "platform/dynlib.hpp"
#include "platform/image_codec.hpp"

namespace vyn::imaging {

namespace {

os::DynLib libjpeg("libjpeg.so.62");
#define JPEG_FN(name) VYN_DYN_FN_ONCE(libjpeg, name)

struct ErrorJump {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

void on_error(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1); }
void on_message(j_common_ptr) {}

// A progressive file may hold any number of scans, each a pass over the whole image: past this
// many it is refused rather than read for minutes.
constexpr int max_scans = 256;

void on_progress(j_common_ptr info) {
  if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > max_scans)
    on_error(info);
}

void quiet(ErrorJump& err) {
  JPEG_FN(jpeg_std_error)(&err.mgr);
  err.mgr.error_exit = on_error;
  err.mgr.output_message = on_message;
}

// Reads the rows into out; answers false on a bad size. Runs under the caller's jump.
bool read_rows(jpeg_decompress_struct& info, Pixels& out) {
  JPEG_FN(jpeg_read_header)(&info, TRUE);
  // Starting allocates buffers for the whole image (all of it, when progressive): check first.
  if (info.image_width > max_side || info.image_height > max_side ||
      uint64_t{info.image_width} * info.image_height > out.limit)
    return false;
  info.out_color_space = JCS_EXT_BGRA;
  JPEG_FN(jpeg_start_decompress)(&info);
  if (info.output_components != 4 || !out.resize(info.output_width, info.output_height)) return false;
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(&out.data[size_t{info.output_scanline} * out.width]);
    JPEG_FN(jpeg_read_scanlines)(&info, &row, 1);
  }
  JPEG_FN(jpeg_finish_decompress)(&info);
  return true;
}

}  // namespace

bool decode_jpeg(const uint8_t* bytes, size_t n, Pixels& out) {
  if (!libjpeg.available()) return false;
  jpeg_decompress_struct info;
  ErrorJump err;
  info.err = &err.mgr;
  quiet(err);
  if (setjmp(err.jump)) {
    JPEG_FN(jpeg_destroy_decompress)(&info);
    return false;
  }
  JPEG_FN(jpeg_CreateDecompress)(&info, JPEG_LIB_VERSION, sizeof info);
  jpeg_progress_mgr progress{};
  progress.progress_monitor = on_progress;
  info.progress = &progress;
  JPEG_FN(jpeg_mem_src)(&info, bytes, static_cast<unsigned long>(n));
  bool ok = read_rows(info, out);
  JPEG_FN(jpeg_destroy_decompress)(&info);
  // JPEG has no transparency: every pixel is opaque whatever the filler byte was.
  for (uint32_t& p : out.data) p |= 0xFF000000u;
  return ok;
}

bool encode_jpeg(const uint32_t* pixels, uint32_t w, uint32_t h, std::string& out) {
  if (!libjpeg.available()) return false;
  jpeg_compress_struct info;
  ErrorJump err;
  info.err = &err.mgr;
  quiet(err);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  if (setjmp(err.jump)) {
    JPEG_FN(jpeg_destroy_compress)(&info);
    std::free(mem);
    return false;
  }
  JPEG_FN(jpeg_CreateCompress)(&info, JPEG_LIB_VERSION, sizeof info);
  JPEG_FN(jpeg_mem_dest)(&info, &mem, &size);
  info.image_width = w;
  info.image_height = h;
  info.input_components = 4;
  info.in_color_space = JCS_EXT_BGRX;
  JPEG_FN(jpeg_set_defaults)(&info);
  JPEG_FN(jpeg_set_quality)(&info, 90, TRUE);
  JPEG_FN(jpeg_start_compress)(&info, TRUE);
  while (info.next_scanline < h) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(const_cast<uint32_t*>(pixels + size_t{info.next_scanline} * w));
    JPEG_FN(jpeg_write_scanlines)(&info, &row, 1);
  }
  JPEG_FN(jpeg_finish_compress)(&info);
  out.assign(reinterpret_cast<const char*>(mem), size);
  JPEG_FN(jpeg_destroy_compress)(&info);
  std::free(mem);
  return true;
}

}  // namespace vyn::imaging
