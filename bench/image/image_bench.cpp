// Decoding speed of the image loaders on one 2048x2048 picture: BMP, TGA and
// P3 by hand (BMP and TGA against stb_image), PNG and JPEG against the same
// libraries called directly.
#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <png.h>
#include <stb_image.h>

#include "base/image.h"
#include "base/imageloaders.h"
#include "benchpictures.h"

namespace {

void release(Image* img, benchmark::State& state) {
  if (!img) {
    state.SkipWithError("decode failed");
    return;
  }
  benchmark::DoNotOptimize(img->data);
  img->unload();
  delete img;
}

template <class Loader>
void decodeWith(benchmark::State& state, Loader& loader, std::string const& path, char const* ext) {
  for (auto _ : state) release(loader.load(path.c_str(), ext), state);
  state.SetBytesProcessed(int64_t(state.iterations()) * BenchPictures::kSide * BenchPictures::kSide * 3);
}

void stbDecode(benchmark::State& state, std::string const& path) {
  for (auto _ : state) {
    int w = 0, h = 0, n = 0;
    unsigned char* p = stbi_load(path.c_str(), &w, &h, &n, 0);
    if (!p) {
      state.SkipWithError("stb_image failed");
      return;
    }
    benchmark::DoNotOptimize(p);
    stbi_image_free(p);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * BenchPictures::kSide * BenchPictures::kSide * 3);
}

// libpng called directly with the loader's transformations for an RGB file.
unsigned char* pngDirect(char const* path) {
  FILE* f = std::fopen(path, "rb");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  unsigned char* pixels = nullptr;
  png_bytep* rows = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    std::free(pixels);
    pixels = nullptr;
  } else {
    png_init_io(png, f);
    png_read_info(png, info);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    pixels = static_cast<unsigned char*>(std::malloc(rowBytes * h));
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * h));
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = pixels + rowBytes * y;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    (void)w;
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::free(rows);
  std::fclose(f);
  return pixels;
}

// libjpeg called directly, RGB output straight into the picture's rows.
unsigned char* jpegDirect(char const* path) {
  FILE* f = std::fopen(path, "rb");
  jpeg_decompress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_decompress(&c);
  jpeg_stdio_src(&c, f);
  jpeg_read_header(&c, TRUE);
  c.out_color_space = JCS_RGB;
  jpeg_start_decompress(&c);
  size_t row = size_t(c.output_width) * 3;
  unsigned char* pixels = static_cast<unsigned char*>(std::malloc(row * c.output_height));
  while (c.output_scanline < c.output_height) {
    JSAMPROW r = pixels + row * c.output_scanline;
    jpeg_read_scanlines(&c, &r, 1);
  }
  jpeg_finish_decompress(&c);
  jpeg_destroy_decompress(&c);
  std::fclose(f);
  return pixels;
}

void directDecode(benchmark::State& state, unsigned char* (*fn)(char const*), std::string const& path) {
  for (auto _ : state) {
    unsigned char* p = fn(path.c_str());
    if (!p) {
      state.SkipWithError("library decode failed");
      return;
    }
    benchmark::DoNotOptimize(p);
    std::free(p);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * BenchPictures::kSide * BenchPictures::kSide * 3);
}

void BM_BMP_Loader(benchmark::State& s) { decodeWith(s, imageLoadBMP, benchPictures().bmp, "bmp"); }
void BM_BMP_stb(benchmark::State& s) { stbDecode(s, benchPictures().bmp); }
void BM_TGA_Loader(benchmark::State& s) { decodeWith(s, imageLoadTGA, benchPictures().tga, "tga"); }
void BM_TGA_stb(benchmark::State& s) { stbDecode(s, benchPictures().tga); }
void BM_PPM_Loader(benchmark::State& s) { decodeWith(s, imageLoadPPM, benchPictures().ppm, "ppm"); }
void BM_PNG_Loader(benchmark::State& s) { decodeWith(s, imageLoadPNG, benchPictures().png, "png"); }
void BM_PNG_libpng(benchmark::State& s) { directDecode(s, pngDirect, benchPictures().png); }
void BM_JPEG_Loader(benchmark::State& s) { decodeWith(s, imageLoadJPEG, benchPictures().jpg, "jpg"); }
void BM_JPEG_libjpeg(benchmark::State& s) { directDecode(s, jpegDirect, benchPictures().jpg); }

}  // namespace

BENCHMARK(BM_BMP_Loader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BMP_stb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TGA_Loader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TGA_stb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PPM_Loader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PNG_Loader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PNG_libpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JPEG_Loader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JPEG_libjpeg)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
