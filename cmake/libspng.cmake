# libspng, the PNG decoder and encoder: pixmold_spng links it.
find_path(PIXMOLD_SPNG_INCLUDE spng.h)
find_library(PIXMOLD_SPNG_LIBRARY spng)
if(NOT PIXMOLD_SPNG_INCLUDE OR NOT PIXMOLD_SPNG_LIBRARY)
  message(FATAL_ERROR "libspng not found: apt-get install libspng-dev")
endif()
add_library(pixmold_spng INTERFACE)
target_include_directories(pixmold_spng SYSTEM INTERFACE ${PIXMOLD_SPNG_INCLUDE})
target_link_libraries(pixmold_spng INTERFACE ${PIXMOLD_SPNG_LIBRARY})
