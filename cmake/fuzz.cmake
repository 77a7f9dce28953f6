# libFuzzer targets (clang): the core and the simulator built with the
# fuzzer's coverage and AddressSanitizer/UndefinedBehaviorSanitizer, one
# executable per target. scripts/fuzz.sh builds their seed corpora from the
# scenarios and runs them.
find_package(Threads REQUIRED)

set(CALVOX_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=all)
target_compile_options(calvox_core PRIVATE ${CALVOX_FUZZ_FLAGS})

file(GLOB CALVOX_SIM_SOURCES CONFIGURE_DEPENDS src/sim/*.cpp)
list(FILTER CALVOX_SIM_SOURCES EXCLUDE REGEX ".*/main\\.cpp$")
add_library(calvox_sim_lib STATIC ${CALVOX_SIM_SOURCES})
target_include_directories(calvox_sim_lib PUBLIC src)
target_compile_options(calvox_sim_lib PRIVATE ${CALVOX_FUZZ_FLAGS})
target_link_libraries(calvox_sim_lib PUBLIC calvox_core Threads::Threads)

file(GLOB CALVOX_FUZZ_TARGETS CONFIGURE_DEPENDS fuzz/*_fuzz.cpp)
foreach(source ${CALVOX_FUZZ_TARGETS})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE tests/unit)
  target_compile_options(${name} PRIVATE ${CALVOX_FUZZ_FLAGS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  # Only the scenario parser needs the simulator; the others run a part of
  # the core on the null platform.
  if(name STREQUAL "scenario_parser_fuzz")
    target_link_libraries(${name} PRIVATE calvox_sim_lib)
  else()
    target_link_libraries(${name} PRIVATE calvox_core Threads::Threads)
  endif()
endforeach()
