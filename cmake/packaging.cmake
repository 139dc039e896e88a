# Release archives with CPack: a .tar.gz for the Linux targets, a .zip for the
# Windows targets, named after the target, e.g. pixmold-0.3.442-linux-x64.tar.gz.
# The install rules (program, manual page, documents) are in the top-level
# CMakeLists.txt; `cpack --preset <preset>` packs what they install.
#
# One version for all four archives: the release is 0.3.442; the 32-bit
# programs show their own build number, V0.3.440, in the banner, as they
# always have.

if(WIN32)
  set(PIXMOLD_PACKAGE_SYSTEM windows)
  set(PIXMOLD_PACKAGE_GENERATOR ZIP)
else()
  string(TOLOWER "${CMAKE_SYSTEM_NAME}" PIXMOLD_PACKAGE_SYSTEM)
  set(PIXMOLD_PACKAGE_GENERATOR TGZ)
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PIXMOLD_PACKAGE_ARCHITECTURE x64)
else()
  set(PIXMOLD_PACKAGE_ARCHITECTURE x86)
endif()
set(PIXMOLD_PACKAGE_TARGET "${PIXMOLD_PACKAGE_SYSTEM}-${PIXMOLD_PACKAGE_ARCHITECTURE}"
    CACHE STRING "Target part of the archive names")

set(CPACK_GENERATOR ${PIXMOLD_PACKAGE_GENERATOR})
set(CPACK_PACKAGE_NAME pixmold)
set(CPACK_PACKAGE_VENDOR "the pixmold developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Sprite sheets into Commodore 64 multicolour sprites")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_RESOURCE_FILE_README "${PROJECT_SOURCE_DIR}/README.md")
set(CPACK_PACKAGE_FILE_NAME "pixmold-${PROJECT_VERSION}-${PIXMOLD_PACKAGE_TARGET}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Only what the install rules name; the test tools install nothing.
set(CPACK_MONOLITHIC_INSTALL ON)
set(CPACK_ARCHIVE_THREADS 1)

# Debian packages of the Linux targets, `cpack --preset deb-linux-x64` (and
# deb-linux-x86): pixmold_0.3.442_amd64.deb and pixmold_0.3.442_i386.deb, for
# /usr. Depends comes from dpkg-shlibdeps (C and C++ runtime, libspng). The
# Debian layout (stripped program, gzipped manual page and documents,
# copyright, a Debian changelog) is made for the DEB generator alone, by
# cmake/deb.cmake (its settings) and cmake/deb_layout.cmake (its files), so
# the archives keep their members.
if(NOT WIN32)
  if(PIXMOLD_PACKAGE_ARCHITECTURE STREQUAL x64)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  else()
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE i386)
  endif()
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "pixmold developers <pixmold@example.org>")
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the rest.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "pixmold turns a sprite sheet drawn in a PC paint program, saved as a
PNG or an uncompressed BMP, into Commodore 64 multicolour or hires
sprites: assembler source for ACME, xa65, 64tass or ca65, and a SpritePad
file.")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/deb.cmake")
endif()

include(CPack)
