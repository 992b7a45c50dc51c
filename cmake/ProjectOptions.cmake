# Compiler settings shared by every target: warnings, repository-relative
# __FILE__ for assertion messages, and the optional sanitizer build.
add_compile_options(-Wall -Wextra)
add_compile_options(-fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=)
# A compiler cache with a base folder hands the compiler paths relative to the
# build folder ("../libs/..."); map that prefix away too.
file(RELATIVE_PATH rb_source_from_build ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
string(REGEX REPLACE "/+$" "" rb_source_from_build "${rb_source_from_build}")
if(rb_source_from_build)
  add_compile_options(-fmacro-prefix-map=${rb_source_from_build}/=)
endif()
add_compile_definitions(GL_GLEXT_PROTOTYPES)
# Debug builds (the sanitizer build among them) check the indices and ranges
# given to the standard containers, so that an index one past a vector's end
# stops a test instead of reading or writing beside it.
add_compile_definitions($<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)

if(RB_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(RB_FUZZ)
  add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
