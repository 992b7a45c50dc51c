// ImageLoader: linking a loader into the global chain, and the note of why the
// latest file a loader took could not be read.
#include "base/imageloader.h"

#include "base/imagesystem.h"

void ImageLoader::init() {
  next = imageSystem.head;
  imageSystem.head = this;
}

namespace {
// One per thread: pictures may be loaded on several at once.
thread_local std::string failureNote;
}  // namespace

void ImageLoader::noteFailure(std::string const& why) { failureNote = why; }

std::string ImageLoader::takeFailure() {
  std::string why;
  why.swap(failureNote);
  return why;
}
