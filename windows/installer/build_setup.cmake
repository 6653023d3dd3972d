# Builds the setup program with NSIS's makensis from setup.nsi: the brand is read from the
# program folder's settings.xml (the program's name, its settings key, its program file, the
# publisher and two web addresses), the version from the program's source, where it also
# names the program's single-instance mutex.
#   cmake -DMAKENSIS=makensis -DPROGRAM_DIR=DIR -DVERSION_SOURCE=program_folder.h
#         -DOUTPUT=VexmarlSetup.exe -P build_setup.cmake
foreach(name MAKENSIS PROGRAM_DIR VERSION_SOURCE OUTPUT)
  if(NOT ${name})
    message(FATAL_ERROR "build_setup.cmake needs -D${name}=...")
  endif()
endforeach()

file(READ "${PROGRAM_DIR}/settings.xml" brand)
set(defines "")
foreach(key APPNAME REGISTRYNAME EXENAME COMPANYNAME URLPROD URLSUPPORT)
  # The brand's texts are taken as the program takes them: whole, entities replaced.
  if(NOT brand MATCHES "<${key}>([^<]*)</${key}>")
    message(FATAL_ERROR "${PROGRAM_DIR}/settings.xml has no ${key}")
  endif()
  set(text "${CMAKE_MATCH_1}")
  string(REPLACE "&lt;" "<" text "${text}")
  string(REPLACE "&gt;" ">" text "${text}")
  string(REPLACE "&quot;" "\"" text "${text}")
  string(REPLACE "&apos;" "'" text "${text}")
  string(REPLACE "&amp;" "&" text "${text}")
  if(key MATCHES "^(APPNAME|REGISTRYNAME|EXENAME)$" AND text STREQUAL "")
    message(FATAL_ERROR "${PROGRAM_DIR}/settings.xml has an empty ${key}")
  endif()
  # makensis reads "$" as the start of a variable and '"' as the end of a quoted text.
  string(REPLACE "$" "$$" text "${text}")
  string(REPLACE "\"" "$\\\"" text "${text}")
  list(APPEND defines "-D${key}=${text}")
endforeach()

file(STRINGS "${VERSION_SOURCE}" version_line REGEX "ProgramVersion = \"[0-9.]+\"")
if(NOT version_line MATCHES "ProgramVersion = \"([0-9]+(\\.[0-9]+)*)\"")
  message(FATAL_ERROR "${VERSION_SOURCE} names no ProgramVersion")
endif()
set(version "${CMAKE_MATCH_1}")
# The version resource of the setup program takes four numbers.
string(REPLACE "." ";" quad "${version}")
list(LENGTH quad count)
while(count LESS 4)
  list(APPEND quad 0)
  math(EXPR count "${count} + 1")
endwhile()
list(SUBLIST quad 0 4 quad)
list(JOIN quad "." quad)

get_filename_component(here "${CMAKE_CURRENT_LIST_FILE}" DIRECTORY)
execute_process(
  COMMAND "${MAKENSIS}" -V2 -WX ${defines} "-DVERSION=${version}" "-DVERSION_QUAD=${quad}"
          "-DPROGRAM_DIR=${PROGRAM_DIR}" "-DOUTFILE=${OUTPUT}" setup.nsi
  WORKING_DIRECTORY "${here}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "makensis failed (${result})")
endif()
