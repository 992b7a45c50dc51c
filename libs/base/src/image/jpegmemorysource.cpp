// The libjpeg source manager that feeds a decompressor from a block of memory
// in pieces of at most 4096 bytes, ending with a fake end-of-image marker.
#include "jpegmemorysource.h"

#include <cstring>

#include <jerror.h>

#include "math/assert.h"

namespace {

constexpr size_t kInputBufferBytes = 4096;

struct MemorySource {
  jpeg_source_mgr pub;
  char const* data;     // the block
  long size;            // its length
  long position;        // bytes of the block already handed to the library
  JOCTET* buffer;       // the input buffer, kInputBufferBytes long
  boolean startOfFile;  // nothing handed over yet
};

void initSource(j_decompress_ptr cinfo) {
  MemorySource* src = reinterpret_cast<MemorySource*>(cinfo->src);
  src->position = 0;
  src->startOfFile = TRUE;
}

boolean fillInputBuffer(j_decompress_ptr cinfo) {
  MemorySource* src = reinterpret_cast<MemorySource*>(cinfo->src);
  long nbytes = src->size - src->position;
  ASSERT(nbytes >= 0);
  if (nbytes == 0) {
    if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    // Supply an end-of-image marker so that the library can finish.
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    nbytes = 2;
  } else {
    if (nbytes > long(kInputBufferBytes)) nbytes = long(kInputBufferBytes);
    std::memcpy(src->buffer, src->data + src->position, size_t(nbytes));
    src->position += nbytes;
  }
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = size_t(nbytes);
  src->startOfFile = FALSE;
  return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long n) {
  if (n <= 0) return;
  MemorySource* src = reinterpret_cast<MemorySource*>(cinfo->src);
  long inBuffer = long(src->pub.bytes_in_buffer);
  if (n <= inBuffer) {
    src->pub.next_input_byte += n;
    src->pub.bytes_in_buffer -= size_t(n);
    return;
  }
  // The rest is skipped in the block itself, never beyond its end.
  n -= inBuffer;
  src->pub.next_input_byte += inBuffer;
  src->pub.bytes_in_buffer = 0;
  long remaining = src->size - src->position;
  src->position += n < remaining ? n : remaining;
}

void termSource(j_decompress_ptr) {}

}  // namespace

void jpegMemorySource(j_decompress_ptr cinfo, char const* data, unsigned long size) {
  if (!cinfo->src) {
    MemorySource* src = static_cast<MemorySource*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(MemorySource)));
    src->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kInputBufferBytes));
    cinfo->src = &src->pub;
  }
  MemorySource* src = reinterpret_cast<MemorySource*>(cinfo->src);
  src->pub.init_source = initSource;
  src->pub.fill_input_buffer = fillInputBuffer;
  src->pub.skip_input_data = skipInputData;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = termSource;
  src->pub.next_input_byte = nullptr;
  src->pub.bytes_in_buffer = 0;
  src->data = data;
  src->size = long(size);
  src->position = 0;
  src->startOfFile = TRUE;
}
