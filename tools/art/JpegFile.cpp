// JPEG pictures through libjpeg: baseline, three components, full-resolution colour (no
// subsampling, so no colour bleeds between the frames of a sheet), a fixed quality.
#include "tools/art/JpegFile.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace art {

std::vector<std::uint8_t> EncodeJpeg(const RgbImage& picture, int quality) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(picture.width);
  cinfo.image_height = static_cast<JDIMENSION>(picture.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  for (int c = 0; c < 3; ++c) {
    cinfo.comp_info[c].h_samp_factor = 1;
    cinfo.comp_info[c].v_samp_factor = 1;
  }
  cinfo.optimize_coding = TRUE;
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(picture.width) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const Pixel8* src = &picture.at(0, static_cast<int>(cinfo.next_scanline));
    for (int x = 0; x < picture.width; ++x) {
      row[3 * x] = src[x].r;
      row[3 * x + 1] = src[x].g;
      row[3 * x + 2] = src[x].b;
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

RgbImage DecodeJpeg(std::span<const std::uint8_t> data) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);  // the generator reads only the files it has just written
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  RgbImage out(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
  std::vector<JSAMPLE> row(static_cast<std::size_t>(out.width) * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = static_cast<int>(cinfo.output_scanline);
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&cinfo, rows, 1);
    for (int x = 0; x < out.width; ++x) out.at(x, y) = {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return out;
}

}  // namespace art
