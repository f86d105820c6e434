# The same sources as a 64-bit exe, for the Windows tests on machines whose kernel runs no
# 32-bit code (wine64 runs it; the shipped program stays the i686 one).
set(MEROVANT_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
