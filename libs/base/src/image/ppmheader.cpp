// readPpmHeader: the magic, the three header numbers and the comments between
// them, each refusal with its reason.
#include "ppmheader.h"

#include <cstdint>

#include "pixelbuffer.h"
#include "ppmtoken.h"

namespace {

inline bool isSeparator(char c) { return c == ' ' || c == '\n' || isBlank(c); }

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
      if (*p == '#')
        skipLine();
      else if (isSeparator(*p))
        ++p;
      else
        break;
    }
  }
  // The text from p to the next separator, at most 20 characters, for messages.
  std::string word() const {
    char const* q = p;
    while (q < end && q - p < 20 && !isSeparator(*q) && *q != '#') ++q;
    return std::string(p, q);
  }
  // A decimal header number named `what`; false with the reason when there is
  // none, it is not a whole number or it is absurdly long.
  bool number(int& value, char const* what, std::string& why) {
    skipSpaceAndComments();
    if (p >= end) {
      why = std::string("the header ends before its ") + what;
      return false;
    }
    std::string const shown = word();
    int64_t v = 0;
    char const* q = p;
    while (q < end && isDigit(*q)) {
      v = v * 10 + (*q++ - '0');
      if (v > INT32_MAX) {
        why = std::string("its ") + what + " is too large: " + shown;
        return false;
      }
    }
    if (q == p || (q < end && !isSeparator(*q) && *q != '#')) {
      why = std::string("its ") + what + " is not a whole number: \"" + shown + "\"";
      return false;
    }
    p = q;
    value = static_cast<int>(v);
    return true;
  }
};

}  // namespace

bool readPpmHeader(char const* text, size_t size, PpmHeader& out, std::string& why) {
  HeaderReader h{text, text + size};
  // The bitmaps (P1, P4) and the arbitrary maps (P7) are not read.
  bool const known = size >= 2 && text[0] == 'P' &&
                     (text[1] == '2' || text[1] == '3' || text[1] == '5' || text[1] == '6') &&
                     (size == 2 || isSeparator(text[2]));
  if (!known) {
    why = "not a P2, P3, P5 or P6 file";
    return false;
  }
  out.form = text[1];
  h.p += 2;
  while (h.p < h.end && (*h.p == ' ' || isBlank(*h.p))) ++h.p;
  if (h.p < h.end && *h.p == '\n') {
    ++h.p;
    while (h.p < h.end && (*h.p == ' ' || isBlank(*h.p))) ++h.p;
    if (h.p < h.end && !isDigit(*h.p)) h.skipLine();
  }
  if (!h.number(out.width, "width", why) || !h.number(out.height, "height", why) ||
      !h.number(out.maxValue, "maximum value", why))
    return false;
  if (out.maxValue < 1 || out.maxValue > 65535) {
    why = "its maximum value " + std::to_string(out.maxValue) + " is outside 1 to 65535";
    return false;
  }
  if (!out.ascii()) {
    if (h.p >= h.end) {
      why = "the raster is missing after the header";
      return false;
    }
    if (!isSeparator(*h.p)) {
      why = "its maximum value is not followed by a blank";
      return false;
    }
    ++h.p;
  }
  out.length = size_t(h.p - text);
  return true;
}

std::string ppmSizeProblem(int width, int height, int bytesPerPixel) {
  if (imageBufferBytes(width, height, bytesPerPixel)) return "";
  std::string const size = std::to_string(width) + "x" + std::to_string(height);
  if (width <= 0 || height <= 0) return "its size " + size + " has no pixels";
  return "its size " + size + " is larger than a picture may be: " + std::to_string(kMaxImageSide) +
         " pixels a side and " + std::to_string(kMaxImageBytes >> 20) + " MiB in all";
}
