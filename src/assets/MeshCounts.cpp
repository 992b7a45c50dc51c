// MeshCounts: the counts of OFF and PLY headers and of an OBJ's faces, against
// the file's size and the bench's limit.
#include "MeshCounts.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace MeshCounts {

namespace {

typedef unsigned long long Count;

std::string lowerExtension(std::string const& path) {
  size_t const dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// A count written in decimal, saturating rather than wrapping; false for any
// other word.
bool readCount(std::string const& word, Count& out) {
  if (word.empty() || word.size() > 40) return false;
  out = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    Count const digit = static_cast<Count>(c - '0');
    out = out > (~Count(0) - digit) / 10 ? ~Count(0) : out * 10 + digit;
  }
  return true;
}

// The words of the file's first `limit` bytes, comments (from '#' to the end
// of the line) left out when `comments` is set.
std::vector<std::string> headWords(FILE* f, size_t limit, bool comments) {
  std::vector<char> head(limit);
  head.resize(std::fread(head.data(), 1, head.size(), f));
  std::vector<std::string> words;
  std::string word;
  bool inComment = false;
  for (char c : head) {
    if (inComment) {
      inComment = c != '\n';
      continue;
    }
    if (comments && c == '#') {
      inComment = true;
    } else if (!std::isspace(static_cast<unsigned char>(c))) {
      word += c;
      continue;
    }
    if (!word.empty()) words.push_back(word);
    word.clear();
  }
  return words;  // a last word cut by the limit is left out
}

// Refuses what the header claims: more elements than the file has bytes (each
// takes one at least), or more faces than the bench draws triangles.
bool judge(std::string const& path, Count vertices, Count faces, long long bytes, unsigned long maxTriangles,
           std::string& error) {
  Count const size = static_cast<Count>(std::max(bytes, 0LL));
  for (auto const& claim : {std::make_pair(vertices, "vertices"), std::make_pair(faces, "faces")})
    if (claim.first > size) {
      error = path + ": its header claims " + std::to_string(claim.first) + " " + claim.second + " in a file of " +
              std::to_string(size) + " bytes, so it is broken";
      return false;
    }
  if (faces > maxTriangles) {
    error = path + ": its header claims " + std::to_string(faces) + " faces, more than the " +
            std::to_string(maxTriangles) + " triangles the bench draws";
    return false;
  }
  return true;
}

// "OFF" (or "COFF", "NOFF", "STOFF" and the like) and then the vertex and face
// counts. Other forms (a dimension first, binary OFF, no keyword) go to the
// importer unjudged.
bool checkOff(std::string const& path, FILE* f, long long bytes, unsigned long maxTriangles, std::string& error) {
  std::vector<std::string> const w = headWords(f, 4096, true);
  if (w.size() < 3 || w[0].size() < 3 || w[0].compare(w[0].size() - 3, 3, "OFF") != 0) return true;
  if (w[0].find_first_of("n4") != std::string::npos) return true;
  Count vertices = 0, faces = 0;
  if (!readCount(w[1], vertices) || !readCount(w[2], faces)) return true;
  return judge(path, vertices, faces, bytes, maxTriangles, error);
}

// "ply", then "element vertex N" and "element face N" among the header's lines.
bool checkPly(std::string const& path, FILE* f, long long bytes, unsigned long maxTriangles, std::string& error) {
  std::vector<std::string> const w = headWords(f, 65536, false);
  if (w.empty() || w[0] != "ply") return true;
  Count vertices = 0, faces = 0;
  for (size_t i = 1; i + 2 < w.size() && w[i] != "end_header"; ++i) {
    if (w[i] != "element") continue;
    Count n = 0;
    if (!readCount(w[i + 2], n)) return true;
    if (w[i + 1] == "vertex") vertices = n;
    if (w[i + 1] == "face") faces = n;
  }
  return judge(path, vertices, faces, bytes, maxTriangles, error);
}

// The triangles of one OBJ face line after its "f": corners less two, when
// its corners carry texture coordinates ("1/1", "1/1/1", not "1" or "1//1").
Count faceTriangles(char const* p, char const* end) {
  Count corners = 0;
  bool mapped = false;
  while (p < end) {
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r')) ++p;
    if (p == end) break;
    char const* const word = p;
    while (p < end && *p != ' ' && *p != '\t' && *p != '\r') ++p;
    if (corners++ == 0) {
      char const* slash = static_cast<char const*>(std::memchr(word, '/', static_cast<size_t>(p - word)));
      mapped = slash && slash + 1 < p && slash[1] != '/';
    }
  }
  return mapped && corners >= 3 ? corners - 2 : 0;
}

// Counts the mapped triangles line by line, stopping once there are too many.
// The importer groups faces into meshes, and a mesh with any texture
// coordinates keeps all its faces, so this count never exceeds its own.
bool checkObj(std::string const& path, FILE* f, long long bytes, unsigned long maxTriangles, std::string& error,
              std::function<void(double)> const& counted) {
  std::vector<char> buf(1 << 20);
  size_t have = 0;
  long long read = 0;
  Count triangles = 0;
  for (;;) {
    if (have == buf.size()) buf.resize(buf.size() * 2);  // a line longer than the buffer
    size_t const got = std::fread(buf.data() + have, 1, buf.size() - have, f);
    bool const end = got == 0;
    have += got;
    read += static_cast<long long>(got);
    if (counted && bytes > 0) counted(static_cast<double>(read) / static_cast<double>(bytes));
    char const* p = buf.data();
    char const* const stop = p + have;
    while (p < stop) {
      char const* nl = static_cast<char const*>(std::memchr(p, '\n', static_cast<size_t>(stop - p)));
      if (!nl && !end) break;  // the line goes on in the next read
      if (!nl) nl = stop;
      if (nl - p >= 2 && p[0] == 'f' && (p[1] == ' ' || p[1] == '\t')) triangles += faceTriangles(p + 1, nl);
      if (triangles > maxTriangles) {
        error = path + ": over " + std::to_string(maxTriangles) +
                " triangles with texture coordinates, more than the bench draws";
        return false;
      }
      p = nl == stop ? stop : nl + 1;
    }
    if (end) return true;
    have = static_cast<size_t>(stop - p);
    std::memmove(buf.data(), p, have);
  }
}

}  // namespace

bool check(std::string const& path, FILE* f, long long bytes, unsigned long maxTriangles, std::string& error,
           std::function<void(double)> const& counted) {
  std::string const ext = lowerExtension(path);
  if (ext != "off" && ext != "ply" && ext != "obj") return true;
  if (std::fseek(f, 0, SEEK_SET) != 0) return true;
  if (ext == "off") return checkOff(path, f, bytes, maxTriangles, error);
  if (ext == "ply") return checkPly(path, f, bytes, maxTriangles, error);
  return checkObj(path, f, bytes, maxTriangles, error, counted);
}

}  // namespace MeshCounts
