// CsvReader: splitting CSV text into context, header and rows.
#include "CsvReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/regularfile.h"

namespace CsvReader {

bool parse(std::string const& text, ResultTable& out, std::string& error) {
  std::vector<std::string> context, header;
  std::vector<std::vector<std::string> > rows;
  bool haveHeader = false;
  size_t i = 0, line = 1;
  while (i < text.size()) {
    size_t const start = line;
    // A '#' at a line's start makes the line a comment; before the header it is context.
    if (text[i] == '#') {
      size_t end = text.find('\n', i);
      if (end == std::string::npos) end = text.size();
      std::string comment = text.substr(i + 1, end - i - 1);
      if (!comment.empty() && comment.back() == '\r') comment.pop_back();
      if (!comment.empty() && comment[0] == ' ') comment.erase(0, 1);
      if (!haveHeader) context.push_back(comment);
      i = end + 1;
      ++line;
      continue;
    }
    std::vector<std::string> fields(1);
    bool quoted = false, ended = false;
    for (; i < text.size() && !ended; ++i) {
      char const c = text[i];
      if (quoted) {
        if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
          fields.back() += '"';
          ++i;
        } else if (c == '"') {
          quoted = false;
        } else {
          if (c == '\n') ++line;
          fields.back() += c;
        }
      } else if (c == '"') {
        quoted = true;
      } else if (c == ',') {
        fields.emplace_back();
      } else if (c == '\n') {
        ended = true;
        ++line;
      } else if (c != '\r' || (i + 1 < text.size() && text[i + 1] != '\n')) {
        fields.back() += c;
      }
    }
    if (quoted) {
      error = "line " + std::to_string(start) + ": a quoted field is not closed";
      return false;
    }
    if (fields.size() == 1 && fields[0].empty()) continue;  // a blank line
    if (!haveHeader) {
      header = fields;
      haveHeader = true;
    } else {
      fields.resize(header.size());
      rows.push_back(fields);
    }
  }
  if (!haveHeader) {
    error = "no header line";
    return false;
  }
  ResultTable table(header);
  for (std::string const& c : context) {
    size_t const space = c.find(' ');
    table.addContext(c.substr(0, space), space == std::string::npos ? std::string() : c.substr(space + 1));
  }
  for (auto& r : rows) table.add(r);
  out = table;
  return true;
}

bool read(std::string const& path, ResultTable& out, std::string& error) {
  FILE* f = openRegularFile(path.c_str(), error);
  if (!f) return false;
  std::string text;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (text.size() + n > maxBytes) {
      std::fclose(f);
      error = path + ": larger than " + std::to_string(maxBytes >> 20) + " MiB, not a measuring command's CSV";
      return false;
    }
    text.append(buf, n);
  }
  bool const failed = std::ferror(f) != 0;
  int const err = errno;
  std::fclose(f);
  if (failed) {
    error = path + ": " + std::strerror(err);
    return false;
  }
  if (!parse(text, out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

}  // namespace CsvReader
