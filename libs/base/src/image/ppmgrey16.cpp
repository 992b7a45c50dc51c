// ImageLoadPPM::loadGrey16: portable any-maps as 16-bit heights, every sample
// kept at the file's own precision.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "base/image.h"
#include "base/imageloadppm.h"
#include "base/regularfile.h"
#include "pixelbuffer.h"
#include "ppmbinary.h"
#include "ppmheader.h"
#include "ppmtoken.h"

namespace {

// The whole file, or false with the reason. Files beyond any picture's size
// in text (eight bytes a sample at most are needed) are refused unread.
bool readWholeFile(char const* filename, std::vector<char>& text, std::string& why) {
  int const fd = openRegularFileFd(filename, why);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0;
  if (!ok) {
    why = "cannot read the file";
  } else if (uint64_t(st.st_size) > kMaxImageBytes * 8) {
    why = "the file is larger than any picture it may hold";
    ok = false;
  } else {
    text.resize(size_t(st.st_size));
    size_t done = 0;
    while (done < text.size()) {
      ssize_t const n = ::read(fd, text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += size_t(n);
    }
    text.resize(done);
  }
  ::close(fd);
  return ok;
}

// The samples in file order, each scaled from 0..maxValue to 0..65535 as the
// 8-bit form scales to 0..255: a sample above the maximum counts as the
// maximum, a negative one (text) as 0. Text tokens are read as the 8-bit path
// reads them (only spaces and line ends separate them).
class SampleSource {
public:
  SampleSource(PpmHeader const& h, char const* p, char const* end)
      : ascii(h.ascii()), wide(h.maxValue > 255), max(uint64_t(h.maxValue)), p(p), end(end) {}

  // False once a text has no sample left (a binary raster is checked to be
  // complete before reading).
  bool next(uint16_t& out) {
    uint64_t s = 0;
    if (!ascii) {
      unsigned char const* b = reinterpret_cast<unsigned char const*>(p);
      s = wide ? uint64_t(b[0]) << 8 | b[1] : b[0];
      p += wide ? 2 : 1;
    } else if (!nextToken(s)) {
      return false;
    }
    out = static_cast<uint16_t>(((s > max ? max : s) * 65535u + max / 2) / max);
    return true;
  }

private:
  bool nextToken(uint64_t& s) {
    while (p < end) {
      char const* token = p;
      while (p < end && *p != ' ' && *p != '\n') ++p;
      TokenValue v;
      bool const sample = p > token && readToken(token, size_t(p - token), v);
      if (p < end) ++p;
      if (!sample) continue;
      s = v.negative ? 0 : v.large ? max : v.value;
      return true;
    }
    return false;
  }

  bool ascii, wide;
  uint64_t max;
  char const* p;
  char const* end;
};

}  // namespace

Image* ImageLoadPPM::loadGrey16(char const* filename, std::string& error) {
  error.clear();
  std::vector<char> text;
  if (!readWholeFile(filename, text, error)) return nullptr;
  PpmHeader header;
  if (!readPpmHeader(text.data(), text.size(), header, error)) return nullptr;
  int const channels = header.channels();
  // The raster's size is checked at 16 bits for every sample the file holds.
  if (!imageBufferBytes(header.width, header.height, 2 * channels)) {
    error = ppmSizeProblem(header.width, header.height, 2 * channels);
    return nullptr;
  }
  size_t const count = size_t(header.width) * size_t(header.height), available = text.size() - header.length;
  if (!header.ascii() &&
      !(error = pnmRasterShortfall(available, count * size_t(channels) * (header.maxValue > 255 ? 2 : 1))).empty())
    return nullptr;
  PixelBuffer pixels;
  // Pixels a text gives no samples for stay zero: its buffer starts zeroed
  // (which costs nothing for the fresh pages of a large one).
  if (!pixels.allocate(count * 2, header.ascii())) {
    error = "no memory for a " + std::to_string(header.width) + "x" + std::to_string(header.height) + " height map";
    return nullptr;
  }
  uint16_t* out = reinterpret_cast<uint16_t*>(pixels.get());
  SampleSource source(header, text.data() + header.length, text.data() + text.size());
  size_t done = 0;
  for (uint16_t s[3]; done < count; ++done) {
    if (!source.next(s[0])) break;
    if (channels == 1) {
      out[done] = s[0];
      continue;
    }
    // The luminance, as the PNG and TIFF paths take it; a pixel cut short
    // counts its missing samples as 0.
    s[1] = s[2] = 0;
    bool const whole = source.next(s[1]) && source.next(s[2]);
    float const lum = (0.3f * float(s[0]) + 0.6f * float(s[1])) + 0.1f * float(s[2]);
    out[done] = static_cast<uint16_t>(lum >= 65535.0f ? 65535 : static_cast<int>(lum));
    if (!whole) {
      ++done;
      break;
    }
  }
  if (done < count)
    std::cout << "ImageLoadPPM::loadGrey16(" << filename << ") warning: " << (count - done) << " of " << count
              << " pixels without samples, set to zero" << std::endl;
  return pixels.toImage(header.width, header.height, 16, channels == 1).release();
}
