# Run by CTest as it starts (see gtest_suites.cmake): lists the tests of ${program} and adds one test per
# suite. Expects program, emulator, properties and working_directory.
if(NOT EXISTS "${program}")
  add_test("${program}_NOT_BUILT" "${program}_NOT_BUILT")
  return()
endif()

execute_process(COMMAND ${emulator} "${program}" --gtest_list_tests
                WORKING_DIRECTORY "${working_directory}"
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 120)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Listing the tests of ${program} failed (${result}):\n${listing}${errors}")
endif()

# Suites stand at the start of a line and end with "."; their tests follow, indented.
string(REPLACE "\r" "" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
  if(line MATCHES "^([^ #][^ ]*)\\.( |$)")
    set(suite "${CMAKE_MATCH_1}")
    add_test("${suite}" ${emulator} "${program}" "--gtest_filter=${suite}.*")
    set_tests_properties("${suite}" PROPERTIES WORKING_DIRECTORY "${working_directory}" ${properties})
  endif()
endforeach()
