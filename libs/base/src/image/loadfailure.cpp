// ImageLoader's failure note: why the latest file a loader took could not be
// read, kept apart from the chain so that a decoder links without the image system.
#include <string>

#include "base/imageloader.h"

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
