// Argument adjustment for programs started by a desktop launcher: the launcher
// adds a process-serial-number argument ("-psn...") and starts the program in
// an unspecified working directory, while the data files lie beside the bundle.
#include "system/args.h"

#include <unistd.h>

#include <cstring>

#include "math/assert.h"

namespace {

// Longer than 4 characters and starting with "-psn"; "-psn" alone does not count.
bool isLauncherArgument(char const* arg) {
  return arg && std::strlen(arg) > 4 && std::strncmp(arg, "-psn", 4) == 0;
}

// Makes the working directory the folder that holds the application bundle:
// the executable's folder, then three levels up from it. A program path without
// a folder names no bundle, so the working directory is left as it is.
void changeToBundleFolder(char const* programPath) {
  char path[1024];
  std::strncpy(path, programPath ? programPath : "", sizeof path - 1);
  path[sizeof path - 1] = '\0';

  char* slash = std::strrchr(path, '/');
  if (!slash) return;
  if (slash == path)
    slash[1] = '\0';  // the executable sits in the root folder
  else
    *slash = '\0';

  int res = chdir(path);
  ASSERT(!res);
  res = chdir("../../../");
  ASSERT(!res);
}

}  // namespace

bool osxAdjustArguments(int& argc, char**& argv) {
  // The new list lives for the rest of the process.
  static char* altArgv[256];
  unsigned altArgc = 0;

  int first = -1;
  for (int i = 0; i < argc; ++i) {
    if (isLauncherArgument(argv[i])) {
      first = i;
      break;
    }
  }
  if (first < 0) return false;

  changeToBundleFolder(argc > 0 ? argv[0] : nullptr);

  for (int i = 0; i < argc; ++i) {
    if (isLauncherArgument(argv[i])) continue;
    ASSERT(altArgc < numberof(altArgv));
    altArgv[altArgc++] = argv[i];
  }

  argv = altArgv;
  argc = static_cast<int>(altArgc);
  return true;
}
