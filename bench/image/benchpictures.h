// The benchmark's test picture, written at start-up in every format into a
// temporary folder.
#pragma once

#include <string>

struct BenchPictures {
  static constexpr int kSide = 2048;
  std::string dir;
  std::string bmp, tga, ppm, png, jpg;

  // Writes the picture (kSide x kSide, 24-bit) in the five formats.
  BenchPictures();
  // Removes the folder.
  ~BenchPictures();
};

// The pictures, made on first use.
BenchPictures const& benchPictures();
