// Small readers the resource test uses on the committed files: 8-bit BMP (plain and RLE8),
// JPEG headers and pixels through libjpeg, RIFF chunks, and MPEG Layer-3 decoding (mpg123).
#include "tests/resources/ResourceReaders.h"

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>

#include <jpeglib.h>
#include <mpg123.h>

namespace res {

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::uint16_t Le16(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }
std::uint32_t Le32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(Le16(b, at)) | (static_cast<std::uint32_t>(Le16(b, at + 2)) << 16);
}

namespace {

// RLE8 data into indices; rows are stored bottom-up.
bool DecodeRle8(const Bytes& f, std::size_t pos, std::size_t end, Bmp8& bmp, std::string& error) {
  int x = 0, row = 0;  // row counts from the bottom
  const auto put = [&](std::uint8_t v) {
    if (x >= bmp.width || row >= bmp.height) return false;
    bmp.index[static_cast<std::size_t>(bmp.height - 1 - row) * bmp.width + x++] = v;
    return true;
  };
  while (pos + 2 <= end) {
    const std::uint8_t count = f[pos], value = f[pos + 1];
    pos += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i)
        if (!put(value)) return error = "RLE run past the row", false;
    } else if (value == 0) {
      if (x != bmp.width) return error = "RLE row of " + std::to_string(x) + " pixels", false;
      x = 0;
      ++row;
    } else if (value == 1) {
      if (x != bmp.width || row != bmp.height - 1) return error = "RLE ends early", false;
      return true;
    } else if (value == 2) {
      return error = "RLE delta not expected", false;
    } else {
      const std::size_t padded = value + (value & 1u);
      if (pos + padded > end) return error = "RLE literal past the end", false;
      for (int i = 0; i < value; ++i)
        if (!put(f[pos + i])) return error = "RLE literal past the row", false;
      pos += padded;
    }
  }
  return error = "RLE without end of bitmap", false;
}

}  // namespace

std::optional<Bmp8> ReadBmp8(const Bytes& f, std::string& error) {
  if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return error = "not a BMP", std::nullopt;
  if (Le32(f, 2) != f.size()) return error = "file size field", std::nullopt;
  const std::uint32_t offset = Le32(f, 10);
  if (Le32(f, 14) != 40) return error = "info header size", std::nullopt;
  Bmp8 bmp;
  bmp.width = static_cast<std::int32_t>(Le32(f, 18));
  bmp.height = static_cast<std::int32_t>(Le32(f, 22));
  if (bmp.width <= 0 || bmp.height <= 0 || bmp.width > 4096 || bmp.height > 8192) return error = "dimensions", std::nullopt;
  if (Le16(f, 26) != 1 || Le16(f, 28) != 8) return error = "not 8 bits per pixel", std::nullopt;
  bmp.compression = Le32(f, 30);
  std::uint32_t colours = Le32(f, 46);
  if (colours == 0) colours = 256;
  if (colours > 256 || 54 + 4ull * colours > offset || offset > f.size()) return error = "colour table", std::nullopt;
  for (std::uint32_t i = 0; i < colours; ++i) {
    const std::size_t p = 54 + 4 * i;
    bmp.palette.push_back({f[p + 2], f[p + 1], f[p]});
  }
  bmp.index.assign(static_cast<std::size_t>(bmp.width) * bmp.height, 0);
  if (bmp.compression == 1) {
    if (!DecodeRle8(f, offset, f.size(), bmp, error)) return std::nullopt;
  } else if (bmp.compression == 0) {
    const std::size_t stride = (static_cast<std::size_t>(bmp.width) + 3) & ~std::size_t{3};
    if (offset + stride * bmp.height > f.size()) return error = "pixel data truncated", std::nullopt;
    for (int y = 0; y < bmp.height; ++y)
      for (int x = 0; x < bmp.width; ++x)
        bmp.index[static_cast<std::size_t>(y) * bmp.width + x] = f[offset + stride * (bmp.height - 1 - y) + x];
  } else {
    return error = "compression " + std::to_string(bmp.compression), std::nullopt;
  }
  for (std::uint8_t i : bmp.index)
    if (i >= bmp.palette.size()) return error = "index outside the colour table", std::nullopt;
  return bmp;
}

namespace {

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->message);
  std::longjmp(e->jump, 1);
}

// The first frame marker of a JPEG stream, walking the segments from the start.
int FrameMarker(const Bytes& f) {
  std::size_t p = 2;
  while (p + 4 <= f.size() && f[p] == 0xFF) {
    const std::uint8_t m = f[p + 1];
    if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) return m;
    p += 2 + ((f[p + 2] << 8) | f[p + 3]);
  }
  return -1;
}

}  // namespace

std::optional<Jpeg> ReadJpeg(const Bytes& f, std::string& error) {
  if (f.size() < 4 || f[0] != 0xFF || f[1] != 0xD8) return error = "not a JPEG", std::nullopt;
  Jpeg out;
  out.baseline = FrameMarker(f) == 0xC0;
  jpeg_decompress_struct cinfo{};
  JpegError jerr{};
  cinfo.err = jpeg_std_error(&jerr.mgr);
  jerr.mgr.error_exit = OnJpegError;
  std::vector<JSAMPLE> row;
  if (setjmp(jerr.jump)) {
    jpeg_destroy_decompress(&cinfo);
    error = jerr.message;
    return std::nullopt;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, f.data(), static_cast<unsigned long>(f.size()));
  jpeg_read_header(&cinfo, TRUE);
  out.width = static_cast<int>(cinfo.image_width);
  out.height = static_cast<int>(cinfo.image_height);
  out.components = cinfo.num_components;
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  row.resize(static_cast<std::size_t>(cinfo.output_width) * 3);
  out.pixels.reserve(static_cast<std::size_t>(out.width) * out.height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&cinfo, rows, 1);
    for (int x = 0; x < out.width; ++x) out.pixels.push_back({row[3 * x], row[3 * x + 1], row[3 * x + 2]});
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return out;
}

std::optional<std::vector<Chunk>> ReadRiffWave(const Bytes& f, std::string& error) {
  if (f.size() < 12 || std::string(f.begin(), f.begin() + 4) != "RIFF" || std::string(f.begin() + 8, f.begin() + 12) != "WAVE")
    return error = "not a RIFF WAVE", std::nullopt;
  if (Le32(f, 4) != f.size() - 8) return error = "RIFF size field", std::nullopt;
  std::vector<Chunk> chunks;
  std::size_t p = 12;
  while (p < f.size()) {
    if (p + 8 > f.size()) return error = "chunk header past the end", std::nullopt;
    const std::size_t size = Le32(f, p + 4);
    if (size > f.size() - p - 8) return error = "chunk past the end", std::nullopt;
    chunks.push_back({std::string(f.begin() + static_cast<std::ptrdiff_t>(p), f.begin() + static_cast<std::ptrdiff_t>(p + 4)), p + 8, size});
    p += 8 + size + (size & 1);
  }
  if (p != f.size()) return error = "odd chunk without its pad byte", std::nullopt;
  return chunks;
}

std::optional<std::vector<std::int16_t>> DecodeMp3(const std::uint8_t* data, std::size_t size, std::string& error) {
  mpg123_init();
  int err = MPG123_OK;
  mpg123_handle* h = mpg123_new(nullptr, &err);
  if (!h) return error = "mpg123_new", std::nullopt;
  mpg123_param(h, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
  mpg123_format_none(h);
  mpg123_format(h, 22050, MPG123_STEREO, MPG123_ENC_SIGNED_16);
  mpg123_open_feed(h);
  std::vector<std::int16_t> out;
  std::vector<unsigned char> buffer(1 << 16);
  std::size_t got = 0;
  int r = mpg123_decode(h, data, size, buffer.data(), buffer.size(), &got);
  for (;;) {
    const auto* s = reinterpret_cast<const std::int16_t*>(buffer.data());
    out.insert(out.end(), s, s + got / 2);
    if (r == MPG123_ERR) {
      error = mpg123_strerror(h);
      mpg123_delete(h);
      return std::nullopt;
    }
    if (r == MPG123_NEED_MORE || r == MPG123_DONE) break;
    if (r == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0, enc = 0;
      mpg123_getformat(h, &rate, &channels, &enc);
      if (rate != 22050 || channels != 2) {
        mpg123_delete(h);
        return error = "decoded format", std::nullopt;
      }
    }
    r = mpg123_decode(h, nullptr, 0, buffer.data(), buffer.size(), &got);
  }
  mpg123_delete(h);
  return out;
}

}  // namespace res
