# GoogleTest for the test programs, and how they are registered with CTest.
include(GoogleTest)

# A native build uses Debian's prebuilt GoogleTest. A build for another target
# (Windows, 32-bit Linux) compiles it for that target from Debian's sources.
option(PLV_GTEST_FROM_SOURCE "Compile GoogleTest from its sources" ${CMAKE_CROSSCOMPILING})
set(PLV_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")

if(PLV_GTEST_FROM_SOURCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # Its targets bear the prebuilt package's names too (GTest::gtest, ...).
  add_subdirectory(${PLV_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest brings its own warning flags; ours must not fail its build.
  foreach(library IN ITEMS gtest gtest_main gmock gmock_main)
    get_target_property(options ${library} COMPILE_OPTIONS)
    list(REMOVE_ITEM options -Werror)
    set_target_properties(${library} PROPERTIES COMPILE_OPTIONS "${options}")
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()

# Test programs of a Windows build run under the emulator, Wine, whose server
# is started with the first program and ended once the last test has run.
set(PLV_TEST_PROPERTIES "")
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME emulator_stops COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --stop)
  set_tests_properties(emulator_stops PROPERTIES FIXTURES_CLEANUP emulator)
  set(PLV_TEST_PROPERTIES FIXTURES_REQUIRED emulator)
endif()

# plv_add_test_program(<GoogleTest executable>)
# Registers every test of the program, found when CTest starts.
function(plv_add_test_program target)
  # Tests are named by their parameter's index, not its printed value: two
  # values that print alike would give two tests one name, and CTest would
  # then set the properties (the emulator fixture among them) on only one.
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
                       PROPERTIES ${PLV_TEST_PROPERTIES})
  # A program that lists no test, as one the platform cannot run may do while
  # exiting 0, fails here instead of passing unnoticed.
  add_test(NAME ${target}_lists_its_tests COMMAND ${target} --gtest_list_tests)
  set_tests_properties(${target}_lists_its_tests PROPERTIES
    PASS_REGULAR_EXPRESSION "\n  [A-Za-z_]" ${PLV_TEST_PROPERTIES})
endfunction()

