# Cross-building the core, the report tool and their tests as 64-bit Windows programs with Debian's
# mingw-w64 (g++-mingw-w64-x86-64-posix: the POSIX thread model, which std::thread needs).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BARDRILL_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${BARDRILL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BARDRILL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${BARDRILL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BARDRILL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the test programs under Wine.
find_program(BARDRILL_WINE NAMES wine64 wine)
if(BARDRILL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BARDRILL_WINE})
endif()
