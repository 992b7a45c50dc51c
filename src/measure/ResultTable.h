// ResultTable: rows of measured results with named columns, printed as an
// aligned table on the console (and so on standard output) and written as CSV.
#pragma once

#include <string>
#include <vector>

class ResultTable {
public:
  explicit ResultTable(std::vector<std::string> columns) : header(std::move(columns)) {}

  void add(std::vector<std::string> row) { rows.push_back(std::move(row)); }
  size_t size() const { return rows.size(); }
  std::vector<std::string> const& row(size_t i) const { return rows[i]; }

  // The table with a title line, columns padded to their widest entry; the
  // first column left-aligned, the others right-aligned.
  std::string text(std::string const& title) const;
  // Writes the header row and the rows as CSV (fields with commas or quotes
  // quoted), replacing the file only once all of it is written.
  bool writeCsv(std::string const& path, std::string& error) const;

  // Prints text(title) on the console and, when `csvPath` is not empty,
  // writes the CSV there, saying which or why not (`command` heads the error).
  void report(std::string const& title, std::string const& csvPath, char const* command) const;

  // A number with `decimals` places ("-" for a value that is not finite).
  static std::string number(double value, int decimals = 3);

private:
  std::vector<std::string> header;
  std::vector<std::vector<std::string> > rows;
};
