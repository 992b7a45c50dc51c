// imagediff: loads a reference and a test picture through ImageSystem::load,
// prints the mean, 99th percentile and share over 0.1 of their FLIP error per
// pixel, and optionally writes the error map in the heat scale as a picture.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Flip.h"
#include "FlipHeat.h"
#include "FlipSummary.h"
#include "base/image.h"
#include "base/imagesystem.h"
#include "base/imagewriter.h"

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: imagediff [--ppd N] REFERENCE TEST [ERRORMAP.png]\n"
               "  Compares TEST with REFERENCE (same size) as a viewer would see them at N\n"
               "  pixels per degree of visual angle (default %.2f, at most %.0f) and prints\n"
               "  \"mean M p99 P over0.1 S\": the mean FLIP error, its 99th percentile and the\n"
               "  share of pixels over 0.1. ERRORMAP.png gets the error of each pixel in the\n"
               "  heat scale, black (0) through purple and orange to pale yellow (1).\n"
               "  Exits 0 on success, 1 when a picture cannot be read or written or the\n"
               "  sizes differ, 2 on bad usage.\n",
               static_cast<double>(Flip::kDefaultPixelsPerDegree), static_cast<double>(FlipFilters::kMaxPixelsPerDegree));
}

// The picture in the metric's form; false, with the reason on standard error
// (the image system's own line for a file it cannot read), when there is none.
bool loadPicture(char const* path, FlipPicture& out, int& width, int& height) {
  ImagePtr img(ImageSystem::load(path));
  if (!img) return false;
  int const bpp = img->bitsPerPixel;
  if (bpp != 8 && bpp != 24 && bpp != 32) {
    std::fprintf(stderr, "imagediff: %s has %d bits per pixel; 8, 24 or 32 are compared\n", path, bpp);
    return false;
  }
  width = img->width;
  height = img->height;
  try {
    out = FlipPicture::fromBytes(img->data, width, height, bpp / 8, RowOrder::TopFirst);
  } catch (std::exception const&) {
    std::fprintf(stderr, "imagediff: %s is %dx%d, too large to compare\n", path, width, height);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  float ppd = Flip::kDefaultPixelsPerDegree;
  std::vector<char const*> files;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--ppd") && i + 1 < argc) {
      char* end = nullptr;
      errno = 0;
      double const v = std::strtod(argv[++i], &end);
      if (end == argv[i] || *end || errno || !FlipFilters::acceptsPixelsPerDegree(static_cast<float>(v))) {
        std::fprintf(stderr, "imagediff: --ppd wants a number over 0 and at most %.0f, not '%s'\n",
                     static_cast<double>(FlipFilters::kMaxPixelsPerDegree), argv[i]);
        return 2;
      }
      ppd = static_cast<float>(v);
    } else if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      usage();
      return 0;
    } else if (argv[i][0] == '-' && argv[i][1]) {
      usage();
      return 2;
    } else {
      files.push_back(argv[i]);
    }
  }
  if (files.size() < 2 || files.size() > 3) {
    usage();
    return 2;
  }

  ImageSystem::init();
  FlipPicture reference, test;
  int rw = 0, rh = 0, tw = 0, th = 0;
  if (!loadPicture(files[0], reference, rw, rh) || !loadPicture(files[1], test, tw, th)) return 1;
  if (rw != tw || rh != th) {
    std::fprintf(stderr, "imagediff: %s is %dx%d but %s is %dx%d; only pictures of one size compare\n", files[0], rw, rh,
                 files[1], tw, th);
    return 1;
  }

  std::vector<float> const errors = Flip(ppd).errorMap(reference, test);
  FlipSummary const s = FlipSummary::of(errors);
  std::printf("mean %.6f p99 %.6f over0.1 %.6f\n", s.mean, s.p99, s.over);
  std::fflush(stdout);

  if (files.size() == 3) {
    std::vector<unsigned char> rgb(errors.size() * 3);
    for (size_t i = 0; i < errors.size(); ++i) {
      unsigned const c = FlipHeat::color(errors[i]);
      for (size_t k = 0; k < 3; ++k) rgb[3 * i + k] = static_cast<unsigned char>(c >> (8 * k));
    }
    std::string error;
    if (!writeImageFile(files[2], rw, rh, rgb.data(), rw * 3, error)) {
      std::fprintf(stderr, "imagediff: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}
