// Helpers shared by the image tests: scratch files, owned images, reference
// readers for the corpora's own formats, and a digest of decoded pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/image.h"

using Bytes = std::vector<unsigned char>;

// An Image from a loader, released (unload, delete) when it goes out of scope.
struct ImageDeleter {
  void operator()(Image* img) const {
    if (img) {
      img->unload();
      delete img;
    }
  }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;

// A fresh scratch folder per test program, removed at exit.
std::string scratchDir();
// Writes bytes to scratchDir()/name and returns the full path.
std::string writeScratch(std::string const& name, Bytes const& bytes);
std::string writeScratch(std::string const& name, std::string const& text);
Bytes readWhole(std::string const& path);
// Path of a file in the copied test corpora.
std::string corpus(std::string const& relative);

// The decoded picture's bytes (rowBytes * height).
Bytes pixels(Image const& img);
// The picture reduced to RGB (alpha dropped; 8-bit grey replicated).
Bytes rgbOf(Image const& img);

// A reference picture as 8-bit RGB, top row first.
struct Reference {
  int width = 0;
  int height = 0;
  Bytes rgb;
};
// Uncompressed 24- or 32-bit BMP (BGR or BGRA, any header version, either row
// order): the form of the PNG suite's reference renderings.
bool readReferenceBmp(std::string const& path, Reference& out);
// Binary PNM: P5 (grey, replicated to RGB) or P6, maxval 255.
bool readReferencePnm(std::string const& path, Reference& out);

// Hex MD5 of a byte string.
std::string md5Hex(unsigned char const* data, size_t size);
