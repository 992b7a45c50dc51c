// Helpers shared by the image tests: scratch files, captured output, refusal
// reasons, little-endian header fields and pixel hashes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/exception.h"
#include "base/image.h"

using Bytes = std::vector<unsigned char>;

// Files under a scratch folder that is removed at exit.
std::string scratchDir();
std::string writeScratch(std::string const& name, Bytes const& bytes);
std::string writeScratch(std::string const& name, std::string const& text);
Bytes readWhole(std::string const& path);
std::string corpus(std::string const& relative);  // a file under tests/data
int openDescriptors();  // of this process: a loader that leaks one shows

Bytes pixels(Image const& img);  // rowBytes * height bytes
// "WxHxBPP:crc32 of the pixels" in hex, or "refused" for no picture.
std::string describe(Image const* img);

// Little-endian field writers for hand-built headers.
void put16(Bytes& b, size_t at, uint32_t v);
void put32(Bytes& b, size_t at, uint32_t v);

// What a call printed on standard output and standard error.
struct Output { std::string out, err; };
template <class F>
Output captured(F&& f) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  f();
  return {testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
}

// Why a decoder refused the bytes ("" when it decoded them).
template <class Decode>
std::string refusal(Decode decode, Bytes const& b) {
  try {
    ImagePtr img(decode(b.data(), b.size()));
    return img ? "" : "null";
  } catch (Exception const& e) {
    return e.message();
  }
}
