// ImageLoadJPEG: JPEG files and memory blocks decoded through libjpeg (".jpg",
// ".jpeg"); always 24-bit RGB output.
#pragma once

#include "base/imageloader.h"

struct jpeg_common_struct;

// A file that ends early (its end marker missing, or cut inside its scans)
// decodes as the library does it, the rows it lacks filled in; one cut before
// its headers are complete fails. The library's warnings (the first one) make
// one line "<call> warning: <message>" on standard output.
class ImageLoadJPEG : public ImageLoader {
public:
  // Null for another extension; otherwise the decoded picture, or null after a
  // line "ImageLoadJPEG::load(<name>) error: <reason>" on standard output.
  Image* load(char const* filename, char const* extension) override;
  char const* name() const override { return "ImageLoadJPEG"; }

  // The same decoding from a block of memory (no extension test); failures
  // print "ImageLoadJPEG::loadFromMemory() error: <reason>".
  Image* loadFromMemory(char const* data, unsigned long size);
};

// The error_exit handler installed in libjpeg's error manager: prints the
// library's message and "jpeg error: <code>", then jumps back to the loader.
void my_error_exit(jpeg_common_struct* cinfo);

extern ImageLoadJPEG imageLoadJPEG;
