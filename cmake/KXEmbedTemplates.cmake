# Writes a C++ source that holds text files compiled in, each found by its file name through
#   std::string_view <FUNCTION>(std::string_view name)   (empty for an unknown name)
# in namespace kx::detail. Run with -DOUTPUT=<file.cpp> -DFUNCTION=<name> -DDIR=<folder>
# -DNAMES=<name|name|...> (the files DIR/name).
set(_body "")
string(REPLACE "|" ";" _names "${NAMES}")
foreach(_name ${_names})
  set(_input "${DIR}/${_name}")
  file(READ "${_input}" _text)
  string(FIND "${_text}" ")KXTEMPLATE\"" _clash)
  if(NOT _clash EQUAL -1)
    message(FATAL_ERROR "${_input} holds the raw-string delimiter")
  endif()
  string(APPEND _body "    if (name == \"${_name}\") return R\"KXTEMPLATE(${_text})KXTEMPLATE\";\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from the template files at build time; do not edit.\n#include <string_view>\n\nnamespace kx::detail {\n\nstd::string_view ${FUNCTION}(std::string_view name) {\n${_body}    return {};\n}\n\n}  // namespace kx::detail\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
