# Cross build for 32-bit Windows (i686): the same program for 32-bit Windows
# and for 32-bit handset driver objects.
set(CALVOX_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
