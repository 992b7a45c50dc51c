// Helpers shared by the image tests.
#include "testutil.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

std::string scratchDir() {
  static struct Folder {
    std::string path;
    Folder() {
      std::string tmpl = (fs::temp_directory_path() / "imagetestXXXXXX").string();
      char* made = mkdtemp(tmpl.data());
      path = made ? made : tmpl;
    }
    ~Folder() {
      std::error_code ec;
      fs::remove_all(path, ec);
    }
  } folder;
  return folder.path;
}

std::string writeScratch(std::string const& name, Bytes const& bytes) {
  std::string path = scratchDir() + "/" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<char const*>(bytes.data()), std::streamsize(bytes.size()));
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

Bytes pixels(Image const& img) { return Bytes(img.data, img.data + img.dataBytes()); }

Bytes rgbOf(Image const& img) {
  Bytes out;
  size_t bpp = size_t(img.bitsPerPixel / 8);
  for (size_t i = 0; i < size_t(img.width) * size_t(img.height); ++i) {
    unsigned char const* p = img.data + i * bpp;
    if (bpp == 1) out.insert(out.end(), 3, p[0]);
    else out.insert(out.end(), p, p + 3);
  }
  return out;
}

void put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<unsigned char>(v);
  b[at + 1] = static_cast<unsigned char>(v >> 8);
}

void put32(Bytes& b, size_t at, uint32_t v) {
  put16(b, at, v);
  put16(b, at + 2, v >> 16);
}

void bmpColour(int x, int y, unsigned char rgb[3]) {
  rgb[0] = static_cast<unsigned char>(10 * x + y);
  rgb[1] = static_cast<unsigned char>(100 + x + 7 * y);
  rgb[2] = static_cast<unsigned char>(200 + x * y);
}

Bytes makeBmp(BmpFields const& s) {
  // The fields are always written at their 40-byte-header places.
  size_t headers = std::max<size_t>(54, 14 + s.infoSize);
  Bytes b(headers, 0);
  b.resize(headers + s.gap, 0xEE);
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 10, uint32_t(headers + s.gap));
  put32(b, 14, s.infoSize);
  put32(b, 18, uint32_t(s.width));
  put32(b, 22, uint32_t(s.height));
  put16(b, 26, s.planes);
  put16(b, 28, s.bpp);
  put32(b, 30, s.compression);
  int rows = s.height < 0 ? -s.height : s.height;
  int filler = (4 - (s.width * 3) % 4) % 4;
  for (int r = 0; r < rows; ++r) {
    for (int x = 0; x < s.width; ++x) {
      unsigned char rgb[3];
      bmpColour(x, s.height < 0 ? r : rows - 1 - r, rgb);
      b.insert(b.end(), {rgb[2], rgb[1], rgb[0]});
    }
    if (r + 1 < rows || s.lastFiller) b.insert(b.end(), size_t(filler), 0xAB);
  }
  put32(b, 2, uint32_t(b.size()));
  return b;
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
  int bytes = (b[28] | b[29] << 8) / 8;
  if ((bytes != 3 && bytes != 4) || w <= 0 || h == 0) return false;
  int rows = h < 0 ? -h : h;
  size_t stride = (size_t(w) * size_t(bytes) + 3) & ~size_t(3);
  if (offset + stride * size_t(rows) > b.size()) return false;
  out.width = w;
  out.height = rows;
  out.rgb.clear();
  for (int r = 0; r < rows; ++r) {
    unsigned char const* src = b.data() + offset + stride * size_t(h < 0 ? r : rows - 1 - r);
    for (int x = 0; x < w; ++x, src += bytes) out.rgb.insert(out.rgb.end(), {src[2], src[1], src[0]});
  }
  return true;
}

bool readReferencePnm(std::string const& path, Reference& out) {
  Bytes b = readWhole(path);
  std::istringstream in(std::string(b.begin(), b.end()));
  std::string magic;
  int maxval = 0;
  in >> magic >> out.width >> out.height >> maxval;
  size_t channels = magic == "P6" ? 3 : 1, n = size_t(out.width) * size_t(out.height);
  if ((magic != "P5" && magic != "P6") || out.width <= 0 || out.height <= 0 || maxval != 255) return false;
  size_t start = size_t(in.tellg()) + 1;
  if (start + n * channels > b.size()) return false;
  out.rgb.clear();
  for (unsigned char const* p = b.data() + start; n--; p += channels)
    out.rgb.insert(out.rgb.end(), {p[0], p[channels / 2], p[channels - 1]});
  return true;
}

ChildRun inChild(std::function<int()> const& body, unsigned seconds) {
  std::string log = scratchDir() + "/child.log";
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    if (!std::freopen(log.c_str(), "w", stdout) || dup2(fileno(stdout), 2) < 0) _exit(125);
    alarm(seconds);
    int rc = body();
    std::fflush(nullptr);
    std::cout.flush();
    _exit(rc);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return {"fork failed", -1};
  Bytes out = readWhole(log);
  return {std::string(out.begin(), out.end()), WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status)};
}

// MD5 (RFC 1321), enough to compare decodes with published digests.
std::string md5Hex(unsigned char const* data, size_t size) {
  static const int S[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};
  Bytes msg(data, data + size);
  msg.push_back(0x80);
  while (msg.size() % 64 != 56) msg.push_back(0);
  for (int i = 0; i < 8; ++i) msg.push_back(static_cast<unsigned char>((uint64_t(size) * 8) >> (8 * i)));
  uint32_t h[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  for (size_t chunk = 0; chunk < msg.size(); chunk += 64) {
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
    for (int i = 0; i < 64; ++i) {
      int round = i / 16;
      uint32_t f = round == 0 ? (b & c) | (~b & d) : round == 1 ? (d & b) | (~d & c) : round == 2 ? b ^ c ^ d : c ^ (b | ~d);
      int g = round == 0 ? i : round == 1 ? (5 * i + 1) % 16 : round == 2 ? (3 * i + 5) % 16 : (7 * i) % 16;
      uint32_t k = uint32_t(std::floor(std::fabs(std::sin(double(i + 1))) * 4294967296.0));
      uint32_t x = a + f + k + le32(msg, chunk + size_t(g) * 4);
      int s = S[round][i % 4];
      a = d;
      d = c;
      c = b;
      b += (x << s) | (x >> (32 - s));
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
