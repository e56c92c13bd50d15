# Cross-compilation toolchain for 64-bit Windows with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64).  The "posix" variant of the compiler is used: its
# C++ library has the full thread support that GoogleTest expects, and its
# threads come from winpthread, which the build links statically.
#
#   cmake --preset windows       (see CMakePresets.json)
#
# Programs built with it run under Wine, which CMake uses as the emulator so
# that test discovery and ctest can run the .exe files on Linux.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRELVIK_MINGW_TRIPLET x86_64-w64-mingw32)

find_program(BRELVIK_MINGW_CXX NAMES ${BRELVIK_MINGW_TRIPLET}-g++-posix ${BRELVIK_MINGW_TRIPLET}-g++ REQUIRED)
find_program(BRELVIK_MINGW_CC NAMES ${BRELVIK_MINGW_TRIPLET}-gcc-posix ${BRELVIK_MINGW_TRIPLET}-gcc REQUIRED)
find_program(BRELVIK_MINGW_RC NAMES ${BRELVIK_MINGW_TRIPLET}-windres)
set(CMAKE_CXX_COMPILER ${BRELVIK_MINGW_CXX})
set(CMAKE_C_COMPILER ${BRELVIK_MINGW_CC})
if(BRELVIK_MINGW_RC)
  set(CMAKE_RC_COMPILER ${BRELVIK_MINGW_RC})
endif()

# Headers and libraries come from the MinGW sysroot only; programs that the
# build runs (none at present) would come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${BRELVIK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Run the .exe files through Wine (the 64-bit loader; "wine" on Debian picks
# it for a 64-bit program).
find_program(BRELVIK_WINE NAMES wine64 wine)
if(BRELVIK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BRELVIK_WINE})
endif()
