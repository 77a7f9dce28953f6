# Builds the installers from src/win32/installer/calvox.nsi (run at build
# time by the x64 build): Calvox-Setup-x64.exe, a 64-bit setup, always, and
# Calvox-Setup.exe, a 32-bit setup that runs on 32- and 64-bit Windows, when
# the 32-bit Calvox.exe is at X86_EXE. Both take the 32-bit program when it is
# there, for a choice on 64-bit Windows.
set(common -V2 -DBUILD_DIR=${BUILD_DIR} -DSOURCE_DIR=${SOURCE_DIR} -DVERSION=${VERSION})
if(EXISTS ${X86_EXE})
  list(APPEND common -DX86_EXE=${X86_EXE})
endif()

function(make_setup stub out)
  execute_process(COMMAND ${MAKENSIS} ${common} -DSTUB=${stub} -DOUT_FILE=${BUILD_DIR}/${out}
                          ${SOURCE_DIR}/calvox.nsi
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "makensis failed for ${out}")
  endif()
endfunction()

make_setup(amd64-unicode Calvox-Setup-x64.exe)
if(EXISTS ${X86_EXE})
  make_setup(x86-unicode Calvox-Setup.exe)
else()
  file(REMOVE ${BUILD_DIR}/Calvox-Setup.exe)
  message(STATUS "No 32-bit Calvox.exe at ${X86_EXE} (build the windows32 preset first): "
                 "only Calvox-Setup-x64.exe is made")
endif()
