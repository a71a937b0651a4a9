# Makes OUTPUT a C++ source defining `const char* const NAME` as the bytes
# of INPUT (a text file of the product), so the file ships inside the library.
file(READ "${INPUT}" content HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${content}")
file(WRITE "${OUTPUT}.tmp"
  "// Made by the build from ${INPUT_NAME}; edit that file instead.\n"
  "namespace comp_mgr {\n"
  "extern const char* const ${NAME};\n"
  "static const char kBytes[] = {${bytes}'\\0'};\n"
  "const char* const ${NAME} = kBytes;\n"
  "}  // namespace comp_mgr\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
