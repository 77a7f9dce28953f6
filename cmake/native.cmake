# Native build: the simulator, unit tests, scenario tests and benchmarks.
# CALVOX_TESTS=OFF builds the simulator alone (no GoogleTest or benchmark needed).
option(CALVOX_TESTS "Build the tests and benchmarks with the simulator" ON)
find_package(Threads REQUIRED)

file(GLOB CALVOX_SIM_SOURCES CONFIGURE_DEPENDS src/sim/*.cpp)
list(FILTER CALVOX_SIM_SOURCES EXCLUDE REGEX ".*/main\\.cpp$")
add_library(calvox_sim_lib STATIC ${CALVOX_SIM_SOURCES})
target_include_directories(calvox_sim_lib PUBLIC src)
target_link_libraries(calvox_sim_lib PUBLIC calvox_core Threads::Threads)

add_executable(calvox-sim src/sim/main.cpp)
target_link_libraries(calvox-sim PRIVATE calvox_sim_lib)
set_target_properties(calvox-sim PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Line editing and history at the prompt, when libedit is there.
find_path(CALVOX_EDITLINE_INCLUDE editline/readline.h)
find_library(CALVOX_EDITLINE_LIBRARY edit)
if(CALVOX_EDITLINE_INCLUDE AND CALVOX_EDITLINE_LIBRARY)
  target_compile_definitions(calvox-sim PRIVATE CALVOX_HAVE_LIBEDIT)
  target_include_directories(calvox-sim PRIVATE ${CALVOX_EDITLINE_INCLUDE})
  target_link_libraries(calvox-sim PRIVATE ${CALVOX_EDITLINE_LIBRARY})
else()
  message(STATUS "libedit not found: the simulator's prompt reads plain lines")
endif()

if(NOT CALVOX_TESTS)
  return()
endif()
find_package(GTest REQUIRED)

file(GLOB_RECURSE CALVOX_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(calvox_unit_tests ${CALVOX_UNIT_TESTS})
target_include_directories(calvox_unit_tests PRIVATE tests/unit)
# The settings reference test reads docs/settings.md.
target_compile_definitions(calvox_unit_tests PRIVATE CALVOX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(calvox_unit_tests PRIVATE calvox_sim_lib GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(calvox_unit_tests DISCOVERY_MODE PRE_TEST)

# Every scenario must hold (exit 0); scenarios under tests/scenarios/malformed
# must be refused as malformed (exit 2) without running.
file(GLOB CALVOX_SCENARIOS CONFIGURE_DEPENDS tests/scenarios/*.scn)
foreach(scn ${CALVOX_SCENARIOS})
  get_filename_component(name ${scn} NAME_WE)
  add_test(NAME scenario.${name} COMMAND calvox-sim ${scn})
endforeach()
file(GLOB CALVOX_BAD_SCENARIOS CONFIGURE_DEPENDS tests/scenarios/malformed/*.scn)
foreach(scn ${CALVOX_BAD_SCENARIOS})
  get_filename_component(name ${scn} NAME_WE)
  add_test(NAME malformed.${name} COMMAND ${CMAKE_COMMAND} -DSIM=$<TARGET_FILE:calvox-sim>
           -DSCN=${scn} -P ${CMAKE_SOURCE_DIR}/cmake/expect_malformed.cmake)
endforeach()

# The soak run (scripts/soak.sh runs the long one); a short one is a test.
add_executable(calvox_soak tests/soak/soak.cpp)
target_link_libraries(calvox_soak PRIVATE calvox_sim_lib)
add_test(NAME soak.short COMMAND calvox_soak 20000 2000 20)

add_test(NAME scenario.demo_story COMMAND calvox-sim ${CMAKE_SOURCE_DIR}/demo/story.scn)

# Sessions typed at the interactive prompt through a pipe.
file(GLOB CALVOX_SESSIONS CONFIGURE_DEPENDS tests/interactive/*.txt)
foreach(session ${CALVOX_SESSIONS})
  get_filename_component(name ${session} NAME_WE)
  add_test(NAME interactive.${name} COMMAND ${CMAKE_COMMAND} -DSIM=$<TARGET_FILE:calvox-sim>
           -DINPUT=${session} -P ${CMAKE_SOURCE_DIR}/cmake/expect_session.cmake)
endforeach()

# Benchmarks: built with the native preset, run by hand (scripts/bench.sh).
find_package(benchmark REQUIRED)
file(GLOB CALVOX_BENCH_SOURCES CONFIGURE_DEPENDS bench/*.cpp)
add_executable(calvox_bench ${CALVOX_BENCH_SOURCES})
target_include_directories(calvox_bench PRIVATE tests/unit)
target_link_libraries(calvox_bench PRIVATE calvox_core benchmark::benchmark)
