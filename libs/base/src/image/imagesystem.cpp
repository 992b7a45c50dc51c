// ImageSystem: the global loader chain, its construction and the walk that
// finds the loader for a file.
#include "base/imagesystem.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>

#include "base/exception.h"
#include "base/image.h"
#include "base/imageloaders.h"

ImageSystem imageSystem;

void ImageSystem::init() {
  // The loaders are linked once; a second call would point JPEG's successor
  // back into its own chain.
  for (ImageLoader* l = imageSystem.head; l; l = l->next)
    if (l == &imageLoadJPEG) return;
  imageLoadBMP.init();
  imageLoadPPM.init();
  imageLoadTGA.init();
  imageLoadPNG.init();
  imageLoadTIFF.init();
  imageLoadJPEG.init();
}

char const* ImageSystem::extensionOf(char const* filename) {
  char const* dot = std::strrchr(filename, '.');
  return dot ? dot + 1 : filename;
}

Image* ImageSystem::load(char const* filename) {
  try {
    if (!filename) throw Exception() << "no file name given";
    char const* ext = extensionOf(filename);
    for (ImageLoader* l = imageSystem.head; l; l = l->next) {
      ImagePtr img(l->load(filename, ext));
      if (img && img->data) return img.release();
    }
    throw Exception() << "failed to find appropriate loader";
  } catch (Throwable const& t) {
    std::fflush(stdout);
    std::cerr << "ImageSystem:load() filename " << (filename ? filename : "(null)")
              << " error: " << t.message() << "\n";
  } catch (std::exception const& e) {
    // Out of memory inside a loader: the same report, and no picture.
    std::cerr << "ImageSystem:load() filename " << (filename ? filename : "(null)")
              << " error: " << e.what() << "\n";
  }
  return nullptr;
}
