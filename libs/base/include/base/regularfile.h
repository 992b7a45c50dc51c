// Opening files for reading or appending only when they are regular files,
// checked without blocking, so that a FIFO or a device can never stall the program.
#pragma once

#include <cstdio>
#include <string>

// Each function returns an open handle, or -1 / null with `error` set to one
// line that names the file and says why: "/tmp/f.png: is a FIFO, not a
// regular file", "/x/y.png: No such file or directory". The check is made on
// the opened descriptor (opened with O_NONBLOCK, which is cleared again
// afterwards), so a file swapped in between cannot slip through.

// A descriptor open for reading (close-on-exec).
int openRegularFileFd(char const* path, std::string& error);
// A stream open for reading in binary mode.
FILE* openRegularFile(char const* path, std::string& error);
// A stream open for appending; a missing file is created (mode 0666 less the
// umask). Symbolic links to regular files are followed.
FILE* openRegularFileForAppend(char const* path, std::string& error);
