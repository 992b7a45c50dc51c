// asteroidgen: writes a user's asset as many tools make it, for trying the
// bench's checks and fixes on:
//
//   asteroidgen [--size N] [--depth TEXELS] DIR
//
// DIR/asteroid.obj        a lumpy low-poly mesh whose v runs up the picture
// DIR/asteroid-color.png  its colour map (8-bit RGB)
// DIR/asteroid-height.png its heights, white up (16-bit grey)
// DIR/asteroid-normal.png its tangent-space normals, green up the picture (the
//                         "Y+" convention), as strong as a relief TEXELS deep
// The maps are N x N texels (512 unless given) and tile; the relief is 8
// texels deep unless given. The same arguments always give the same files.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "AsteroidMesh.h"
#include "AsteroidSurface.h"
#include "MapFixes.h"
#include "NormalMap.h"
#include "base/atomicfile.h"
#include "base/imagewriter.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: asteroidgen [--size N] [--depth TEXELS] DIR   (N: 16 to 4096, TEXELS: above 0)\n");
  return 1;
}

bool writeText(std::string const& path, std::string const& text, std::string& error) {
  AtomicFile file;
  if (!file.open(path, error)) return false;
  std::fputs(text.c_str(), file.stream());
  return file.commit(error);
}

}  // namespace

int main(int argc, char** argv) {
  int size = 512;
  double depth = 8.0;
  std::string dir;
  for (int i = 1; i < argc; ++i) {
    std::string const a = argv[i];
    if ((a == "--size" || a == "--depth") && i + 1 < argc) {
      char* end = nullptr;
      double const v = std::strtod(argv[++i], &end);
      if (*end || !(v > 0)) return usage();
      if (a == "--size") size = static_cast<int>(v);
      else depth = v;
    } else if (dir.empty() && !a.empty() && a[0] != '-') {
      dir = a;
    } else {
      return usage();
    }
  }
  if (dir.empty() || size < 16 || size > 4096) return usage();
  mkdir(dir.c_str(), 0777);  // an existing folder is fine; a failure shows when writing

  AsteroidSurface const s = AsteroidSurface::make(size, 1234u);
  size_t const texels = static_cast<size_t>(size) * static_cast<size_t>(size);
  // The bench's normals (green down the picture), then green turned up.
  std::vector<unsigned char> rgba(4 * texels), rgb(3 * texels);
  NormalMap::computeNormalMapFromHeights(s.heights.data(), size, size, static_cast<float>(depth), rgba.data());
  MapFixes::flipGreen(rgba.data(), texels, 4);
  for (size_t i = 0; i < texels; ++i)
    for (int c = 0; c < 3; ++c) rgb[3 * i + static_cast<size_t>(c)] = rgba[4 * i + static_cast<size_t>(c)];

  std::string error;
  std::string const base = dir + "/asteroid";
  bool const ok = writeText(base + ".obj", asteroidObj(24, 48, 1234u), error) &&
                  writeImageFile(base + "-color.png", size, size, s.colour.data(), 3 * size, error) &&
                  writeGreyPng(base + "-height.png", size, size, s.heights, 16, error) &&
                  writeImageFile(base + "-normal.png", size, size, rgb.data(), 3 * size, error);
  if (!ok) {
    std::fprintf(stderr, "asteroidgen: %s\n", error.c_str());
    return 1;
  }
  std::printf("wrote %s.obj, %s-color.png, %s-height.png (16-bit) and %s-normal.png (green up, %g texels deep), "
              "%dx%d\n",
              base.c_str(), base.c_str(), base.c_str(), base.c_str(), depth, size, size);
  return 0;
}
