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
// (a raster of 256 MiB of 16-bit RGB in text) are refused unread.
bool readWholeFile(char const* filename, std::vector<char>& text, std::string& why) {
  int const fd = openRegularFileFd(filename, why);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0;
  if (ok && uint64_t(st.st_size) > (kMaxImageBytes * 8)) {
    why = "the file is larger than any picture it may hold";
    ok = false;
  } else if (ok) {
    text.resize(size_t(st.st_size));
    size_t done = 0;
    while (done < text.size()) {
      ssize_t const n = ::read(fd, text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += size_t(n);
    }
    text.resize(done);
  } else {
    why = "cannot read the file";
  }
  ::close(fd);
  return ok;
}

// The text form's samples, scaled to 16 bits: tokens are read as the 8-bit
// path reads them (only spaces and line ends separate; a sample above the
// maximum counts as the maximum, a negative one as 0). Returns how many of
// out's samples the text held.
size_t readTextSamples(char const* p, char const* end, int maxValue, std::vector<uint16_t>& out) {
  uint64_t const m = uint64_t(maxValue);
  size_t n = 0;
  while (p < end && n < out.size()) {
    char const* token = p;
    while (p < end && *p != ' ' && *p != '\n') ++p;
    TokenValue v;
    if (p > token && readToken(token, size_t(p - token), v)) {
      uint64_t const s = v.negative ? 0 : v.large || v.value > m ? m : v.value;
      out[n++] = static_cast<uint16_t>((s * 65535u + m / 2) / m);
    }
    if (p < end) ++p;
  }
  return n;
}

}  // namespace

Image* ImageLoadPPM::loadGrey16(char const* filename, std::string& error) {
  error.clear();
  std::vector<char> text;
  if (!readWholeFile(filename, text, error)) return nullptr;
  PpmHeader header;
  if (!readPpmHeader(text.data(), text.size(), header, error)) return nullptr;
  int const channels = header.channels();
  std::vector<uint16_t> samples;
  if (header.ascii()) {
    size_t const total = imageBufferBytes(header.width, header.height, 2 * channels) / 2;
    if (!total) {
      error = ppmSizeProblem(header.width, header.height, 2 * channels);
      return nullptr;
    }
    samples.assign(total, 0);
    size_t const stored =
        readTextSamples(text.data() + header.length, text.data() + text.size(), header.maxValue, samples);
    if (stored < total)
      std::cout << "ImageLoadPPM::loadGrey16(" << filename << ") warning: " << (total - stored) << " of "
                << total << " samples missing, set to zero" << std::endl;
  } else if (!decodePnmRaster16(reinterpret_cast<unsigned char const*>(text.data()) + header.length,
                                text.size() - header.length, header.width, header.height, header.maxValue,
                                channels, samples, error)) {
    return nullptr;
  }

  size_t const pixelsCount = size_t(header.width) * size_t(header.height);
  PixelBuffer pixels;
  if (!pixels.allocate(pixelsCount * 2)) {
    error = "no memory for a " + std::to_string(header.width) + "x" + std::to_string(header.height) + " height map";
    return nullptr;
  }
  uint16_t* out = reinterpret_cast<uint16_t*>(pixels.get());
  for (size_t i = 0; i < pixelsCount; ++i) {
    if (channels == 1) {
      out[i] = samples[i];
      continue;
    }
    // The luminance, as the PNG and TIFF paths take it.
    uint16_t const* p = &samples[3 * i];
    float const lum = (0.3f * float(p[0]) + 0.6f * float(p[1])) + 0.1f * float(p[2]);
    out[i] = static_cast<uint16_t>(lum >= 65535.0f ? 65535 : static_cast<int>(lum));
  }
  return pixels.toImage(header.width, header.height, 16, channels == 1).release();
}
