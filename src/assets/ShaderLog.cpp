// ShaderLog: splitting run-together messages and renumbering preprocessor lines.
#include "ShaderLog.h"

#include <cctype>
#include <cstdlib>

namespace ShaderLog {

namespace {

bool startsWith(std::string const& text, size_t at, char const* word) {
  return text.compare(at, std::char_traits<char>::length(word), word) == 0;
}

// True when a message marker starts at `at` right after some other text.
bool runsOn(std::string const& log, size_t at) {
  if (at == 0 || !(startsWith(log, at, "error: ") || startsWith(log, at, "warning: "))) return false;
  unsigned char const before = static_cast<unsigned char>(log[at - 1]);
  // "preprocessor error:" and "0:3(1): error:" are one message; a marker
  // glued to a word or a full stop is the start of the next.
  return !std::isspace(before) && before != ':' && before != '(' && before != '"' && before != '\'';
}

// Reads the digits at `p`; false when there are none.
bool digits(std::string const& s, size_t& p, long& value) {
  size_t const start = p;
  value = 0;
  while (p < s.size() && std::isdigit(static_cast<unsigned char>(s[p])) && p - start < 9) value = value * 10 + (s[p++] - '0');
  return p > start;
}

}  // namespace

std::string oneMessageALine(std::string const& log) {
  std::string out;
  out.reserve(log.size() + 8);
  for (size_t i = 0; i < log.size(); ++i) {
    if (runsOn(log, i)) out += '\n';
    out += log[i];
  }
  if (!out.empty() && out.back() != '\n') out += '\n';
  return out;
}

std::string shiftPreprocessorLines(std::string const& log, int by) {
  std::string out;
  size_t pos = 0;
  while (pos < log.size()) {
    size_t end = log.find('\n', pos);
    end = end == std::string::npos ? log.size() : end + 1;
    std::string line = log.substr(pos, end - pos);
    size_t p = 0;
    long source = 0, number = 0, column = 0;
    if (digits(line, p, source) && p < line.size() && line[p] == ':') {
      size_t const numberStart = ++p;
      if (digits(line, p, number) && p < line.size() && line[p] == '(') {
        size_t const numberEnd = p++;
        if (digits(line, p, column) && startsWith(line, p, "): preprocessor "))
          line.replace(numberStart, numberEnd - numberStart, std::to_string(number + by));
      }
    }
    out += line;
    pos = end;
  }
  return out;
}

}  // namespace ShaderLog
