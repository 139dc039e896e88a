# Included by cpack once per generator (CPACK_PROJECT_CONFIG_FILE, set in
# cmake/packaging.cmake); it changes the settings of the DEB generator alone.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

# As Debian policy asks: a stripped program, directories 0755 whatever the
# umask; cmake/deb_layout.cmake then gzips the manual page and documents and
# adds copyright and the Debian changelog.
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/deb_layout.cmake")

# Depends: dpkg-shlibdeps (dpkg-dev) reads the symbols files of the libraries
# the program links (the C and C++ runtime, libspng, and zlib where the linker
# keeps it) of the package's own architecture, so the i386 package needs
# libc6:i386, libstdc++6:i386, libgcc-s1:i386, libspng0:i386 and zlib1g:i386
# on the build machine (an amd64 machine would otherwise offer its lib32
# copies of the runtime, which are other packages). Without dpkg-shlibdeps
# CPack would make a package without Depends: refuse instead.
find_program(PIXMOLD_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NOT PIXMOLD_DPKG_SHLIBDEPS)
  message(FATAL_ERROR "The .deb needs dpkg-shlibdeps for its Depends: apt-get install dpkg-dev")
endif()
set(ENV{DEB_HOST_ARCH} "${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}")
foreach(runtime IN ITEMS libc6 libstdc++6 libgcc-s1 libspng0 zlib1g)
  set(runtime "${runtime}:${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}")
  execute_process(COMMAND dpkg-query -W "-f=\${Status}" "${runtime}"
                  OUTPUT_VARIABLE status ERROR_QUIET)
  if(NOT status MATCHES "ok installed")
    message(FATAL_ERROR "The .deb's Depends are read from ${runtime}: apt-get install ${runtime}")
  endif()
endforeach()
