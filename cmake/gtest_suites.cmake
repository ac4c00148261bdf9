# Registers a GoogleTest program with CTest as one test per test suite. The suites are found when CTest starts,
# by listing the program's tests (under the cross-compiling emulator when there is one). Under Wine every
# start of a program costs a fraction of a second: one start per suite keeps the run short, and a crash still
# takes down only its own suite.
#   gtest_add_suites(TARGET [PROPERTIES name value ...])
set(INSTALLER_GTEST_SUITES_DISCOVER ${CMAKE_CURRENT_LIST_DIR}/gtest_suites_discover.cmake)

function(gtest_add_suites target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PROPERTIES")
  get_property(emulator TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR)
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake")
  file(GENERATE OUTPUT "${script}" CONTENT "set(program \"$<TARGET_FILE:${target}>\")
set(emulator \"${emulator}\")
set(properties \"${arg_PROPERTIES}\")
set(working_directory \"${CMAKE_CURRENT_BINARY_DIR}\")
include(\"${INSTALLER_GTEST_SUITES_DISCOVER}\")
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
endfunction()
