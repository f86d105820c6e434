# Cross-compiles the 32-bit Windows program with mingw-w64's POSIX-thread compilers.
# mingw-x86_64.cmake reuses it, with another processor, for the 64-bit test build.
if(NOT DEFINED MEROVANT_MINGW_PROCESSOR)
  set(MEROVANT_MINGW_PROCESSOR i686)
endif()
set(mingw ${MEROVANT_MINGW_PROCESSOR}-w64-mingw32)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MEROVANT_MINGW_PROCESSOR})

set(CMAKE_C_COMPILER ${mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Windows test programs run under Wine, each in a private prefix with declared drives.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run)
