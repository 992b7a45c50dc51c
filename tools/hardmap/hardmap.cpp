// Command-line entry of the hard-map generator: one procedural height map as a grey PNG.
//
//   hardmap [--16] KIND SIZE OUT.png
//
// KIND is walls, spikes, ripple, hemispheres or sawtooth; SIZE the side in
// texels; --16 writes 16-bit samples instead of 8-bit ones.
#include "HardMaps.h"
#include "base/imagewriter.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

namespace {

int usage() {
  std::fprintf(stderr, "usage: hardmap [--16] KIND SIZE OUT.png   (KIND: %s; SIZE: %d to %d)\n",
               HardMaps::names().c_str(), HardMaps::minSize, HardMaps::maxSize);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  int bits = 8;
  for (int i = 1; i < argc; ++i) {
    std::string const a = argv[i];
    if (a == "--16") {
      bits = 16;
    } else if (a == "-h" || a == "--help") {
      usage();
      return 0;
    } else {
      args.push_back(a);
    }
  }
  if (args.size() != 3) return usage();

  HardMaps::Kind kind;
  if (!HardMaps::parse(args[0], kind)) {
    std::fprintf(stderr, "hardmap: unknown kind \"%s\" (one of %s)\n", args[0].c_str(), HardMaps::names().c_str());
    return 1;
  }
  char* end = nullptr;
  long const size = std::strtol(args[1].c_str(), &end, 10);
  if (args[1].empty() || *end || size < HardMaps::minSize || size > HardMaps::maxSize) {
    std::fprintf(stderr, "hardmap: bad size \"%s\" (%d to %d)\n", args[1].c_str(), HardMaps::minSize,
                 HardMaps::maxSize);
    return 1;
  }
  std::vector<float> heights;
  try {
    heights = HardMaps::heights(kind, static_cast<int>(size));
  } catch (std::exception const& e) {
    std::fprintf(stderr, "hardmap: %s\n", e.what());
    return 1;
  }
  std::string error;
  if (!writeGreyPng(args[2], static_cast<int>(size), static_cast<int>(size), heights, bits, error)) {
    std::fprintf(stderr, "hardmap: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
