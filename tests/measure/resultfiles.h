// The files the measuring jobs write, read back for their tests: the text, the
// rows (context lines apart), a column by name, and a cleared temporary path.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using Rows = std::vector<std::vector<std::string> >;

inline std::string slurp(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline Rows csvRows(std::string const& path, std::string* context = nullptr) {
  std::ifstream in(path);
  Rows out;
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) continue;
    if (line[0] == '#') {
      if (context) *context += line + "\n";
      continue;
    }
    out.emplace_back();
    std::istringstream fields(line);
    for (std::string c; std::getline(fields, c, ',');) out.back().push_back(c);
  }
  return out;
}

inline size_t column(Rows const& rows, std::string const& name) {
  for (size_t c = 0; !rows.empty() && c < rows[0].size(); ++c)
    if (rows[0][c] == name) return c;
  ADD_FAILURE() << "no column " << name;
  return 0;
}

inline std::string tempFile(char const* name) {
  std::string const path = testing::TempDir() + name;
  std::remove(path.c_str());
  return path;
}
