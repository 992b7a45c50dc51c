// LoadOptions: splitting a loading command's words into options and a file name.
#include "LoadOptions.h"

#include <algorithm>

std::string unquoted(std::string const& word) {
  std::string out;
  for (char c : word)
    if (c != '"') out += c;
  return out;
}

namespace {

// "[-a] [-b]" for a usage line, or "-a or -b" for a refusal.
std::string listed(std::vector<std::string> const& known, bool usage) {
  std::string out;
  for (size_t i = 0; i < known.size(); ++i) {
    if (usage) {
      out += "[" + known[i] + "] ";
    } else {
      if (i > 0) out += i + 1 == known.size() ? " or " : ", ";
      out += known[i];
    }
  }
  return out;
}

}  // namespace

bool LoadOptions::has(std::string const& option) const {
  return std::find(given.begin(), given.end(), option) != given.end();
}

bool parseLoadOptions(char const* command, std::vector<std::string> const& words,
                      std::vector<std::string> const& known, LoadOptions& out, std::string& error) {
  LoadOptions parsed;
  size_t i = 0;
  for (; i < words.size(); ++i) {
    std::string const& w = words[i];
    if (w.empty()) continue;  // an extra space between options
    if (w[0] != '-') break;
    if (std::find(known.begin(), known.end(), w) == known.end()) {
      error = std::string(command) + ": unknown option \"" + w + "\"; " +
              (known.empty() ? std::string("it takes none") : "it takes " + listed(known, false)) +
              " before the file name (a file whose name starts with - is given as ./" + w + ")";
      return false;
    }
    if (!parsed.has(w)) parsed.given.push_back(w);
  }
  for (size_t j = i; j < words.size(); ++j) {
    if (j > i) parsed.file += ' ';
    parsed.file += unquoted(words[j]);
  }
  if (parsed.file.empty()) {
    error = "usage: " + std::string(command) + " " + listed(known, true) + "FILE";
    return false;
  }
  out = parsed;
  return true;
}
