// Command-line entry of the brick generator: writes the colour and height maps.
//
//   brickgen [output folder] [size]
//
// Writes "cheap brick.bmp" (colour) and "bumptest.bmp" (height) into the folder
// (default: the current one), and "fine detail.bmp", a second height map whose
// features are a few texels wide (fractal noise), for measuring techniques on
// finer relief; size defaults to 256 pixels square.
#include "BrickWall.h"
#include "TileNoise.h"
#include "base/imagewriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : ".";
  int size = 256;
  if (argc > 2) {
    char* end = nullptr;
    long const v = std::strtol(argv[2], &end, 10);
    if (!end || *end || v <= 0 || v > 8192) {
      std::fprintf(stderr, "brickgen: bad size \"%s\"\n", argv[2]);
      return 1;
    }
    size = static_cast<int>(v);
  }
  if (argc > 3) {
    std::fprintf(stderr, "usage: brickgen [output folder] [size]\n");
    return 1;
  }

  BrickWallMaps maps;
  std::string error;
  if (!makeBrickWall(size, 4, 1977u, maps, error)) {
    std::fprintf(stderr, "brickgen: %s\n", error.c_str());
    return 1;
  }
  std::string const colorPath = folder + "/cheap brick.bmp";
  std::string const heightPath = folder + "/bumptest.bmp";
  if (!writeImageFile(colorPath, size, size, maps.color.data(), 3 * size, error)) {
    std::fprintf(stderr, "brickgen: %s\n", error.c_str());
    return 1;
  }
  if (!writeImageFile(heightPath, size, size, maps.height.data(), 3 * size, error)) {
    std::fprintf(stderr, "brickgen: %s\n", error.c_str());
    return 1;
  }
  // Fine relief: four octaves of tiling noise over 32 cells, stretched to the
  // full range so that the deepest and highest points are 0 and 255.
  std::vector<float> noise(static_cast<size_t>(size) * static_cast<size_t>(size));
  float lo = 1.0f, hi = 0.0f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float const v = tileFractal(32.0f * static_cast<float>(x) / static_cast<float>(size),
                                  32.0f * static_cast<float>(y) / static_cast<float>(size), 32, 4, 4242u);
      noise[static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)] = v;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  std::vector<unsigned char> fine(noise.size() * 3);
  for (size_t i = 0; i < noise.size(); ++i)
    fine[3 * i] = fine[3 * i + 1] = fine[3 * i + 2] =
        static_cast<unsigned char>(255.0f * (noise[i] - lo) / std::max(hi - lo, 1e-6f) + 0.5f);
  std::string const finePath = folder + "/fine detail.bmp";
  if (!writeImageFile(finePath, size, size, fine.data(), 3 * size, error)) {
    std::fprintf(stderr, "brickgen: %s\n", error.c_str());
    return 1;
  }
  std::printf("wrote %s, %s and %s (%d x %d)\n", colorPath.c_str(), heightPath.c_str(), finePath.c_str(), size,
              size);
  return 0;
}
