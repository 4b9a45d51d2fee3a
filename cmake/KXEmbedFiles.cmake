# Script (cmake -P) behind kx_embed_files: writes a C++ source that holds files compiled in, in
# namespace kx::detail, in one of two forms.
#   OUT       the source to write
#   BASE      the folder the files are named in
#   FILES     the file names, separated by "|"
# Bytes, for any file: a table of names and bytes, declared by a header of the target's own.
#   HEADER    the header that declares the table (included first)
#   SYMBOL    the table's name; the count is SYMBOL followed by "Count"
# Text, for text files: a function that finds a file's text by its name.
#   FUNCTION  std::string_view FUNCTION(std::string_view name), empty for an unknown name
string(REPLACE "|" ";" _files "${FILES}")
if(DEFINED FUNCTION)
  set(_body "")
  foreach(_name ${_files})
    set(_input "${BASE}/${_name}")
    file(READ "${_input}" _text)
    string(FIND "${_text}" ")KXTEMPLATE\"" _clash)
    if(NOT _clash EQUAL -1)
      message(FATAL_ERROR "${_input} holds the raw-string delimiter")
    endif()
    string(APPEND _body "    if (name == \"${_name}\") return R\"KXTEMPLATE(${_text})KXTEMPLATE\";\n")
  endforeach()
  set(_body "// Generated from the template files at build time; do not edit.\n#include <string_view>\n\nnamespace kx::detail {\n\nstd::string_view ${FUNCTION}(std::string_view name) {\n${_body}    return {};\n}\n\n}  // namespace kx::detail\n")
else()
  set(_body "// Generated at build time from the resource files named below; do not edit.\n")
  string(APPEND _body "#include \"${HEADER}\"\n\nnamespace kx::detail {\n\nnamespace {\n")
  set(_table "")
  set(_index 0)
  foreach(_name ${_files})
    file(READ "${BASE}/${_name}" _hex HEX)
    string(LENGTH "${_hex}" _digits)
    math(EXPR _size "${_digits} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
    string(REPEAT "0x..," 24 _row)  # (CMake's expressions have no counted repeat)
    string(REGEX REPLACE "(${_row})" "\\1\n    " _bytes "${_bytes}")
    string(APPEND _body "// ${_name}\nconst unsigned char kFile${_index}[] = {\n    ${_bytes}0x00};\n")
    string(APPEND _table "    {\"${_name}\", {reinterpret_cast<const char*>(kFile${_index}), ${_size}}},\n")
    math(EXPR _index "${_index} + 1")
  endforeach()
  string(APPEND _body "\n}  // namespace\n\nextern const EmbeddedFile ${SYMBOL}[] = {\n${_table}};\n")
  string(APPEND _body "extern const std::size_t ${SYMBOL}Count = ${_index};\n\n}  // namespace kx::detail\n")
endif()
file(WRITE "${OUT}.tmp" "${_body}")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
