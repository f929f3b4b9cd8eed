# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the posix
# threads flavour, which std::thread needs), linked statically so the .exe
# files import only the system's own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TUNEBELT_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TUNEBELT_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TUNEBELT_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TUNEBELT_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TUNEBELT_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# GCC 12 warns of overlapping copies inside std::string's inlined code that
# cannot happen (GCC bug 105651); the warning is off for this compiler only.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-O2 -DNDEBUG")
