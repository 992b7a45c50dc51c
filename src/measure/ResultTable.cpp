// ResultTable: aligned text and CSV.
#include "ResultTable.h"

#include <cmath>
#include <cstdio>

#include "base/atomicfile.h"
#include "base/console.h"

namespace {

// A field starting with '#' is quoted too, so that no reader takes its row
// for a comment line.
std::string csvField(std::string const& s) {
  if (s.find_first_of(",\"\n") == std::string::npos && (s.empty() || s[0] != '#')) return s;
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string oneLine(std::string s) {
  for (char& c : s)
    if (c == '\n' || c == '\r') c = ' ';
  return s;
}

}  // namespace

int ResultTable::column(std::string const& name) const {
  for (size_t c = 0; c < header.size(); ++c)
    if (header[c] == name) return static_cast<int>(c);
  return -1;
}

void ResultTable::addContext(std::string const& key, std::string const& value) {
  contextLines.push_back(value.empty() ? oneLine(key) : oneLine(key) + " " + oneLine(value));
}

std::string ResultTable::contextValue(std::string const& key) const {
  for (std::string const& line : contextLines)
    if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == ' ')
      return line.substr(key.size() + 1);
  return std::string();
}

std::string ResultTable::number(double value, int decimals) {
  if (!std::isfinite(value)) return "-";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  return buf;
}

std::string ResultTable::text(std::string const& title) const {
  std::vector<size_t> width(header.size());
  for (size_t c = 0; c < header.size(); ++c) width[c] = header[c].size();
  for (auto const& r : rows)
    for (size_t c = 0; c < r.size() && c < width.size(); ++c) width[c] = std::max(width[c], r[c].size());
  auto line = [&](std::vector<std::string> const& cells) {
    std::string out;
    for (size_t c = 0; c < width.size(); ++c) {
      std::string const cell = c < cells.size() ? cells[c] : std::string();
      std::string const pad(width[c] - cell.size(), ' ');
      if (c > 0) out += "  ";
      out += c == 0 ? cell + pad : pad + cell;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out + "\n";
  };
  std::string out = title.empty() ? std::string() : title + "\n";
  out += line(header);
  for (auto const& r : rows) out += line(r);
  return out;
}

bool ResultTable::writeCsv(std::string const& path, std::string& error) const {
  AtomicFile file;
  if (!file.open(path, error)) return false;
  auto write = [&](std::vector<std::string> const& cells) {
    for (size_t c = 0; c < cells.size(); ++c)
      std::fprintf(file.stream(), "%s%s", c ? "," : "", csvField(cells[c]).c_str());
    std::fputc('\n', file.stream());
  };
  for (std::string const& line : contextLines) std::fprintf(file.stream(), "# %s\n", line.c_str());
  write(header);
  for (auto const& r : rows) write(r);
  return file.commit(error);
}

void ResultTable::report(std::string const& title, std::string const& csvPath, char const* command) const {
  con << text(title);
  if (csvPath.empty()) return;
  std::string error;
  if (writeCsv(csvPath, error))
    con << "wrote " << csvPath << "\n";
  else
    con << command << ": " << error << "\n";
}
