// PpmHeader: the header of a portable any-map (P2, P3, P5, P6), read with the
// reason it is refused.
#pragma once

#include <cstddef>
#include <string>

struct PpmHeader {
  char form = '3';  // '2' ASCII grey, '3' ASCII RGB, '5' binary grey, '6' binary RGB
  int width = 0;
  int height = 0;
  int maxValue = 0;
  size_t length = 0;  // bytes up to the samples

  int channels() const { return form == '2' || form == '5' ? 1 : 3; }
  bool ascii() const { return form == '2' || form == '3'; }
};

// Reads the header: the magic P2, P3, P5 or P6, then width, height and maximum
// value (1 to 65535), with comments; in the binary forms one blank or line end
// follows the maximum value and the raster starts after it. When the magic
// ends its line, the next line is a comment if it starts with '#' or with
// anything but a number. False when the text is not such a header, with
// `why` saying what is wrong: "its width is not a whole number: \"-4\"", "its
// maximum value 0 is outside 1 to 65535", "the header ends before its
// height" and the like.
bool readPpmHeader(char const* text, size_t size, PpmHeader& out, std::string& why);

// Why a picture of width x height pixels of `bytesPerPixel` bytes cannot be
// had ("its size 0x4 has no pixels", "its size 99999x99999 is larger than a
// picture may be: ..."), or "" when it can.
std::string ppmSizeProblem(int width, int height, int bytesPerPixel);
