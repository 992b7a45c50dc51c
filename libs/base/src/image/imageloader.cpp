// ImageLoader: linking a loader into the global chain.
#include "base/imageloader.h"

#include "base/imagesystem.h"

void ImageLoader::init() {
  next = imageSystem.head;
  imageSystem.head = this;
}
