// writeImageFile and writeGreyPng: an 8-bit RGB picture written to a PNG,
// JPEG or BMP file, the format chosen by the file name's extension, and grey
// levels written to an 8- or 16-bit PNG.
#pragma once

#include <string>
#include <vector>

// Writes width x height RGB pixels to `path`: ".png" through libpng, ".jpg" or
// ".jpeg" (any case) through the JPEG library at quality 92, ".bmp" as an
// uncompressed 24-bit BMP (up to 16384 pixels a side); any other extension is
// refused. `rgb` is the start of the pixel memory and each row
// holds width * 3 bytes; rows lie |rowStride| bytes apart. A positive stride
// means the first row in memory is the picture's top row; a negative one means
// rows are stored bottom-up (the first row in memory is the bottom row, as
// glReadPixels leaves them). The file is written through AtomicFile, so a
// failure leaves an existing file untouched. Returns false with `error` set
// to one line naming the file and saying why.
bool writeImageFile(std::string const& path, int width, int height, unsigned char const* rgb,
                    int rowStride, std::string& error);

// Writes width x height values, row by row (the first row on top), each
// clamped to [0, 1] (NaN as 0) and rounded to the nearest of 255 or 65535
// levels (bits 8 or 16), as a greyscale PNG. The same file handling and
// errors as writeImageFile.
bool writeGreyPng(std::string const& path, int width, int height, std::vector<float> const& values, int bits,
                  std::string& error);
