# Windows build: Calvox.exe and the Wine test programs.
enable_language(RC)
add_link_options(-static -static-libgcc -static-libstdc++)

file(GLOB CALVOX_WIN32_SOURCES CONFIGURE_DEPENDS src/win32/*.cpp)
list(FILTER CALVOX_WIN32_SOURCES EXCLUDE REGEX ".*/main\\.cpp$")
add_library(calvox_win32 STATIC ${CALVOX_WIN32_SOURCES})
target_include_directories(calvox_win32 PUBLIC src/core src)
target_link_libraries(calvox_win32 PUBLIC calvox_core)
target_link_libraries(calvox_win32 PUBLIC user32 shell32 gdi32 setupapi hid ole32 winmm advapi32 version)

add_executable(Calvox WIN32 src/win32/main.cpp src/win32/resources/calvox.rc)
target_link_libraries(Calvox PRIVATE calvox_win32)
set_target_properties(Calvox PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR} OUTPUT_NAME Calvox)

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/wine/CMakeLists.txt)
  add_subdirectory(tests/wine)
endif()

# The installer, Calvox-Setup.exe, built on every build so that it takes the
# prompt files (*.wav) found beside Calvox.exe at that time.
find_program(CALVOX_MAKENSIS makensis REQUIRED)
file(STRINGS ${CMAKE_SOURCE_DIR}/src/win32/resources/ui_texts.h CALVOX_VERSION_LINE
     REGEX "define CALVOX_VERSION_TEXT")
string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+" CALVOX_FILE_VERSION "${CALVOX_VERSION_LINE}")
add_custom_target(installer ALL
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
          -DOUT=${CMAKE_BINARY_DIR}/installer_prompts.nsh
          -P ${CMAKE_SOURCE_DIR}/cmake/installer_prompts.cmake
  COMMAND ${CALVOX_MAKENSIS} -V2 -DBUILD_DIR=${CMAKE_BINARY_DIR}
          -DSOURCE_DIR=${CMAKE_SOURCE_DIR}/src/win32/installer -DVERSION=${CALVOX_FILE_VERSION}
          -DOUT_FILE=${CMAKE_BINARY_DIR}/Calvox-Setup.exe
          ${CMAKE_SOURCE_DIR}/src/win32/installer/calvox.nsi
  BYPRODUCTS ${CMAKE_BINARY_DIR}/Calvox-Setup.exe ${CMAKE_BINARY_DIR}/installer_prompts.nsh
  DEPENDS Calvox
  COMMENT "Building Calvox-Setup.exe"
  VERBATIM)
