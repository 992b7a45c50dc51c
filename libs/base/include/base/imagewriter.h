// writeImageFile: an 8-bit RGB picture written to a PNG or JPEG file, the
// format chosen by the file name's extension.
#pragma once

#include <string>

// Writes width x height RGB pixels to `path`: ".png" through libpng, ".jpg" or
// ".jpeg" (any case) through the JPEG library at quality 92; any other
// extension is refused. `rgb` is the start of the pixel memory and each row
// holds width * 3 bytes; rows lie |rowStride| bytes apart. A positive stride
// means the first row in memory is the picture's top row; a negative one means
// rows are stored bottom-up (the first row in memory is the bottom row, as
// glReadPixels leaves them). The file is written through AtomicFile, so a
// failure leaves an existing file untouched. Returns false with `error` set
// to one line naming the file and saying why.
bool writeImageFile(std::string const& path, int width, int height, unsigned char const* rgb,
                    int rowStride, std::string& error);
