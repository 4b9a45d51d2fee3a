# Script (cmake -P) behind kx_embed_files: writes a C++ source holding the bytes of the files.
#   OUT     the source to write
#   HEADER  the header that declares the table (included first)
#   SYMBOL  the table's name in kx::detail; the count is SYMBOL followed by "Count"
#   BASE    the folder the files are named in
#   FILES   the file names, separated by "|"
string(REPLACE "|" ";" _files "${FILES}")
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
file(WRITE "${OUT}.tmp" "${_body}")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
