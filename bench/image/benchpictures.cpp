// Writes the benchmark's 2048x2048 picture as BMP, TGA, P3, PNG and JPEG into
// a temporary folder (removed at exit).
#include "benchpictures.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace {

using Bytes = std::vector<unsigned char>;

// The benchmarks mean nothing without their pictures: a folder or file that
// cannot be written ends the program with one line naming it.
[[noreturn]] void fail(char const* what, std::string const& path) {
  std::fprintf(stderr, "benchpictures: cannot %s %s: %s\n", what, path.c_str(), std::strerror(errno));
  std::exit(1);
}

FILE* create(std::string const& path, char const* mode) {
  FILE* f = std::fopen(path.c_str(), mode);
  if (!f) fail("create", path);
  return f;
}

// Closes f; a write that failed on the way (a full disk) ends the program too.
void finish(FILE* f, std::string const& path) {
  bool const failed = std::ferror(f) != 0;
  if (std::fclose(f) != 0 || failed) fail("write", path);
}

// A photograph-like picture: smooth shading, edges and a little noise, so
// that the compressed formats are neither trivial nor pure noise.
Bytes makePicture(int side) {
  Bytes rgb(size_t(side) * size_t(side) * 3);
  unsigned seed = 12345;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      seed = seed * 1103515245u + 12345u;
      int noise = int((seed >> 16) & 15) - 8;
      double fx = x / double(side), fy = y / double(side);
      int r = int(128 + 100 * std::sin(fx * 9 + fy * 3)) + noise;
      int g = int(255 * fy * (((x / 64 + y / 64) & 1) ? 0.9 : 0.6)) + noise;
      int b = int(200 * std::fabs(std::cos((fx - fy) * 5))) + noise;
      unsigned char* p = rgb.data() + (size_t(y) * size_t(side) + size_t(x)) * 3;
      p[0] = static_cast<unsigned char>(std::clamp(r, 0, 255));
      p[1] = static_cast<unsigned char>(std::clamp(g, 0, 255));
      p[2] = static_cast<unsigned char>(std::clamp(b, 0, 255));
    }
  return rgb;
}

void put(FILE* f, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) std::fputc(int((v >> (8 * i)) & 0xFF), f);
}

void writeBmp(std::string const& path, Bytes const& rgb, int side) {
  FILE* f = create(path, "wb");
  uint32_t row = uint32_t(side) * 3;  // 6144: no filler
  std::fputc('B', f);
  std::fputc('M', f);
  put(f, 54 + row * uint32_t(side), 4);
  put(f, 0, 4);
  put(f, 54, 4);
  put(f, 40, 4);
  put(f, uint32_t(side), 4);
  put(f, uint32_t(side), 4);
  put(f, 1, 2);
  put(f, 24, 2);
  put(f, 0, 4);
  put(f, row * uint32_t(side), 4);
  put(f, 2835, 4);
  put(f, 2835, 4);
  put(f, 0, 4);
  put(f, 0, 4);
  Bytes line(row);
  for (int r = side - 1; r >= 0; --r) {
    unsigned char const* src = rgb.data() + size_t(r) * row;
    for (uint32_t i = 0; i < row; i += 3) {
      line[i] = src[i + 2];
      line[i + 1] = src[i + 1];
      line[i + 2] = src[i];
    }
    std::fwrite(line.data(), 1, row, f);
  }
  finish(f, path);
}

void writeTga(std::string const& path, Bytes const& rgb, int side) {
  FILE* f = create(path, "wb");
  unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                              static_cast<unsigned char>(side), static_cast<unsigned char>(side >> 8),
                              static_cast<unsigned char>(side), static_cast<unsigned char>(side >> 8), 24, 0};
  std::fwrite(header, 1, 18, f);
  size_t row = size_t(side) * 3;
  Bytes line(row);
  for (int r = side - 1; r >= 0; --r) {  // bottom row first, the common case
    unsigned char const* src = rgb.data() + size_t(r) * row;
    for (size_t i = 0; i < row; i += 3) {
      line[i] = src[i + 2];
      line[i + 1] = src[i + 1];
      line[i + 2] = src[i];
    }
    std::fwrite(line.data(), 1, row, f);
  }
  finish(f, path);
}

void writePpm(std::string const& path, Bytes const& rgb, int side) {
  FILE* f = create(path, "w");
  std::fprintf(f, "P3\n# benchmark picture\n%d %d\n255\n", side, side);
  // Lines of five pixels, as common writers make them.
  for (size_t i = 0; i < rgb.size(); i += 3) {
    std::fprintf(f, "%d %d %d", rgb[i], rgb[i + 1], rgb[i + 2]);
    std::fputc((i / 3) % 5 == 4 ? '\n' : ' ', f);
  }
  finish(f, path);
}

void writePng(std::string const& path, Bytes const& rgb, int side) {
  FILE* f = create(path, "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) fail("start libpng for", path);
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(side), png_uint_32(side), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < side; ++y) png_write_row(png, rgb.data() + size_t(y) * size_t(side) * 3);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  finish(f, path);
}

void writeJpeg(std::string const& path, Bytes const& rgb, int side) {
  FILE* f = create(path, "wb");
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = JDIMENSION(side);
  c.image_height = JDIMENSION(side);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(rgb.data()) + size_t(c.next_scanline) * size_t(side) * 3;
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  finish(f, path);
}

}  // namespace

BenchPictures::BenchPictures() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "imagebenchXXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back(0);
  if (!mkdtemp(buf.data())) fail("create", tmpl);
  dir = buf.data();
  bmp = dir + "/picture.bmp";
  tga = dir + "/picture.tga";
  ppm = dir + "/picture.ppm";
  png = dir + "/picture.png";
  jpg = dir + "/picture.jpg";
  Bytes rgb = makePicture(kSide);
  writeBmp(bmp, rgb, kSide);
  writeTga(tga, rgb, kSide);
  writePpm(ppm, rgb, kSide);
  writePng(png, rgb, kSide);
  writeJpeg(jpg, rgb, kSide);
}

BenchPictures::~BenchPictures() {
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

BenchPictures const& benchPictures() {
  static BenchPictures pictures;
  return pictures;
}
