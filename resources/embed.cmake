# Writes OUTPUT, a C++ source that holds each listed file as a byte array of a table:
# ITEMS is a list of "KIND:ID:PATH" with KIND 0 the string table, 1 a page, 2 a bitmap.
string(REPLACE "|" ";" item_list "${ITEMS}")
set(arrays "")
set(entries "")
set(index 0)
foreach(item IN LISTS item_list)
  string(REGEX MATCH "^([0-9]+):([0-9]+):(.*)$" matched "${item}")
  set(kind "${CMAKE_MATCH_1}")
  set(id "${CMAKE_MATCH_2}")
  set(path "${CMAKE_MATCH_3}")
  file(READ "${path}" bytes HEX)
  string(LENGTH "${bytes}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
  string(APPEND arrays "const unsigned char kData${index}[] = {${bytes} 0};\n")
  string(APPEND entries "    {${kind}, ${id}, kData${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.new"
  "// Made by resources/embed.cmake from the files of resources/.\n"
  "#include \"embedded_resources.h\"\n\nnamespace {\n${arrays}}  // namespace\n\n"
  "const EmbeddedResource kEmbeddedResources[] = {\n${entries}};\n"
  "const unsigned kEmbeddedResourceCount = ${index};\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
