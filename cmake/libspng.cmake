# libspng, the PNG library, and zlib beneath it: whatever links pixmold_spng
# gets spng.h on its include path and both libraries linked.
#
#   Linux    Debian's libspng-dev and zlib1g-dev (for linux-x86 their :i386
#            packages, which cmake/linux-x86.cmake makes CMake look for).
#   Windows  libspng compiled here as a static library from Debian's source
#            (deps/fetch.sh unpacks it into deps/libspng-0.7.3), with the
#            static zlib of libz-mingw-w64-dev, so that pixmold.exe stays one
#            file.
#   Web      libspng and zlib both compiled here from Debian's source
#            (deps/fetch.sh unpacks zlib into deps/zlib-1.2.13).
#
# -DPIXMOLD_SPNG_FROM_SOURCE=ON compiles libspng from that source on Linux
# too (with zlib1g-dev's zlib), with the program's compiler and C flags: the
# fuzz build instruments and sanitizes it like the program.
#
# Every target must have libspng 0.7.3, so that every build reads every PNG
# alike: spng.h's version is checked here.
set(PIXMOLD_SPNG_VERSION 0.7.3)
option(PIXMOLD_SPNG_FROM_SOURCE "Compile libspng from deps/ instead of using Debian's libspng-dev (always on for Windows)" OFF)
if(WIN32 OR EMSCRIPTEN)
  set_property(CACHE PIXMOLD_SPNG_FROM_SOURCE PROPERTY VALUE ON)
endif()
set(PIXMOLD_SPNG_SOURCE_DIR "${PROJECT_SOURCE_DIR}/deps/libspng-${PIXMOLD_SPNG_VERSION}"
    CACHE PATH "The libspng source, as deps/fetch.sh unpacks it")

# The Debian package that brings a missing library, for the messages below.
if(WIN32)
  set(pixmold_zlib_package libz-mingw-w64-dev)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(pixmold_spng_package libspng-dev:i386)
  set(pixmold_zlib_package zlib1g-dev:i386)
else()
  set(pixmold_spng_package libspng-dev)
  set(pixmold_zlib_package zlib1g-dev)
endif()

# Stops the configure unless the header is libspng ${PIXMOLD_SPNG_VERSION}.
function(pixmold_check_spng_version header)
  file(STRINGS "${header}" defines REGEX "^#define SPNG_VERSION_(MAJOR|MINOR|PATCH) ")
  set(version "")
  foreach(part MAJOR MINOR PATCH)
    if(NOT defines MATCHES "SPNG_VERSION_${part} +([0-9]+)")
      message(FATAL_ERROR "${header} defines no SPNG_VERSION_${part}: is it libspng's spng.h?")
    endif()
    list(APPEND version ${CMAKE_MATCH_1})
  endforeach()
  list(JOIN version . version)
  if(NOT version STREQUAL PIXMOLD_SPNG_VERSION)
    message(FATAL_ERROR "${header} is libspng ${version}, but pixmold needs libspng "
                        "${PIXMOLD_SPNG_VERSION} on every target, so that every build reads every PNG alike")
  endif()
  message(STATUS "libspng ${version}: ${header}")
endfunction()

# zlib 1.2.13 from Debian's source (deps/fetch.sh), for the WebAssembly build,
# which has no system zlib: its library files alone, as a static library.
function(pixmold_zlib_from_source)
  set(source "${PROJECT_SOURCE_DIR}/deps/zlib-1.2.13")
  if(NOT EXISTS "${source}/zlib.h")
    message(FATAL_ERROR "zlib source not found in ${source}: run deps/fetch.sh")
  endif()
  list(TRANSFORM pixmold_zlib_files PREPEND "${source}/" OUTPUT_VARIABLE files)
  add_library(pixmold_zlib STATIC ${files})
  target_include_directories(pixmold_zlib SYSTEM PUBLIC "${source}")
  target_compile_options(pixmold_zlib PRIVATE -w)
  set(PIXMOLD_ZLIB_INCLUDE "${source}" PARENT_SCOPE)
  set(PIXMOLD_ZLIB_LIBRARY pixmold_zlib PARENT_SCOPE)
  message(STATUS "zlib 1.2.13: ${source}")
endfunction()
set(pixmold_zlib_files adler32.c compress.c crc32.c deflate.c gzclose.c gzlib.c gzread.c gzwrite.c infback.c
    inffast.c inflate.c inftrees.c trees.c uncompr.c zutil.c)

add_library(pixmold_spng INTERFACE)

if(PIXMOLD_SPNG_FROM_SOURCE)
  set(source "${PIXMOLD_SPNG_SOURCE_DIR}/spng")
  if(NOT EXISTS "${source}/spng.c" OR NOT EXISTS "${source}/spng.h")
    message(FATAL_ERROR "libspng source not found in ${PIXMOLD_SPNG_SOURCE_DIR}: run deps/fetch.sh")
  endif()
  pixmold_check_spng_version("${source}/spng.h")

  # The static zlib alone: the import library libz.dll.a would make
  # pixmold.exe need zlib1.dll.
  if(WIN32)
    set(zlib_names libz.a)
  else()
    set(zlib_names z)
  endif()
  if(EMSCRIPTEN)
    pixmold_zlib_from_source()
  else()
    find_path(PIXMOLD_ZLIB_INCLUDE zlib.h)
    find_library(PIXMOLD_ZLIB_LIBRARY NAMES ${zlib_names})
  endif()
  if(NOT PIXMOLD_ZLIB_INCLUDE OR NOT PIXMOLD_ZLIB_LIBRARY)
    message(FATAL_ERROR "zlib not found: apt-get install ${pixmold_zlib_package}")
  endif()

  # Third-party C, compiled as its own build does (C99) and with none of our
  # warning flags; the C flags of the build (sanitizers, -m32) still apply.
  add_library(pixmold_spng_static STATIC "${source}/spng.c")
  set_target_properties(pixmold_spng_static PROPERTIES
    C_STANDARD 99 C_STANDARD_REQUIRED ON C_EXTENSIONS OFF)
  target_include_directories(pixmold_spng_static SYSTEM PUBLIC "${source}")
  target_include_directories(pixmold_spng_static SYSTEM PRIVATE "${PIXMOLD_ZLIB_INCLUDE}")
  # SPNG_STATIC: no dllimport in spng.h, for the library and its users.
  target_compile_definitions(pixmold_spng_static PUBLIC SPNG_STATIC)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4 OR EMSCRIPTEN)
    # Its x86 SIMD code includes intrinsics headers that 32-bit gcc refuses
    # without -msse2, which C flags of one's own would drop; the plain C code
    # reads every PNG alike.
    target_compile_definitions(pixmold_spng_static PRIVATE SPNG_DISABLE_OPT)
  endif()
  if(CMAKE_C_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(pixmold_spng_static PRIVATE -w)
  endif()
  target_link_libraries(pixmold_spng_static PUBLIC "${PIXMOLD_ZLIB_LIBRARY}")
  if(NOT WIN32 AND NOT EMSCRIPTEN)
    target_link_libraries(pixmold_spng_static PRIVATE m)
  endif()
  target_link_libraries(pixmold_spng INTERFACE pixmold_spng_static)
else()
  find_path(PIXMOLD_SPNG_INCLUDE spng.h)
  find_library(PIXMOLD_SPNG_LIBRARY spng)
  if(NOT PIXMOLD_SPNG_INCLUDE OR NOT PIXMOLD_SPNG_LIBRARY)
    message(FATAL_ERROR "libspng not found: apt-get install ${pixmold_spng_package}")
  endif()
  pixmold_check_spng_version("${PIXMOLD_SPNG_INCLUDE}/spng.h")
  find_library(PIXMOLD_ZLIB_LIBRARY z)
  if(NOT PIXMOLD_ZLIB_LIBRARY)
    message(FATAL_ERROR "zlib not found: apt-get install ${pixmold_zlib_package}")
  endif()
  target_include_directories(pixmold_spng SYSTEM INTERFACE "${PIXMOLD_SPNG_INCLUDE}")
  target_link_libraries(pixmold_spng INTERFACE "${PIXMOLD_SPNG_LIBRARY}" "${PIXMOLD_ZLIB_LIBRARY}")
  message(STATUS "libspng: ${PIXMOLD_SPNG_LIBRARY}, zlib: ${PIXMOLD_ZLIB_LIBRARY}")
endif()
