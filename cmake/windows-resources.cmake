# resources.dll of the Windows build: a resource-only DLL (no code, no imports) that the
# program reads with LoadLibraryExA(LOAD_LIBRARY_AS_DATAFILE), LoadStringA and FindResourceA.
# It is made from the same items as the image build's library, "KIND:ID:PATH" with KIND
#   0  the string table file: "ID<TAB>TEXT" lines, '#' comments, escapes \n \t \\
#      -> STRINGTABLE, LoadStringA(module, ID, ...)
#   1  an HTML page   -> resource type 23 (RT_HTML), FindResourceA(module, ID, 23)
#   2  a bitmap       -> BITMAP (RT_BITMAP, 2), FindResourceA or LoadBitmapA; windres
#                        stores the DIB without the file's 14-byte BITMAPFILEHEADER
# IDs are numbers in every kind; each resource type has its own IDs.
#
#   include(cmake/windows-resources.cmake)
#   vexmarl_windows_resource_library(resources ${VEXMARL_PROGRAM_DIR} ITEMS ${resource_items}
#                                    [CODE_PAGE 1252])
#
# Run as a script (cmake -DITEMS=a|b -DOUTPUT=x.rc -DCODE_PAGE=1252 -P this file), it writes
# the .rc. The texts are bytes of the ANSI code page: the .rc says which one
# (#pragma code_page), so windres turns them into the table's UTF-16, and LoadStringA turns
# them back into the running system's code page.

if(CMAKE_SCRIPT_MODE_FILE)
  # The .rc text of one table text, given as a list of bytes in hex: table escapes undone,
  # then every byte that is not plain printable ASCII written as a 3-digit octal escape
  # (never longer, so a digit after it stays a digit), and a quote doubled as rc wants.
  function(rc_text out_var)
    set(text "")
    set(escaped FALSE)
    list(LENGTH ARGN count)
    set(index 0)
    foreach(byte IN LISTS ARGN)
      math(EXPR index "${index} + 1")
      math(EXPR code "0x${byte}")
      if(NOT escaped AND code EQUAL 92 AND index LESS count)  # a backslash with a follower
        set(escaped TRUE)
        continue()
      endif()
      if(escaped)
        set(escaped FALSE)
        if(code EQUAL 110)  # \n
          set(code 10)
        elseif(code EQUAL 116)  # \t
          set(code 9)
        endif()
      endif()
      if(code EQUAL 34)
        string(APPEND text "\"\"")
      elseif(code EQUAL 92)
        string(APPEND text "\\\\")
      elseif(code EQUAL 10)
        string(APPEND text "\\n")
      elseif(code EQUAL 9)
        string(APPEND text "\\t")
      elseif(code LESS 32 OR code GREATER 126)
        math(EXPR high "${code} / 64")
        math(EXPR middle "${code} / 8 % 8")
        math(EXPR low "${code} % 8")
        string(APPEND text "\\${high}${middle}${low}")
      else()
        string(ASCII ${code} character)
        string(APPEND text "${character}")
      endif()
    endforeach()
    set(${out_var} "${text}" PARENT_SCOPE)
  endfunction()

  # A file name in the .rc: quoted, a quote doubled and a backslash escaped.
  function(rc_file_name out_var path)
    string(REPLACE "\\" "\\\\" path "${path}")
    string(REPLACE "\"" "\"\"" path "${path}")
    set(${out_var} "\"${path}\"" PARENT_SCOPE)
  endfunction()

  if(NOT CODE_PAGE)
    set(CODE_PAGE 1252)
  endif()
  string(REPLACE "|" ";" item_list "${ITEMS}")
  set(ids "")
  set(resources "")
  foreach(item IN LISTS item_list)
    if(NOT item MATCHES "^([0-9]+):([0-9]+):(.+)$")
      message(FATAL_ERROR "resource item \"${item}\" is not KIND:ID:PATH")
    endif()
    set(kind "${CMAKE_MATCH_1}")
    set(id "${CMAKE_MATCH_2}")
    set(path "${CMAKE_MATCH_3}")
    if(kind EQUAL 1 OR kind EQUAL 2)
      rc_file_name(name "${path}")
      if(kind EQUAL 1)
        string(APPEND resources "${id} 23 ${name}\n")
      else()
        string(APPEND resources "${id} BITMAP ${name}\n")
      endif()
      continue()
    elseif(NOT kind EQUAL 0)
      message(FATAL_ERROR "resource item \"${item}\": unknown kind ${kind}")
    endif()
    # The string table, a line at a time as bytes; a later line of an ID replaces an
    # earlier one, as in the image build's library.
    file(READ "${path}" hex HEX)
    string(REGEX REPLACE "(..)" "\\1;" bytes "${hex}")
    string(APPEND bytes 0a)  # after the last byte's separator: the last line ends too
    set(line "")
    set(number 0)
    foreach(byte IN LISTS bytes)
      if(NOT byte STREQUAL "0a")
        list(APPEND line ${byte})
        continue()
      endif()
      math(EXPR number "${number} + 1")
      list(LENGTH line length)
      if(length GREATER 0)
        list(GET line -1 last)
        if(last STREQUAL "0d")
          list(REMOVE_AT line -1)
          math(EXPR length "${length} - 1")
        endif()
      endif()
      if(length GREATER 0)
        list(GET line 0 first)
      endif()
      list(FIND line 09 tab)
      if(length EQUAL 0 OR first STREQUAL "23" OR tab EQUAL -1)
        set(line "")
        continue()
      endif()
      list(SUBLIST line 0 ${tab} id_bytes)
      math(EXPR text_start "${tab} + 1")
      set(text_bytes "")
      if(text_start LESS length)
        list(SUBLIST line ${text_start} -1 text_bytes)
      endif()
      string(REPLACE ";" "" id_hex "${id_bytes}")
      if(NOT id_hex MATCHES "^(3[0-9])+$")
        message(FATAL_ERROR "${path}:${number}: the ID is not a number")
      endif()
      string(REGEX REPLACE "3([0-9])" "\\1" id "${id_hex}")
      math(EXPR id "${id}")
      if(id GREATER 65535)
        message(FATAL_ERROR "${path}:${number}: string ID ${id} is over 65535")
      endif()
      rc_text(text_${id} ${text_bytes})
      list(APPEND ids ${id})
      set(line "")
    endforeach()
  endforeach()

  set(table "")
  if(ids)
    list(REMOVE_DUPLICATES ids)
    list(SORT ids COMPARE NATURAL)
    string(APPEND table "STRINGTABLE\nBEGIN\n")
    foreach(id IN LISTS ids)
      string(APPEND table "  ${id} \"${text_${id}}\"\n")
    endforeach()
    string(APPEND table "END\n")
  endif()
  file(WRITE "${OUTPUT}"
    "// Made by cmake/windows-resources.cmake from the files of resources/.\n"
    "#pragma code_page(${CODE_PAGE})\n"
    "// Language-neutral, so that FindResourceA finds them whatever the user's language.\n"
    "LANGUAGE 0, 0\n\n${table}\n${resources}")
  return()
endif()

enable_language(C)
enable_language(RC)
set(VEXMARL_WINDOWS_RESOURCES_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

# Builds TARGET, OUTPUT_DIR/TARGET.dll, from ITEMS ("KIND:ID:PATH", see above).
function(vexmarl_windows_resource_library target output_dir)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "CODE_PAGE" "ITEMS")
  if(NOT arg_CODE_PAGE)
    set(arg_CODE_PAGE 1252)
  endif()
  set(files "")
  foreach(item IN LISTS arg_ITEMS)
    string(REGEX REPLACE "^[0-9]+:[0-9]+:" "" path "${item}")
    list(APPEND files "${path}")
  endforeach()
  string(REPLACE ";" "|" items_text "${arg_ITEMS}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  add_custom_command(
    OUTPUT ${rc}
    COMMAND ${CMAKE_COMMAND} "-DITEMS=${items_text}" -DOUTPUT=${rc}
            -DCODE_PAGE=${arg_CODE_PAGE} -P ${VEXMARL_WINDOWS_RESOURCES_SCRIPT}
    DEPENDS ${files} ${VEXMARL_WINDOWS_RESOURCES_SCRIPT}
    COMMENT "Writing ${target}.rc"
    VERBATIM)
  # The pages and bitmaps are read by windres, not written into the .rc.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${files}")

  add_library(${target} MODULE ${rc})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX ".dll"
    LIBRARY_OUTPUT_DIRECTORY ${output_dir}
    LINKER_LANGUAGE C)
  # Nothing of the program's compile options (windres takes no -W) or default libraries;
  # no C runtime and no entry point: a DLL of resources only.
  set_property(TARGET ${target} PROPERTY COMPILE_OPTIONS "")
  set_property(TARGET ${target} PROPERTY LINK_LIBRARIES "")
  target_link_options(${target} PRIVATE -nostdlib -Wl,-e,0)
endfunction()
