# Windows build: Calvox.exe; for x64 also the Wine test programs and the installer.
enable_language(RC)
add_link_options(-static -static-libgcc -static-libstdc++)
# Built for size where that costs no speed: -O2 (the level the benchmarks
# measure; -O3 only makes the program larger, -Os makes the core's parsing and
# directory measurably slower), the thin Win32 layer, which only passes calls
# on and waits on Windows, for size; each function and datum in a section of
# its own, so that the linker drops what the program never calls.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
add_compile_options(-ffunction-sections -fdata-sections)
target_compile_options(calvox_core PRIVATE -ffunction-sections -fdata-sections)

file(GLOB CALVOX_WIN32_SOURCES CONFIGURE_DEPENDS src/win32/*.cpp)
list(FILTER CALVOX_WIN32_SOURCES EXCLUDE REGEX ".*/main\\.cpp$")
add_library(calvox_win32 STATIC ${CALVOX_WIN32_SOURCES})
target_compile_options(calvox_win32 PRIVATE -Os)
target_include_directories(calvox_win32 PUBLIC src/core src)
target_link_libraries(calvox_win32 PUBLIC calvox_core)
target_link_libraries(calvox_win32 PUBLIC user32 shell32 gdi32 setupapi hid ole32 winmm advapi32 version uuid)

add_executable(Calvox WIN32 src/win32/main.cpp src/win32/resources/calvox.rc)
target_link_libraries(Calvox PRIVATE calvox_win32)
set_target_properties(Calvox PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR} OUTPUT_NAME Calvox)
# The shipped program: unused sections collected, symbols stripped.
target_link_options(Calvox PRIVATE -Wl,--gc-sections -s)
# The answering machine's prompts live beside Calvox.exe.
file(GLOB CALVOX_PROMPTS CONFIGURE_DEPENDS src/win32/resources/sounds/AM*.wav)
add_custom_command(TARGET Calvox POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CALVOX_PROMPTS} ${CMAKE_BINARY_DIR})

# The 32-bit build (preset windows32) makes Calvox.exe alone: its programs
# cannot run on the build machines, and the x64 build's installer takes it.
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  return()
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/wine/CMakeLists.txt)
  add_subdirectory(tests/wine)
endif()

# The installers, built on every build so that they take the prompt files
# (*.wav) found beside Calvox.exe at that time: Calvox-Setup.exe (a 32-bit
# setup that runs on any Windows and installs the build that matches it) when
# the 32-bit build is there, and Calvox-Setup-x64.exe (for 64-bit Windows).
set(CALVOX_X86_BUILD_DIR ${CMAKE_SOURCE_DIR}/build/windows32 CACHE PATH
    "The 32-bit build (preset windows32) whose Calvox.exe the installers take")
find_program(CALVOX_MAKENSIS makensis REQUIRED)
file(STRINGS ${CMAKE_SOURCE_DIR}/src/win32/resources/ui_texts.h CALVOX_VERSION_LINE
     REGEX "define CALVOX_VERSION_TEXT")
string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+" CALVOX_FILE_VERSION "${CALVOX_VERSION_LINE}")
add_custom_target(installer ALL
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
          -DOUT=${CMAKE_BINARY_DIR}/installer_prompts.nsh
          -P ${CMAKE_SOURCE_DIR}/cmake/installer_prompts.cmake
  COMMAND ${CMAKE_COMMAND} -DMAKENSIS=${CALVOX_MAKENSIS} -DBUILD_DIR=${CMAKE_BINARY_DIR}
          -DSOURCE_DIR=${CMAKE_SOURCE_DIR}/src/win32/installer -DVERSION=${CALVOX_FILE_VERSION}
          -DX86_EXE=${CALVOX_X86_BUILD_DIR}/Calvox.exe
          -P ${CMAKE_SOURCE_DIR}/cmake/installers.cmake
  BYPRODUCTS ${CMAKE_BINARY_DIR}/Calvox-Setup.exe ${CMAKE_BINARY_DIR}/Calvox-Setup-x64.exe
             ${CMAKE_BINARY_DIR}/installer_prompts.nsh
  DEPENDS Calvox
  COMMENT "Building the installers"
  VERBATIM)
