// ImageSystem: the global loader chain, its construction and the walk that
// finds the loader for a file.
#include "base/imagesystem.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>

#include "base/exception.h"
#include "base/image.h"
#include "base/imageloaders.h"
#include "file/filekind.h"

ImageSystem imageSystem;

namespace {

// Why no loader gave a picture: the file cannot be had at all, or it is there
// and the loader that took it (`reader`, null for none) could not read it.
std::string whyNoLoader(char const* filename, char const* reader, std::string const& reason) {
  struct stat st;
  if (::stat(filename, &st) != 0) return std::string("cannot open the file: ") + std::strerror(errno);
  if (!S_ISREG(st.st_mode)) return "the name" + notRegularReason(st.st_mode);
  if (reader) return std::string("the file exists but ") + reader + " cannot read it: " + reason;
  return "the file exists but no loader could read it";
}

}  // namespace

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
  std::string error;
  return load(filename, error);
}

Image* ImageSystem::load(char const* filename, std::string& error) {
  error.clear();
  try {
    if (!filename) throw Exception() << "no file name given";
    char const* ext = extensionOf(filename);
    char const* reader = nullptr;
    std::string reason;
    for (ImageLoader* l = imageSystem.head; l; l = l->next) {
      ImageLoader::takeFailure();
      ImagePtr img(l->load(filename, ext));
      if (img && img->data) return img.release();
      std::string why = ImageLoader::takeFailure();
      if (!reader && !why.empty()) {
        reader = l->name();
        reason.swap(why);
      }
    }
    throw Exception() << "failed to find appropriate loader: " << whyNoLoader(filename, reader, reason);
  } catch (Throwable const& t) {
    error = t.message();
    std::fflush(stdout);
    std::cerr << "ImageSystem:load() filename " << (filename ? filename : "(null)")
              << " error: " << t.message() << "\n";
  } catch (std::exception const& e) {
    // Out of memory inside a loader: the same report, and no picture.
    error = e.what();
    std::cerr << "ImageSystem:load() filename " << (filename ? filename : "(null)")
              << " error: " << e.what() << "\n";
  }
  return nullptr;
}
