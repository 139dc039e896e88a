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

include(CPack)
