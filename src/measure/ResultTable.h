// ResultTable: rows of measured results with named columns, printed as an
// aligned table on the console (and so on standard output) and written as CSV.
#pragma once

// A table may carry context: what was measured and how, one line per item as
// "KEY VALUE", written before the CSV's header as comment lines "# KEY VALUE",
// so that a file says where its figures come from when it travels without
// its console. Readers take the first line that does not start with '#' as the
// header. The measuring commands write these keys, where they apply, in this
// order (the keys that are console commands read as the command that sets the
// value, so the lines can be typed again):
//   version      the bench's version
//   renderer     the GL renderer string ("llvmpipe (LLVM 15.0.6, 256 bits)")
//   colorMap, heightMap, normalMap
//                the map's file, then its size and bit depth ("fine detail.bmp
//                256x256 8-bit"); "generated" for a normal map made from the heights
//   polyDepth, bumpScale, refineSteps, iterations
//                the settings in use
//   steps        how the programs took their step counts: "literals" (the
//                ITERATIVE_STEPS line alone) or "uniforms" (stepsAsUniforms 1)
//   camera       the camera as the `camera` command takes it: X Y Z QX QY QZ QW WIDTH
//   view         the view's size and the pixels measured ("800x600 246719")
//   truth        what the fidelity figures are against, as fidelityTruth takes
//                it: plane (the tangent-plane reference) or displaced
//   maxAngle     a sweep's angle beyond which pixels were left out
//   path         a camera path's frames and turn ("60 frames 6 degrees")
// The console table leaves the context out: its title already names the
// renderer and view, and the session that prints it can show the rest (`camera`,
// `defines`), while every line more pushes the figures off the console.

#include <string>
#include <vector>

class ResultTable {
public:
  explicit ResultTable(std::vector<std::string> columns) : header(std::move(columns)) {}

  void add(std::vector<std::string> row) { rows.push_back(std::move(row)); }
  size_t size() const { return rows.size(); }
  std::vector<std::string> const& row(size_t i) const { return rows[i]; }
  std::vector<std::string> const& columns() const { return header; }
  // The index of the column named `name`, or -1.
  int column(std::string const& name) const;

  // Adds the context line "key value" (`key` one word; a line break in either
  // becomes a space; "key" alone for an empty value).
  void addContext(std::string const& key, std::string const& value);
  // Context lines in the order added, without their "# ".
  std::vector<std::string> const& context() const { return contextLines; }
  // The value of the first context line with `key`, or "" for none.
  std::string contextValue(std::string const& key) const;

  // The table with a title line, columns padded to their widest entry; the
  // first column left-aligned, the others right-aligned.
  std::string text(std::string const& title) const;
  // Writes the context lines, the header row and the rows as CSV (fields with
  // commas or quotes, or starting with '#', quoted), replacing the file only
  // once all of it is written.
  bool writeCsv(std::string const& path, std::string& error) const;

  // Prints text(title) on the console and, when `csvPath` is not empty,
  // writes the CSV there, saying which or why not (`command` heads the error).
  void report(std::string const& title, std::string const& csvPath, char const* command) const;

  // A number with `decimals` places ("-" for a value that is not finite).
  static std::string number(double value, int decimals = 3);

private:
  std::vector<std::string> header;
  std::vector<std::vector<std::string> > rows;
  std::vector<std::string> contextLines;
};
