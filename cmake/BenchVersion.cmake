# Writes OUT, a header defining RB_VERSION: the source tree's git commit as
# `git describe --always --dirty` gives it ("fe8b7c77aa75-dirty" with
# uncommitted changes), or "unknown" outside a git checkout. Run at every
# build; the header is rewritten only when the version changed, so that
# nothing is recompiled otherwise.
# Usage: cmake -DSOURCE=DIR -DOUT=FILE -P BenchVersion.cmake
set(version unknown)
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} describe --always --dirty --abbrev=12
                  WORKING_DIRECTORY ${SOURCE} OUTPUT_VARIABLE described OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(NOT failed AND described)
    set(version ${described})
  endif()
endif()
set(text "// Made by cmake/BenchVersion.cmake at build time.\n#define RB_VERSION \"${version}\"\n")
if(EXISTS ${OUT})
  file(READ ${OUT} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUT} "${text}")
endif()
