// ImageLoadBMP: decodes uncompressed 24-bit Windows bitmaps, bottom-up or
// top-down, into top-first RGB rows.
#include "base/imageloadbmp.h"

#include <cstdint>
#include <cstdio>
#include <iostream>

#include "base/exception.h"
#include "base/image.h"
#include "bytereader.h"
#include "bytesource.h"
#include "extension.h"
#include "pixelbuffer.h"

ImageLoadBMP imageLoadBMP;

namespace {

// The file header (14 bytes) and the part of the info header that is read
// (40 bytes: every info header from version 3 on starts with the same fields).
constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;

// Decodes from any source of the file's bytes; throws the reason on failure.
Image* decodeBmp(ByteSource& file) {
  size_t size = file.size();
  unsigned char const* bytes = file.at(0, 2);
  if (!bytes) throw Exception() << "file is too short for a bitmap header: " << size << " bytes";
  int16_t sig = static_cast<int16_t>(readLE16(bytes));
  if (sig != 0x4D42) throw Exception() << "got a bad sig:" << sig;
  bytes = file.at(0, kFileHeaderBytes + kInfoHeaderBytes);
  if (!bytes) throw Exception() << "file is too short for a bitmap header: " << size << " bytes";

  uint32_t dataOffset = readLE32(bytes + 10);
  uint32_t infoSize = readLE32(bytes + 14);
  int32_t width = readLE32s(bytes + 18);
  int32_t height = readLE32s(bytes + 22);
  int planes = readLE16(bytes + 26);
  int bitsPerPixel = readLE16(bytes + 28);
  uint32_t compression = readLE32(bytes + 30);

  if (planes != 1) throw Exception() << "got bad # planes:" << planes;
  if (bitsPerPixel != 24) throw Exception() << "got bad bitsPerPixel:" << bitsPerPixel;
  if (compression != 0) throw Exception() << "got bad compression: " << compression;
  // Older 12-byte (and OS/2 16-byte) headers put other fields at these places.
  if (infoSize < kInfoHeaderBytes || infoSize > size - kFileHeaderBytes)
    throw Exception() << "got bad info header size:" << infoSize;
  if (width <= 0) throw Exception() << "got bad width:" << width;
  if (height == 0 || height == INT32_MIN) throw Exception() << "got bad height:" << height;

  // A negative height marks rows stored top row first.
  bool topDown = height < 0;
  int64_t rows = topDown ? -int64_t(height) : int64_t(height);
  size_t imgBytes = imageBufferBytes(width, rows, 3);
  if (!imgBytes) throw Exception() << "image is too large: " << width << "x" << rows;

  // Pixel rows start after the headers and must all lie inside the file; the
  // last row's filler may be missing.
  if (dataOffset < kFileHeaderBytes + infoSize || dataOffset > size)
    throw Exception() << "got bad pixel data offset:" << dataOffset;
  size_t lineBytes = size_t(width) * 3;
  size_t filler = (lineBytes & 3) ? 4 - (lineBytes & 3) : 0;
  uint64_t needed = uint64_t(lineBytes + filler) * uint64_t(rows - 1) + lineBytes;
  if (needed > size - dataOffset)
    throw Exception() << "file is too short for its pixel data: needs " << needed
                      << " bytes after offset " << dataOffset << ", has " << (size - dataOffset);

  PixelBuffer pixels;
  if (!pixels.allocate(imgBytes)) throw Exception() << "failed to alloc " << imgBytes << " bytes for img!";

  // File rows in file order; bottom-up files fill the picture from its end.
  for (int64_t r = 0; r < rows; ++r) {
    unsigned char const* src = file.at(dataOffset + size_t(r) * (lineBytes + filler), lineBytes);
    if (!src) throw Exception() << "file is too short for its pixel data: row " << r << " is missing";
    int64_t outRow = topDown ? r : rows - 1 - r;
    unsigned char* dst = pixels.get() + size_t(outRow) * lineBytes;
    for (int32_t x = 0; x < width; ++x) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
      dst += 3;
      src += 3;
    }
  }

  return pixels.toImage(width, static_cast<int>(rows), 24, false).release();
}

}  // namespace

Image* ImageLoadBMP::decode(unsigned char const* bytes, size_t size) {
  MemoryByteSource source(bytes, size);
  return decodeBmp(source);
}

Image* ImageLoadBMP::load(char const* filename, char const* extension) {
  if (!extensionIs(extension, "bmp")) return nullptr;
  try {
    FileByteSource file;
    std::string why;
    if (!file.open(filename, why)) throw Exception() << why;
    return decodeBmp(file);
  } catch (Exception const& e) {
    std::fflush(stdout);
    std::cerr << "ImageLoadBMP failed to load file " << filename << ": " << e.message() << std::endl;
    noteFailure(e.message());
  }
  return nullptr;
}
