// ImageLoadPPM: decodes portable pixmaps and greymaps, ASCII (P3, P2) and binary
// (P6, P5), into top-first rows.
#include "base/imageloadppm.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/filebuffer.h"
#include "base/image.h"
#include "base/regularfile.h"
#include "extension.h"
#include "pixelbuffer.h"
#include "ppmbinary.h"
#include "ppmheader.h"
#include "ppmtoken.h"

ImageLoadPPM imageLoadPPM;

namespace {

// With maximum value 255 a sample is the low byte of the token's value.
__attribute__((noinline)) bool tokenSample(char const* t, size_t len, unsigned char& sample) {
  TokenValue v;
  if (!readToken(t, len, v)) return false;
  sample = static_cast<unsigned char>(v.negative ? 0u - v.value : v.value);
  return true;
}

// Any other maximum value m: a sample s becomes round(s * 255 / m), with a
// sample above m counting as m and a negative one as 0.
class SampleScale {
public:
  explicit SampleScale(int maxValue) : max(unsigned(maxValue)), table(size_t(maxValue) + 1) {
    for (unsigned s = 0; s <= max; ++s) table[s] = static_cast<unsigned char>((s * 255u + max / 2) / max);
  }
  bool sample(char const* t, size_t len, unsigned char& out) const {
    TokenValue v;
    if (!readToken(t, len, v)) return false;
    unsigned s = v.negative ? 0u : v.large || v.value > max ? max : v.value;
    out = table[s];
    return true;
  }

private:
  unsigned max;
  std::vector<unsigned char> table;
};

constexpr bool kLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

// Stores the sample of the token [t, t + len), if it is one. A token of one
// to three digits (nearly all of them) is read from four bytes at once when
// the text holds them.
__attribute__((always_inline)) inline void storeToken(char const* t, size_t len, char const* end,
                                                     unsigned char* out, size_t& n) {
  if (kLittleEndian && len <= 3 && end - t >= 4) {
    uint32_t w;
    std::memcpy(&w, t, 4);
    // Little-endian: byte i is character i. Digits become 0..9; the first
    // other character gets its top bit set in `stop` (bytes before it are
    // digits, so no borrow or carry reaches it).
    uint32_t x = w - 0x30303030u;
    uint32_t stop = ((x + 0x76767676u) | x) & 0x80808080u;
    if (size_t(__builtin_ctz(stop | 0x80000000u) >> 3) == len) {
      // With the last digit in the top byte, one product sums the digits'
      // place values there: last + 10 * middle + 100 * first, modulo 256,
      // which is the low byte that is stored.
      uint32_t d = x << (8 * (4 - len));
      out[n++] = static_cast<unsigned char>((d * 0x00640A01u) >> 24);
      return;
    }
  }
  unsigned char sample;
  if (tokenSample(t, len, sample)) out[n++] = sample;
}

// Bit i set when p[i] separates tokens (a space or a line end), for 64 bytes.
inline uint64_t separatorMask(char const* p) {
#if defined(__SSE2__)
  __m128i const space = _mm_set1_epi8(' '), newline = _mm_set1_epi8('\n');
  uint64_t mask = 0;
  for (int i = 0; i < 4; ++i) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<__m128i const*>(p + 16 * i));
    __m128i sep = _mm_or_si128(_mm_cmpeq_epi8(v, space), _mm_cmpeq_epi8(v, newline));
    mask |= uint64_t(uint32_t(_mm_movemask_epi8(sep))) << (16 * i);
  }
  return mask;
#else
  uint64_t mask = 0;
  for (int i = 0; i < 64; ++i) mask |= uint64_t(p[i] == ' ' || p[i] == '\n') << i;
  return mask;
#endif
}

// Reads the samples of a text that may arrive in pieces, storing them until
// `total` are stored. Tokens are separated by spaces and line ends only.
// Scaled readers map each sample through a SampleScale; the others keep the
// low byte (maximum value 255) on the fast path.
template <bool Scaled>
class SampleReader {
public:
  SampleReader(unsigned char* out, size_t total, SampleScale const* scale)
      : out(out), total(total), scale(scale) {}

  bool full() const { return n == total; }
  size_t count() const { return n; }

  // Reads every token of [p, end) that a separator ends; returns where the
  // unfinished last token starts (end when there is none).
  char const* feed(char const* p, char const* end) {
    char const* token = p;
    // Separators are found 64 bytes at a time; each token between two of
    // them is then read on its own, which keeps the work per token short.
    while (end - p >= 64 && n < total) {
      uint64_t mask = separatorMask(p);
      while (mask && n < total) {
        char const* sep = p + __builtin_ctzll(mask);
        if (sep > token) store(token, size_t(sep - token), end);
        token = sep + 1;
        mask &= mask - 1;
      }
      p += 64;
    }
    for (; p < end && n < total; ++p) {
      if (*p != ' ' && *p != '\n') continue;
      if (p > token) store(token, size_t(p - token), end);
      token = p + 1;
    }
    return n < total ? token : end;
  }

  // The text ended after [p, end): reads that last token, if any.
  void finish(char const* p, char const* end) {
    if (n < total && end > p) store(p, size_t(end - p), end);
  }

private:
  __attribute__((always_inline)) void store(char const* t, size_t len, char const* end) {
    if constexpr (Scaled) {
      unsigned char sample;
      if (scale->sample(t, len, sample)) out[n++] = sample;
    } else {
      storeToken(t, len, end, out, n);
    }
  }

  unsigned char* out;
  size_t total;
  SampleScale const* scale;
  size_t n = 0;
};

// The new Image around the pixels. Samples the text did not give are zero,
// and one line, opened by `prefix` (the call and the file), says how many.
Image* finishImage(PpmHeader const& header, PixelBuffer& pixels, size_t total, size_t stored, bool zeroed,
                   std::string const& prefix) {
  if (stored < total) {
    if (!zeroed) std::memset(pixels.get() + stored, 0, total - stored);
    std::cout << prefix << " warning: " << (total - stored) << " of " << total
              << " samples missing, set to zero" << std::endl;
  }
  return pixels.toImage(header.width, header.height, 8 * header.channels(), header.channels() == 1).release();
}

// A text of `textBytes` holds at most one sample per two bytes; when it
// cannot fill the picture, the buffer is allocated zero-filled (which costs
// nothing for large buffers) rather than cleared after parsing.
bool needsZeroedBuffer(size_t textBytes, size_t total) { return textBytes / 2 < total; }

// Files are read in pieces of this size, which stay in the cache while
// they are parsed.
constexpr size_t kChunkBytes = size_t(256) << 10;

// Reads the samples of a whole text into out; returns how many it held.
template <bool Scaled>
size_t readText(char const* text, size_t size, PpmHeader const& header, unsigned char* out, size_t total,
                SampleScale const* scale) {
  SampleReader<Scaled> reader(out, total, scale);
  char const* end = text + size;
  reader.finish(reader.feed(text + header.length, end), end);
  return reader.count();
}

// Reads the samples of a file in pieces, the first `have` bytes of it already
// in buf (a piece long), into out; `stored` is how many it held. Each piece is
// parsed up to its unfinished last token, which moves to the front of the
// buffer to be completed by the next piece. A single token longer than half a
// piece (nonsense, but well defined) makes it give up (false), for the
// whole-file reading to take over.
template <bool Scaled>
bool readPieces(FILE* f, char* buf, size_t have, PpmHeader const& header, unsigned char* out, size_t total,
                SampleScale const* scale, size_t& stored) {
  SampleReader<Scaled> reader(out, total, scale);
  char const* start = buf + header.length;
  for (;;) {
    char const* rest = reader.feed(start, buf + have);
    if (reader.full()) break;
    size_t keep = size_t(buf + have - rest);
    if (have < kChunkBytes) {  // the file has ended
      reader.finish(rest, buf + have);
      break;
    }
    if (keep > kChunkBytes / 2) return false;
    std::memmove(buf, rest, keep);
    have = keep + std::fread(buf + keep, 1, kChunkBytes - keep, f);
    start = buf;
  }
  stored = reader.count();
  return true;
}

// The text form's samples from the whole text, or null with the reason.
Image* decodeText(char const* text, size_t size, std::string const& prefix, std::string& why) {
  PpmHeader header;
  if (!readPpmHeader(text, size, header, why)) return nullptr;
  if (!header.ascii())
    return decodePnmRaster(reinterpret_cast<unsigned char const*>(text) + header.length, size - header.length,
                           header.width, header.height, header.maxValue, header.channels(), why);
  size_t total = imageBufferBytes(header.width, header.height, header.channels());
  if (!total) {
    why = ppmSizeProblem(header.width, header.height, header.channels());
    return nullptr;
  }
  bool zeroed = needsZeroedBuffer(size, total);
  PixelBuffer pixels;
  if (!pixels.allocate(total, zeroed)) {
    why = "no memory for its " + std::to_string(total) + " bytes";
    return nullptr;
  }
  size_t stored;
  if (header.maxValue == 255) {
    stored = readText<false>(text, size, header, pixels.get(), total, nullptr);
  } else {
    SampleScale scale(header.maxValue);
    stored = readText<true>(text, size, header, pixels.get(), total, &scale);
  }
  return finishImage(header, pixels, total, stored, zeroed, prefix);
}

// The whole file in memory, for binary rasters, and for headers or tokens too
// long for the pieces.
Image* decodeWholeFile(char const* filename, std::string const& prefix, std::string& why) {
  FileBuffer file;
  if (!file.load(filename) || !file.data) {
    why = "cannot read the file";
    return nullptr;
  }
  return decodeText(file.data, size_t(file.size), prefix, why);
}

}  // namespace

Image* ImageLoadPPM::decode(char const* text, size_t size) {
  std::string why;
  return decode(text, size, why);
}

Image* ImageLoadPPM::decode(char const* text, size_t size, std::string& why) {
  return decodeText(text, size, "ImageLoadPPM::decode()", why);
}

Image* ImageLoadPPM::load(char const* filename, char const* extension) {
  if (!extensionIs(extension, "ppm") && !extensionIs(extension, "pgm") && !extensionIs(extension, "pnm")) return nullptr;
  std::string why;
  Image* img = readFile(filename, why);
  if (!img) noteFailure(why);
  return img;
}

Image* ImageLoadPPM::readFile(char const* filename, std::string& why) {
  std::string const prefix = std::string("ImageLoadPPM::load(") + filename + ")";
  FILE* f = openRegularFile(filename, why);
  if (!f) {
    std::fprintf(stderr, "ImageLoadPPM: %s\n", why.c_str());
    return nullptr;
  }
  std::unique_ptr<FILE, int (*)(FILE*)> closer(f, std::fclose);
  std::unique_ptr<char[]> chunk(new char[kChunkBytes]);
  char* buf = chunk.get();

  // The header must lie inside the first piece, with something after it (so
  // that its last number is known to be complete); a longer one, full of
  // comments, is read with the whole file.
  size_t have = std::fread(buf, 1, kChunkBytes, f);
  PpmHeader header;
  if (have == kChunkBytes && (!readPpmHeader(buf, have, header, why) || header.length >= have))
    return decodeWholeFile(filename, prefix, why);
  if (!readPpmHeader(buf, have, header, why)) return nullptr;
  // A binary raster is read with the whole file, whose length it is checked against.
  if (!header.ascii()) return decodeWholeFile(filename, prefix, why);
  size_t total = imageBufferBytes(header.width, header.height, header.channels());
  if (!total) {
    why = ppmSizeProblem(header.width, header.height, header.channels());
    return nullptr;
  }
  struct stat st;
  bool zeroed = fstat(fileno(f), &st) != 0 || needsZeroedBuffer(size_t(st.st_size), total);
  PixelBuffer pixels;
  if (!pixels.allocate(total, zeroed)) {
    why = "no memory for its " + std::to_string(total) + " bytes";
    return nullptr;
  }

  size_t stored = 0;
  bool read;
  if (header.maxValue == 255) {
    read = readPieces<false>(f, buf, have, header, pixels.get(), total, nullptr, stored);
  } else {
    SampleScale scale(header.maxValue);
    read = readPieces<true>(f, buf, have, header, pixels.get(), total, &scale, stored);
  }
  if (!read) return decodeWholeFile(filename, prefix, why);
  return finishImage(header, pixels, total, stored, zeroed, prefix);
}
