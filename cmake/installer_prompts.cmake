# Writes installer_prompts.nsh for the installer: one File line (install) and
# one Delete line (uninstall) for every prompt file (*.wav) beside Calvox.exe
# in BUILD_DIR. Run at build time, so prompt files the build copies there are
# taken as they come.
file(GLOB prompts LIST_DIRECTORIES false RELATIVE ${BUILD_DIR} ${BUILD_DIR}/*.wav)
list(SORT prompts)
set(install "!macro InstallPrompts\n")
set(remove "!macro RemovePrompts\n")
foreach(name ${prompts})
  string(APPEND install "    File \"${BUILD_DIR}/${name}\"\n")
  string(APPEND remove "    Delete \"$INSTDIR\\${name}\"\n")
endforeach()
string(APPEND install "!macroend\n")
string(APPEND remove "!macroend\n")
file(WRITE ${OUT} "${install}${remove}")
