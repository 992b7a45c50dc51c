// Writing the window's current back buffer to a picture file.
#pragma once

#include <string>

// Reads the whole drawable (the display's size) and writes it, top row first,
// as PNG or JPEG according to the file name's extension (see writeImageFile).
// The file is replaced only once the whole picture is written; a failure leaves
// an existing file untouched. Returns false with `error` set to one line that
// names the file and says why. The GL pack settings are left as they were.
bool writeWindowImage(std::string const& filename, std::string& error);
