// ImageLoader: the abstract base of the file decoders, linked into the chain
// that ImageSystem walks.
#pragma once

#include <string>

class Image;

class ImageLoader {
public:
  // Constant-initialised, so the global loaders exist before any static
  // constructor could ask for them.
  constexpr ImageLoader() : next(nullptr) {}

  // Returns a new Image on success; null when the extension is not this
  // loader's or decoding failed (the loader prints its own line then).
  virtual Image* load(char const* filename, char const* extension) = 0;
  // The loader's class name, for information only.
  virtual char const* name() const = 0;

  // Puts this loader at the front of the global image system's chain.
  void init();

  // Why the latest load() on this thread that took its file (the extension
  // was the loader's) gave no picture: the loader notes the reason, and
  // ImageSystem::load takes it (emptying it) to name the cause in its error.
  static void noteFailure(std::string const& why);
  static std::string takeFailure();
  ImageLoader* getNext() const { return next; }

  ImageLoader* next;

protected:
  // Loaders are global objects that live until exit; nobody deletes one
  // through the base.
  ~ImageLoader() = default;
};
