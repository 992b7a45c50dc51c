// Helpers shared by the image tests: scratch files, reference readers, MD5.
#include "testutil.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct ScratchFolder {
  std::string path;
  ScratchFolder() {
    std::string tmpl = (fs::temp_directory_path() / "imagetestXXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back(0);
    char* made = mkdtemp(buf.data());
    path = made ? made : tmpl;
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

}  // namespace

std::string scratchDir() {
  static ScratchFolder folder;
  return folder.path;
}

std::string writeScratch(std::string const& name, Bytes const& bytes) {
  std::string path = scratchDir() + "/" + name;
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<char const*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

std::string writeScratch(std::string const& name, std::string const& text) {
  return writeScratch(name, Bytes(text.begin(), text.end()));
}

Bytes readWhole(std::string const& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string corpus(std::string const& relative) { return std::string(RB_TEST_DATA_DIR) + "/" + relative; }

Bytes pixels(Image const& img) {
  return Bytes(img.data, img.data + img.dataBytes());
}

Bytes rgbOf(Image const& img) {
  Bytes out;
  size_t n = size_t(img.width) * size_t(img.height);
  out.reserve(n * 3);
  int bpp = img.bitsPerPixel / 8;
  for (size_t i = 0; i < n; ++i) {
    unsigned char const* p = img.data + i * size_t(bpp);
    if (bpp == 1) {
      out.insert(out.end(), 3, p[0]);
    } else {
      out.insert(out.end(), p, p + 3);
    }
  }
  return out;
}

namespace {

uint32_t le32(Bytes const& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

}  // namespace

bool readReferenceBmp(std::string const& path, Reference& out) {
  Bytes b = readWhole(path);
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
  uint32_t offset = le32(b, 10);
  int32_t w = int32_t(le32(b, 18)), h = int32_t(le32(b, 22));
  int bpp = b[28] | b[29] << 8;
  if ((bpp != 24 && bpp != 32) || w <= 0 || h == 0) return false;
  bool topDown = h < 0;
  int rows = topDown ? -h : h;
  size_t stride = (size_t(w) * size_t(bpp / 8) + 3) & ~size_t(3);
  if (offset + stride * size_t(rows) > b.size()) return false;
  out.width = w;
  out.height = rows;
  out.rgb.assign(size_t(w) * size_t(rows) * 3, 0);
  for (int r = 0; r < rows; ++r) {
    unsigned char const* src = b.data() + offset + stride * size_t(topDown ? r : rows - 1 - r);
    unsigned char* dst = out.rgb.data() + size_t(r) * size_t(w) * 3;
    for (int x = 0; x < w; ++x, src += bpp / 8, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return true;
}

bool readReferencePnm(std::string const& path, Reference& out) {
  Bytes b = readWhole(path);
  std::string text(b.begin(), b.end());
  std::istringstream in(text);
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  in >> magic >> w >> h >> maxval;
  if ((magic != "P5" && magic != "P6") || w <= 0 || h <= 0 || maxval != 255) return false;
  size_t start = size_t(in.tellg()) + 1;
  size_t channels = magic == "P6" ? 3 : 1;
  size_t n = size_t(w) * size_t(h);
  if (start + n * channels > b.size()) return false;
  out.width = w;
  out.height = h;
  out.rgb.clear();
  for (size_t i = 0; i < n; ++i) {
    unsigned char const* p = b.data() + start + i * channels;
    if (channels == 3) out.rgb.insert(out.rgb.end(), p, p + 3);
    else out.rgb.insert(out.rgb.end(), 3, p[0]);
  }
  return true;
}

// MD5 (RFC 1321), enough to compare decodes with published digests.
std::string md5Hex(unsigned char const* data, size_t size) {
  static const uint32_t K[64] = {
      0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
      0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
      0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
      0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
      0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
      0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
      0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
      0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
  static const int S[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                            5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                            4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                            6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
  Bytes msg(data, data + size);
  msg.push_back(0x80);
  while (msg.size() % 64 != 56) msg.push_back(0);
  uint64_t bits = uint64_t(size) * 8;
  for (int i = 0; i < 8; ++i) msg.push_back(static_cast<unsigned char>(bits >> (8 * i)));
  uint32_t h[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  for (size_t chunk = 0; chunk < msg.size(); chunk += 64) {
    uint32_t m[16];
    for (int i = 0; i < 16; ++i) m[i] = le32(msg, chunk + size_t(i) * 4);
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
    for (int i = 0; i < 64; ++i) {
      uint32_t f;
      int g;
      if (i < 16) {
        f = (b & c) | (~b & d);
        g = i;
      } else if (i < 32) {
        f = (d & b) | (~d & c);
        g = (5 * i + 1) % 16;
      } else if (i < 48) {
        f = b ^ c ^ d;
        g = (3 * i + 5) % 16;
      } else {
        f = c ^ (b | ~d);
        g = (7 * i) % 16;
      }
      uint32_t t = d;
      d = c;
      c = b;
      uint32_t x = a + f + K[i] + m[g];
      b = b + ((x << S[i]) | (x >> (32 - S[i])));
      a = t;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
  }
  char hex[33];
  for (int i = 0; i < 16; ++i) std::snprintf(hex + 2 * i, 3, "%02x", (h[i / 4] >> (8 * (i % 4))) & 0xff);
  return std::string(hex, 32);
}
