# 32-bit x86 Linux build.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
# The multilib g++ unless a preset names another compiler (clang for the
# 32-bit sanitizer build).
if(NOT CMAKE_C_COMPILER)
  set(CMAKE_C_COMPILER gcc)
endif()
if(NOT CMAKE_CXX_COMPILER)
  set(CMAKE_CXX_COMPILER g++)
endif()
# SSE2 arithmetic, as in the 64-bit builds: the x87 unit's wider intermediate
# results could round a colour distance differently.
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
# Libraries of Debian's i386 packages (libspng-dev:i386, zlib1g-dev:i386),
# never the amd64 ones beside them.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)
# Runs natively: no emulator.
set(CMAKE_CROSSCOMPILING_EMULATOR "")
