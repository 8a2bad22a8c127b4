# ondelle_library(<target> DIR <folder> [EXCLUDE <regex>] [DEPS <targets...>])
# Builds a static library from every .cpp in <folder> (re-globbed at build
# time; sources whose path matches EXCLUDE are left out) and exports <folder> as a public include directory, so that code
# includes the kit headers by their plain names (<Message.h>, <LibString.h>).
function(ondelle_library target)
  cmake_parse_arguments(ARG "" "DIR;EXCLUDE" "DEPS" ${ARGN})
  file(GLOB_RECURSE _srcs CONFIGURE_DEPENDS "${ARG_DIR}/*.cpp")
  if(ARG_EXCLUDE AND _srcs)
    list(FILTER _srcs EXCLUDE REGEX "${ARG_EXCLUDE}")
  endif()
  if(_srcs)
    add_library(${target} STATIC ${_srcs})
    target_include_directories(${target} PUBLIC ${ARG_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${ARG_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# ondelle_test(<name> DIR <folder> DEPS <targets...>)
# One GoogleTest executable from every .cpp in <folder>; each test case is
# registered with CTest, labelled <name>. Tests run with the sandbox root set (see tests/).
function(ondelle_test name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS" ${ARGN})
  file(GLOB _srcs CONFIGURE_DEPENDS "${ARG_DIR}/*.cpp")
  if(NOT _srcs)
    return()
  endif()
  add_executable(test_${name} ${_srcs})
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} ondelle_test_main GTest::gtest GTest::gmock)
  target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/common)
  target_compile_definitions(test_${name} PRIVATE ONDELLE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  # The test main sets up the sandbox and the offscreen platform itself; the
  # samples folder and the build folder are compiled into tests/common.
  # Each case carries the program's name as its label, so that a run can
  # pick whole programs (ctest -L), as the ThreadSanitizer stage does.
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${name})
endfunction()
