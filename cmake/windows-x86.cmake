# Windows x86 build with the mingw-w64 cross compiler (posix threads),
# linked statically; the tests run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# SSE2 arithmetic, as in the 64-bit builds: the x87 unit's wider intermediate
# results could round a colour distance differently.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
# Where 32-bit programs run under qemu-user, a smaller guest address space
# spares wine a start-up of a minute; elsewhere the variable is ignored.
set(CMAKE_CROSSCOMPILING_EMULATOR env QEMU_RESERVED_VA=0x81000000 /usr/lib/wine/wine)
