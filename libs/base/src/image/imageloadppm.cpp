// ImageLoadPPM: decodes ASCII portable pixmaps (P3) into top-first RGB rows.
#include "base/imageloadppm.h"

#include <cstdint>
#include <new>

#include "base/filebuffer.h"
#include "base/image.h"
#include "extension.h"
#include "pixelbuffer.h"

ImageLoadPPM imageLoadPPM;

namespace {

// Characters that atoi skips before a number. Space and newline never reach
// it: they separate tokens.
inline bool isBlank(char c) { return c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A cursor over the header. Comments run from '#' to the end of the line.
struct HeaderReader {
  char const* p;
  char const* end;

  void skipLine() {
    while (p < end && *p != '\n') ++p;
    if (p < end) ++p;
  }
  void skipSpaceAndComments() {
    while (p < end) {
      if (*p == '#') skipLine();
      else if (*p == ' ' || *p == '\n' || isBlank(*p)) ++p;
      else break;
    }
  }
  // A decimal header number; false when there is none or it is absurdly long.
  bool number(int& value) {
    skipSpaceAndComments();
    if (p >= end || !isDigit(*p)) return false;
    int64_t v = 0;
    while (p < end && isDigit(*p)) {
      v = v * 10 + (*p++ - '0');
      if (v > INT32_MAX) return false;
    }
    if (p < end && *p != ' ' && *p != '\n' && !isBlank(*p) && *p != '#') return false;
    value = static_cast<int>(v);
    return true;
  }
};

}  // namespace

Image* ImageLoadPPM::decode(char const* text, size_t size) {
  HeaderReader h{text, text + size};
  // The magic: only the ASCII pixmap is read here (P6 and the grey and bitmap
  // forms are other formats).
  if (size < 2 || text[0] != 'P' || text[1] != '3') return nullptr;
  h.p += 2;
  if (h.p < h.end && *h.p != ' ' && *h.p != '\n' && !isBlank(*h.p)) return nullptr;
  // When the magic ends its line, the next line is a comment if it starts
  // with '#' or with anything but a number (it is then ignored whatever it
  // holds). Further comments may stand anywhere in the header.
  while (h.p < h.end && (*h.p == ' ' || isBlank(*h.p))) ++h.p;
  if (h.p < h.end && *h.p == '\n') {
    ++h.p;
    while (h.p < h.end && (*h.p == ' ' || isBlank(*h.p))) ++h.p;
    if (h.p < h.end && !isDigit(*h.p)) h.skipLine();
  }

  int width = 0, height = 0, maxValue = 0;
  if (!h.number(width) || !h.number(height) || !h.number(maxValue)) return nullptr;
  if (maxValue < 1 || maxValue > 65535) return nullptr;
  size_t total = imageBufferBytes(width, height, 3);
  if (!total) return nullptr;

  // Pixels for which the file holds no sample stay zero.
  PixelBuffer pixels;
  if (!pixels.allocate(total, true)) return nullptr;
  unsigned char* out = pixels.get();

  // Samples: tokens separated by spaces and line ends. A token is read as atoi
  // reads it (leading blanks, a sign, digits up to the first other character)
  // and counts when its value is not 0 or it starts with the digit 0; the low
  // byte of the value is stored. Unsigned arithmetic keeps that low byte exact
  // for numbers of any length.
  char const* p = h.p;
  char const* end = h.end;
  size_t n = 0;
  while (p < end && n < total) {
    char c = *p;
    if (c == ' ' || c == '\n') {
      ++p;
      continue;
    }
    char const* q = p;
    if (!isDigit(c)) {
      while (q < end && isBlank(*q)) ++q;
    }
    bool negative = false;
    if (q < end && (*q == '+' || *q == '-')) negative = *q++ == '-';
    unsigned value = 0;
    bool nonZero = false;
    while (q < end && isDigit(*q)) {
      unsigned d = unsigned(*q++ - '0');
      value = value * 10u + d;
      nonZero |= d != 0;
    }
    while (q < end && *q != ' ' && *q != '\n') ++q;
    if (nonZero || c == '0') out[n++] = static_cast<unsigned char>(negative ? 0u - value : value);
    p = q;
  }

  Image* img = new (std::nothrow) Image;
  if (!img) return nullptr;
  img->width = width;
  img->height = height;
  img->bitsPerPixel = 24;
  img->data = pixels.release();
  return img;
}

Image* ImageLoadPPM::load(char const* filename, char const* extension) {
  if (!extensionIs(extension, "ppm")) return nullptr;
  FileBuffer file;
  if (!file.load(filename) || !file.data) return nullptr;
  return decode(file.data, size_t(file.size));
}
