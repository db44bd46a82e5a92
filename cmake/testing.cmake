# GoogleTest for every build. Linux uses the system package; the Windows builds
# compile the same sources (shipped by Debian in /usr/src/googletest) with mingw.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  # The product's toolchain has no std::mutex, which GoogleTest needs; the
  # tests of the 32-bit build are the inspections of its DLLs.
elseif(CMAKE_CROSSCOMPILING)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    target_compile_options(${t} PRIVATE -Wno-error)
  endforeach()
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# qp_add_gtest(<name> SOURCES ... [LIBS ...] [PROPERTIES ...])
# On Linux every test case is its own CTest test; under wine each program is
# one test, since every wine start costs a second. The i686 build has none.
function(qp_add_gtest name)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBS")
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30)
  endif()
endfunction()
