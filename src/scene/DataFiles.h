// DataFiles: where the bench finds its data files (shaders, maps, font).
#pragma once

#include <string>

namespace DataFiles {

// Looks only in `dir` from now on (the --data option); "" looks everywhere again.
void setFolder(std::string const& dir);
std::string const& folder();

// The path under which `name` (relative to a data folder, such as
// "shaders/basic bumpmap.vert") exists: with a --data folder, there; otherwise
// the working directory, then the data folder installed beside the program
// (<prefix>/share/reliefbench next to <prefix>/bin), then the data folder of
// the source tree the program was built from. `name` itself when none has it.
std::string find(std::string const& name);

// The places find() looks, for messages.
std::string places();

}  // namespace DataFiles
