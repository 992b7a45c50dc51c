// The bench's version, from the header the build writes.
#include "Version.h"

#include "BenchVersion.h"

char const* benchVersion() { return RB_VERSION; }
