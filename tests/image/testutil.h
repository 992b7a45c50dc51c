// Helpers shared by the image tests: scratch files, a BMP
// builder, reference readers for the corpora's own formats, and MD5.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/image.h"

using Bytes = std::vector<unsigned char>;

// Files under a scratch folder that is removed at exit.
std::string scratchDir();
std::string writeScratch(std::string const& name, Bytes const& bytes);
std::string writeScratch(std::string const& name, std::string const& text);
Bytes readWhole(std::string const& path);
std::string corpus(std::string const& relative);  // a file under tests/data

Bytes pixels(Image const& img);  // rowBytes * height bytes
Bytes rgbOf(Image const& img);   // alpha dropped, 8-bit grey replicated

// Little-endian field writers for hand-built headers.
void put16(Bytes& b, size_t at, uint32_t v);
void put32(Bytes& b, size_t at, uint32_t v);

// A 24-bit BMP whose pixel (x, y), y from the top, is bmpColour(x, y) in RGB.
struct BmpFields {
  int32_t width = 2;
  int32_t height = 2;  // negative: rows stored top first
  uint16_t planes = 1;
  uint16_t bpp = 24;
  uint32_t compression = 0;
  uint32_t infoSize = 40;
  uint32_t gap = 0;        // bytes between the headers and the pixels
  bool lastFiller = true;  // whether the last row keeps its filler
};
Bytes makeBmp(BmpFields const& s);
void bmpColour(int x, int y, unsigned char rgb[3]);

// A reference picture as 8-bit RGB, top row first.
struct Reference {
  int width = 0;
  int height = 0;
  Bytes rgb;
};
// Uncompressed 24/32-bit BMP of any header version and row order (the PNG
// suite's reference renderings); binary P5/P6 PNM with maxval 255.
bool readReferenceBmp(std::string const& path, Reference& out);
bool readReferencePnm(std::string const& path, Reference& out);

// Runs `body` in a forked child with its standard output and error captured
// and an alarm after `seconds`, so that a hang fails the test instead of
// stalling it. status: the child's exit code, or minus the killing signal.
struct ChildRun {
  std::string output;
  int status;
};
ChildRun inChild(std::function<int()> const& body, unsigned seconds = 20);

std::string md5Hex(unsigned char const* data, size_t size);
