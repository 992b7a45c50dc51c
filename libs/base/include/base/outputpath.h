// checkOutputPath: whether an output file could be written, asked before the
// work that produces it starts.
#pragma once

#include <string>
#include <vector>

// Checks before a long job that its output could be written to `path`: the
// name ends in one of `extensions` (".csv", any case; none given: any name),
// the folder exists and its mode lets it be written, and the name is not a
// folder or a device and, when the file exists, its mode has a write bit. A
// symbolic link counts as the file it leads to, in that file's folder, as the
// writer (AtomicFile) writes through it; one that leads to no file is refused.
// False with `error` naming the path and the cause: "out/x.csv: no such
// folder", "out: is not a folder", "out: the folder is read-only", "x.csv: is a
// directory", "/dev/null: is a device, not a file", "x.csv: is a FIFO, not a
// file", "x.csv: is read-only", "x.txt: needs a .csv name" (".png or .jpg" for
// two), "x.csv: is a symbolic link to /gone/x.csv, which does not exist",
// "x.csv: is a symbolic link into /ro, a read-only folder", "no file name given".
bool checkOutputPath(std::string const& path, std::vector<std::string> const& extensions, std::string& error);
