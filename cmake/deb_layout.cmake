# The Debian layout of the .deb, made by cpack on the staged files just before
# it packs them (CPACK_PRE_BUILD_SCRIPTS, set in cmake/deb.cmake):
#   share/man/man1/pixmold.1.gz
#   share/doc/pixmold/copyright        LICENSE
#   share/doc/pixmold/README.md.gz
#   share/doc/pixmold/CHANGELOG.md.gz
#   share/doc/pixmold/changelog.gz     the Debian changelog of this native
#                                      package: one entry per release heading
#                                      of CHANGELOG.md, with its date
# compressed with gzip -9n, as Debian policy asks.

set(usr "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${usr}/share/doc/${CPACK_PACKAGE_NAME}")

function(gzip_9n file)
  execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "gzip -9n ${file}: ${result}")
  endif()
endfunction()

# Releases of CHANGELOG.md, newest first: "## [0.3.442] - 2026-12-07".
file(STRINGS "${doc}/CHANGELOG.md" releases REGEX "^## \\[[0-9.]+\\] - [0-9-]+$")
set(changelog "")
foreach(release IN LISTS releases)
  string(REGEX REPLACE "^## \\[([0-9.]+)\\] - ([0-9-]+)$" "\\1;\\2" release "${release}")
  list(GET release 0 version)
  list(GET release 1 day)
  if(changelog STREQUAL "" AND NOT version STREQUAL CPACK_PACKAGE_VERSION)
    message(FATAL_ERROR "CHANGELOG.md's latest release is ${version}, the package's version ${CPACK_PACKAGE_VERSION}")
  endif()
  execute_process(COMMAND date -u -R -d "${day}" OUTPUT_VARIABLE date
                  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "CHANGELOG.md: ${version} has no valid date: ${day}")
  endif()
  string(APPEND changelog
    "${CPACK_PACKAGE_NAME} (${version}) unstable; urgency=medium\n\n"
    "  * Release ${version}; its changes are listed in CHANGELOG.md.gz.\n\n"
    " -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${date}\n\n")
endforeach()
if(changelog STREQUAL "")
  message(FATAL_ERROR "CHANGELOG.md names no release")
endif()
string(REGEX REPLACE "\n\n$" "\n" changelog "${changelog}")
file(WRITE "${doc}/changelog" "${changelog}")
file(CHMOD "${doc}/changelog" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

file(RENAME "${doc}/LICENSE" "${doc}/copyright")
foreach(file IN ITEMS "${usr}/share/man/man1/pixmold.1" "${doc}/README.md"
                      "${doc}/CHANGELOG.md" "${doc}/changelog")
  gzip_9n("${file}")
endforeach()
