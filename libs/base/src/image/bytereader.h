// Little-endian field access for the hand-written decoders, always bounded by
// the length of the bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>

inline uint16_t readLE16(unsigned char const* p) { return uint16_t(p[0] | (p[1] << 8)); }

inline uint32_t readLE32(unsigned char const* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline int32_t readLE32s(unsigned char const* p) { return static_cast<int32_t>(readLE32(p)); }
