// Writing the window's current back buffer to a PNG file.
#pragma once

#include <string>

// Reads the whole drawable (the display's size) and writes it, top row first.
// Returns false, having printed why, when nothing could be written.
bool writeWindowPNG(std::string const& filename);
