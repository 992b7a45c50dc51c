// Command-line entry of the brick generator: writes the colour and height maps.
//
//   brickgen [output folder] [size]
//
// Writes "cheap brick.bmp" (colour) and "bumptest.bmp" (height) into the folder
// (default: the current one); size defaults to 256 pixels square.
#include "BmpWriter.h"
#include "BrickWall.h"

#include <cstdio>
#include <cstdlib>
#include <string>

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
  if (!writeBmp24(colorPath, size, size, maps.color, error)) {
    std::fprintf(stderr, "brickgen: %s: %s\n", colorPath.c_str(), error.c_str());
    return 1;
  }
  if (!writeBmp24(heightPath, size, size, maps.height, error)) {
    std::fprintf(stderr, "brickgen: %s: %s\n", heightPath.c_str(), error.c_str());
    return 1;
  }
  std::printf("wrote %s and %s (%d x %d)\n", colorPath.c_str(), heightPath.c_str(), size, size);
  return 0;
}
