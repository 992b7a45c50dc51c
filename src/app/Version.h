// The bench's version, as its CSVs name it.
#pragma once

// The source's git commit the program was built from ("fe8b7c77aa75", with
// "-dirty" for uncommitted changes), or "unknown".
char const* benchVersion();
