# GoogleTest, and the one function through which every folder adds its test
# programs: preview_test(NAME SOURCES ... [LIBRARIES ...] [TIMEOUT s]
# [SERIAL]). Each *_test.cc must be a source of one of them; the check at the
# end of the top-level CMakeLists.txt stops the configuration when one is
# not, rather than leave it silently unbuilt.

if(WIN32 AND CMAKE_CROSSCOMPILING)
  # No GoogleTest is installed for the target: build it from Debian's
  # sources (package googletest) with the same compiler.
  set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH
      "GoogleTest sources to build for the target")
  if(EXISTS ${GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    set(BUILD_GMOCK OFF)
    set(INSTALL_GTEST OFF)
    set(gtest_disable_pthreads ON)
    add_subdirectory(${GOOGLETEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL)
    foreach(lib gtest gtest_main)
      # Not our code: our warning flags are not its business.
      set_property(TARGET ${lib} PROPERTY COMPILE_OPTIONS "")
      get_target_property(includes ${lib} INTERFACE_INCLUDE_DIRECTORIES)
      set_property(TARGET ${lib} PROPERTY
                   INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${includes})
    endforeach()
    set(GTest_FOUND TRUE)
  endif()
else()
  find_package(GTest)
endif()
if(NOT GTest_FOUND)
  message(WARNING "GoogleTest not found: the tests are not built "
                  "(scripts/test.sh installs it).")
  set(TEMPLATE_PREVIEW_TESTS OFF)
  return()
endif()
include(GoogleTest)
enable_testing()

if(CMAKE_CROSSCOMPILING)
  # Wine runs the tests here; listing them when ctest starts keeps Wine out
  # of the build.
  set(PREVIEW_DISCOVERY_MODE PRE_TEST)
else()
  set(PREVIEW_DISCOVERY_MODE POST_BUILD)
endif()

# A test program of GoogleTest cases, each case a test of its own with a
# timeout of 60 s unless TIMEOUT says otherwise; SERIAL runs its cases one
# at a time and alone.
function(preview_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "SERIAL" "TIMEOUT"
                        "SOURCES;LIBRARIES")
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} GTest::gtest_main)
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 60)
  endif()
  set(properties TIMEOUT ${arg_TIMEOUT})
  if(arg_SERIAL)
    list(APPEND properties RUN_SERIAL TRUE)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       DISCOVERY_MODE ${PREVIEW_DISCOVERY_MODE}
                       PROPERTIES ${properties})
  foreach(source IN LISTS arg_SOURCES)
    get_filename_component(source ${source} ABSOLUTE)
    set_property(GLOBAL APPEND PROPERTY PREVIEW_TEST_SOURCES ${source})
  endforeach()
endfunction()

# Stops with the names of the *_test.cc files of this platform that no test
# program builds. Files named *-posix_test.cc or *_posix_test.cc are for
# POSIX systems only, *-win32_test.cc or *_win32_test.cc for Windows only.
function(preview_check_every_test_is_built)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/src/*_test.cc ${PROJECT_SOURCE_DIR}/tests/*_test.cc)
  if(WIN32)
    list(FILTER found EXCLUDE REGEX "[-_]posix_test\\.cc$")
  else()
    list(FILTER found EXCLUDE REGEX "[-_]win32_test\\.cc$")
  endif()
  get_property(built GLOBAL PROPERTY PREVIEW_TEST_SOURCES)
  list(REMOVE_ITEM found ${built})
  if(found)
    list(JOIN found "\n  " found)
    message(FATAL_ERROR "These tests are built by no test program; add each "
            "to the preview_test() of its folder's CMakeLists.txt:\n  ${found}")
  endif()
endfunction()
