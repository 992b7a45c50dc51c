// Writing a grey picture as an uncompressed 24-bit BMP file.
#pragma once

#include <string>

class GlyphSheet;

// Writes the sheet grey level into all three channels, bottom row first as BMP
// stores it. False (with the reason in error) when the file cannot be written.
bool writeSheetBmp(GlyphSheet const& sheet, char const* path, std::string& error);
