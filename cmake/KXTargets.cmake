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
  set(_properties LABELS ${ARG_LABEL})
  # Tests with windows share one display: they run one after another (beside the other tests), so
  # that no two of them connect, open windows and take the focus at the same moment.
  if(ARG_LABEL STREQUAL "gui")
    list(APPEND _properties RESOURCE_LOCK kx_display)
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES ${_properties}
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

# Builds resource files into a target, for the resources the program must have even when the
# resource folder lacks them; the generated source is regenerated whenever a file changes.
#   SYMBOL s HEADER h: the files' bytes. HEADER declares `extern const kx::detail::EmbeddedFile
#     SYMBOL[]` and `extern const std::size_t SYMBOLCount` (EmbeddedFile: a name and its bytes as
#     std::string_view); the generated source defines them.
#   FUNCTION f: the files' text, found by file name through `std::string_view kx::detail::f(
#     std::string_view name)` (empty for an unknown name), which the target declares itself.
function(kx_embed_files target)
  cmake_parse_arguments(ARG "" "SYMBOL;HEADER;FUNCTION;BASE" "FILES" ${ARGN})
  if(ARG_FUNCTION)
    set(_out ${CMAKE_CURRENT_BINARY_DIR}/${ARG_FUNCTION}.cpp)
    set(_form -DFUNCTION=${ARG_FUNCTION})
  else()
    set(_out ${CMAKE_CURRENT_BINARY_DIR}/${ARG_SYMBOL}.cpp)
    set(_form -DHEADER=${ARG_HEADER} -DSYMBOL=${ARG_SYMBOL})
  endif()
  set(_deps)
  foreach(f ${ARG_FILES})
    list(APPEND _deps ${ARG_BASE}/${f})
  endforeach()
  string(REPLACE ";" "|" _files "${ARG_FILES}")
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${_out} ${_form} -DBASE=${ARG_BASE}
            -DFILES=${_files} -P ${PROJECT_SOURCE_DIR}/cmake/KXEmbedFiles.cmake
    DEPENDS ${_deps} ${PROJECT_SOURCE_DIR}/cmake/KXEmbedFiles.cmake
    VERBATIM)
  target_sources(${target} PRIVATE ${_out})
endfunction()
