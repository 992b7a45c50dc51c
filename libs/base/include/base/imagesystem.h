// ImageSystem: the chain of image loaders and the one entry point that turns a
// file name into an Image.
#pragma once

#include <string>

class Image;
class ImageLoader;

class ImageSystem {
public:
  // Constant-initialised: the global instance holds a null head before any
  // static constructor runs, whatever the order of construction.
  constexpr ImageSystem() : head(nullptr) {}

  // Links the six loaders so that, from the head, the chain reads JPEG, TIFF,
  // PNG, TGA, PPM, BMP, then whatever was the head before. A second call does
  // nothing (linking again would turn the chain into a loop).
  static void init();
  // Offers the file to each loader in chain order; returns the first image
  // with data, or null after printing why on standard error: "ImageSystem:load()
  // filename F error: failed to find appropriate loader: " followed by "cannot
  // open the file: <reason>" (missing or unreadable), "the name is a
  // directory, not a regular file" and the like, "the file exists but
  // ImageLoadPPM cannot read it: <the decoder's reason>" (a broken file of a
  // known format), or "the file exists but no loader could read it" (an
  // unknown extension). The caller owns the result (unload(), then delete).
  static Image* load(char const* filename);
  // The same, with the reason for a null result also in `error`.
  static Image* load(char const* filename, std::string& error);
  // The picture as 16-bit grey (Image's 16-bit form), for height maps: 16-bit
  // PNG and TIFF samples are kept as they are, portable any-maps (P2, P3, P5,
  // P6) are scaled from their maximum value to 16 bits; 8-bit files of any
  // format are widened (v * 257). Colour files give the luminance (0.3 R + 0.6 G) + 0.1 B,
  // truncated; alpha is dropped. Null with the reason in `error` (nothing
  // printed) when the file cannot be read.
  static Image* loadGrey16(char const* filename, std::string& error);
  // The text after the last '.', or the whole name when it has none.
  static char const* extensionOf(char const* filename);

  ImageLoader* head;
};

extern ImageSystem imageSystem;
