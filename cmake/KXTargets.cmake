# One static library per source folder. Sources are the folder's .cpp files, so adding a class
# needs no edit here.
function(kx_library name)
  cmake_parse_arguments(ARG "" "" "PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*/*.cpp)
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  kx_warnings(${name})
endfunction()

# One test executable per test folder, discovered by CTest. LABEL is unit, integration or gui.
function(kx_test_folder name)
  cmake_parse_arguments(ARG "" "LABEL" "DEPS;SOURCES" ${ARGN})
  if(NOT ARG_LABEL)
    set(ARG_LABEL unit)
  endif()
  if(ARG_SOURCES)
    set(_sources ${ARG_SOURCES})
  else()
    file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(NOT _sources)
    return()
  endif()
  add_executable(${name} ${_sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} kx_testsupport GTest::gtest GTest::gtest_main)
  kx_warnings(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES LABELS ${ARG_LABEL}
    TEST_LIST ${name}_TESTS
    DISCOVERY_TIMEOUT 60)
  # The environment of every discovered test. It cannot travel through PROPERTIES above: the
  # discovery splits a value at its semicolons, so only the first variable would arrive. This file
  # runs after the discovered tests are defined and sets the whole list on each of them.
  set(_environment "KX_RESOURCE_DIR=${KX_RESOURCE_DIR}" "KX_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
                   "KX_BIN_DIR=${KX_OUTPUT_DIR}" "KX_CORPUS_DIR=${KX_CORPUS_DIR}")
  set(_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(GENERATE OUTPUT ${_file} CONTENT
"foreach(_test IN LISTS ${name}_TESTS)
  set_tests_properties(\"\${_test}\" PROPERTIES ENVIRONMENT \"${_environment}\")
endforeach()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_file})
endfunction()
