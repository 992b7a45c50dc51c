// CsvReader: a measuring command's CSV read back into a ResultTable, context
// lines and all, for the commands that work on earlier results.
#pragma once

#include <string>

#include "ResultTable.h"

namespace CsvReader {

// The largest file read (a sweep is a few kilobytes).
size_t const maxBytes = size_t(64) << 20;

// Parses CSV text as ResultTable::writeCsv writes it: lines starting with '#'
// before the header are context (their "# " dropped), the first other line is
// the header, the lines after it rows; fields may be quoted ("a,b", "say
// ""x"""), with a quoted field running across line breaks; CRLF line ends and
// a missing last line break are taken. Blank lines are passed over, and so are
// '#' lines after the header. A row shorter than the header is padded with
// empty fields, a longer one cut. False, with one line in `error` and `out`
// untouched, for text without a header or with a quote left open.
bool parse(std::string const& text, ResultTable& out, std::string& error);

// Reads the file at `path` and parses it; `error` names the file.
bool read(std::string const& path, ResultTable& out, std::string& error);

}  // namespace CsvReader
