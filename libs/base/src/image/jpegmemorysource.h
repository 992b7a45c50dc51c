// The libjpeg source manager that feeds a decompressor from a block of memory.
#pragma once

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

// Installs the memory source on cinfo (once per decompressor, in its permanent
// pool) and points it at the block [data, data + size).
void jpegMemorySource(j_decompress_ptr cinfo, char const* data, unsigned long size);
