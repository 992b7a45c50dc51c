// ImageLoadTGA: decodes uncompressed TGA files (8-bit grey, 8-bit colour-mapped,
// 24- and 32-bit true colour) into top-first RGB(A) rows.
#include "base/imageloadtga.h"

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>

#include "base/exception.h"
#include "base/image.h"
#include "bytereader.h"
#include "bytesource.h"
#include "extension.h"
#include "pixelbuffer.h"

ImageLoadTGA imageLoadTGA;

namespace {

constexpr size_t kHeaderBytes = 18;

enum TgaImageType { kColourMapped = 1, kTrueColour = 2, kGrey = 3 };
constexpr int kRleBit = 8;
constexpr int kRightToLeftBit = 0x10;
constexpr int kTopFirstBit = 0x20;

// The colour map as RGB(A) entries, expanded from its stored form.
struct Palette {
  int first = 0;           // index of the first stored entry
  int count = 0;           // number of stored entries
  int outBytes = 3;        // 3 (RGB) or 4 (RGBA) per expanded entry
  unsigned char rgba[65536 * 4];
};

// Expands the stored map (entries of 15/16, 24 or 32 bits, blue first); 5-bit
// primaries are scaled to 8 bits with rounding.
void readPalette(Palette& pal, unsigned char const* src, int first, int count, int entryBits) {
  pal.first = first;
  pal.count = count;
  pal.outBytes = entryBits == 32 ? 4 : 3;
  unsigned char* out = pal.rgba;
  for (int i = 0; i < count; ++i) {
    if (entryBits == 15 || entryBits == 16) {
      // 5 bits per primary, x-r-r-r-r-r-g-g g-g-g-b-b-b-b-b, little-endian.
      unsigned v = readLE16(src);
      unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
      out[0] = static_cast<unsigned char>((r * 255 + 15) / 31);
      out[1] = static_cast<unsigned char>((g * 255 + 15) / 31);
      out[2] = static_cast<unsigned char>((b * 255 + 15) / 31);
      src += 2;
    } else {
      out[0] = src[2];
      out[1] = src[1];
      out[2] = src[0];
      if (entryBits == 32) out[3] = src[3];
      src += entryBits / 8;
    }
    out += pal.outBytes;
  }
}

// Decodes from any source of the file's bytes; throws the reason on failure.
Image* decodeTga(ByteSource& file) {
  size_t size = file.size();
  unsigned char const* bytes = file.at(0, kHeaderBytes);
  if (!bytes) throw Exception() << "couldnt read header";
  int idLength = bytes[0];
  int colourMapType = bytes[1];
  int imageType = bytes[2];
  int mapFirst = readLE16(bytes + 3);
  int mapLength = readLE16(bytes + 5);
  int mapEntryBits = bytes[7];
  int width = readLE16(bytes + 12);
  int height = readLE16(bytes + 14);
  int depth = bytes[16];
  int descriptor = bytes[17];

  size_t pos = kHeaderBytes + size_t(idLength);
  if (pos > size) throw Exception() << "error trying to seek past image ID info";

  // The colour map, when there is one, lies between the ID and the pixels;
  // files that do not use it still have to step over it.
  if (colourMapType > 1) throw Exception() << "got bad colour map type:" << colourMapType;
  size_t mapBytes = 0;
  if (colourMapType == 1) {
    mapBytes = size_t(mapLength) * size_t((mapEntryBits + 7) / 8);
    if (mapBytes > size - pos) throw Exception() << "couldnt read the TGA's palette";
  }
  size_t mapPos = pos;
  pos += mapBytes;

  if (imageType & kRleBit) throw Exception() << "this TGA file just happens to be RLE, which I dont support yet";
  if (depth != 8 && depth != 24 && depth != 32)
    throw Exception() << "This TGA is not of either 8, 24, or 32 bits per pixel";

  switch (imageType) {
  case kColourMapped:
    if (colourMapType != 1) throw Exception() << "colormap hasnt been found";
    if (depth != 8) throw Exception() << "colour-mapped TGA with " << depth << "-bit indexes";
    if (mapEntryBits != 15 && mapEntryBits != 16 && mapEntryBits != 24 && mapEntryBits != 32)
      throw Exception() << "got bad colour map entry size:" << mapEntryBits;
    break;
  case kTrueColour:
    if (depth == 8) throw Exception() << "8-bit TGA that is neither grey nor colour-mapped";
    break;
  case kGrey:
    if (depth != 8) throw Exception() << "grey TGA of " << depth << " bits per pixel";
    break;
  default:
    throw Exception() << "got bad image type:" << imageType;
  }

  if (width == 0 || height == 0) throw Exception() << "got bad image size: " << width << "x" << height;
  size_t inPixelBytes = size_t(depth / 8);
  size_t inRowBytes = inPixelBytes * size_t(width);
  if (inRowBytes * size_t(height) > size - pos)
    throw Exception() << (depth == 8 ? "error in reading this TGA" : "couldnt read texture row");

  std::unique_ptr<Palette> palette;
  int outPixelBytes = int(inPixelBytes);
  if (imageType == kColourMapped) {
    palette.reset(new Palette);
    unsigned char const* map = file.at(mapPos, mapBytes);
    if (!map) throw Exception() << "couldnt read the TGA's palette";
    readPalette(*palette, map, mapFirst, mapLength, mapEntryBits);
    outPixelBytes = palette->outBytes;
  }

  size_t outBytes = imageBufferBytes(width, height, outPixelBytes);
  if (!outBytes) throw Exception() << "image is too large: " << width << "x" << height;
  PixelBuffer pixels;
  if (!pixels.allocate(outBytes)) throw Exception() << "failed to alloc " << outBytes << " bytes for img!";

  size_t outRowBytes = size_t(outPixelBytes) * size_t(width);
  bool topFirst = descriptor & kTopFirstBit;
  bool rightToLeft = descriptor & kRightToLeftBit;
  for (int r = 0; r < height; ++r) {
    unsigned char const* src = file.at(pos + size_t(r) * inRowBytes, inRowBytes);
    if (!src) throw Exception() << (depth == 8 ? "error in reading this TGA" : "couldnt read texture row");
    int outRow = topFirst ? r : height - 1 - r;
    unsigned char* dst = pixels.get() + size_t(outRow) * outRowBytes;
    if (palette) {
      for (int x = 0; x < width; ++x) {
        int entry = int(src[x]) - palette->first;
        if (entry < 0 || entry >= palette->count)
          throw Exception() << "colour map index " << int(src[x]) << " is outside the colour map";
        int ox = rightToLeft ? width - 1 - x : x;
        unsigned char const* c = palette->rgba + size_t(entry) * size_t(outPixelBytes);
        unsigned char* d = dst + size_t(ox) * size_t(outPixelBytes);
        for (int k = 0; k < outPixelBytes; ++k) d[k] = c[k];
      }
    } else if (depth == 8) {
      for (int x = 0; x < width; ++x) dst[rightToLeft ? width - 1 - x : x] = src[x];
    } else if (depth == 24) {
      unsigned char const* s = src;
      for (int x = 0; x < width; ++x, s += 3) {
        unsigned char* d = dst + size_t(rightToLeft ? width - 1 - x : x) * 3;
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
      }
    } else {
      unsigned char const* s = src;
      for (int x = 0; x < width; ++x, s += 4) {
        unsigned char* d = dst + size_t(rightToLeft ? width - 1 - x : x) * 4;
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
        d[3] = s[3];
      }
    }
  }

  return pixels.toImage(width, height, outPixelBytes * 8, imageType == kGrey).release();
}

}  // namespace

Image* ImageLoadTGA::decode(unsigned char const* bytes, size_t size) {
  MemoryByteSource source(bytes, size);
  return decodeTga(source);
}

Image* ImageLoadTGA::load(char const* filename, char const* extension) {
  if (!extensionIs(extension, "tga")) return nullptr;
  try {
    FileByteSource file;
    std::string why;
    if (!file.open(filename, why)) throw Exception() << why;
    return decodeTga(file);
  } catch (Exception const& e) {
    std::cout << "ImageLoadTGA " << filename << " failed: " << e.message() << std::endl;
    noteFailure(e.message());
  }
  return nullptr;
}
