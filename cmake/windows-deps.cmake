# The libraries of the Windows build that mingw-w64 has no package for, built here with the
# toolchain as static libraries: minizip from Debian's source package (fetched by
# scripts/install-deps --windows) over mingw's zlib, and GoogleTest from /usr/src/googletest.
# Targets: minizip, gtest, gtest_main, gmock, gmock_main (and GTest:: aliases, as the tests
# name them). Each is built only when something links it. The header-only JSON library is
# the host's (nlohmann-json3-dev), as nlohmann_json::nlohmann_json.
enable_language(C)
set(VEXMARL_MINIZIP_SOURCE_DIR "${PROJECT_SOURCE_DIR}/build-windows/deps/minizip" CACHE PATH
    "Debian's minizip source, unpacked (scripts/install-deps --windows)")
set(VEXMARL_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's source")
if(NOT EXISTS "${VEXMARL_MINIZIP_SOURCE_DIR}/zip.c")
  message(FATAL_ERROR "No minizip source in ${VEXMARL_MINIZIP_SOURCE_DIR}: run "
                      "scripts/install-deps --windows or set VEXMARL_MINIZIP_SOURCE_DIR")
endif()
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)

# Outside code, built with warnings off (minizip has many) so that the project's -Werror
# does not fail on them, and without the libraries link_libraries() gives our own targets.
function(vexmarl_outside_library target)
  add_library(${target} STATIC EXCLUDE_FROM_ALL ${ARGN})
  target_compile_options(${target} PRIVATE -w)
  set_property(TARGET ${target} PROPERTY LINK_LIBRARIES "")
endfunction()

# The headers are copied into a folder of their own, so that both <minizip/zip.h> (as the
# code includes them) and <zip.h> (as pkg-config's minizip gives them) are found, and
# nothing else of the source folder is.
set(minizip_include ${CMAKE_BINARY_DIR}/windows-deps/include)
foreach(header crypt.h ioapi.h iowin32.h mztools.h unzip.h zip.h)
  configure_file(${VEXMARL_MINIZIP_SOURCE_DIR}/${header} ${minizip_include}/minizip/${header}
                 COPYONLY)
endforeach()
vexmarl_outside_library(minizip
  ${VEXMARL_MINIZIP_SOURCE_DIR}/ioapi.c ${VEXMARL_MINIZIP_SOURCE_DIR}/iowin32.c
  ${VEXMARL_MINIZIP_SOURCE_DIR}/mztools.c ${VEXMARL_MINIZIP_SOURCE_DIR}/unzip.c
  ${VEXMARL_MINIZIP_SOURCE_DIR}/zip.c)
target_include_directories(minizip SYSTEM PUBLIC ${minizip_include} ${minizip_include}/minizip)
target_link_libraries(minizip PUBLIC ZLIB::ZLIB)

# The JSON library's headers are copied into a folder of their own, so that the build sees
# them and no other header of the host.
set(VEXMARL_JSON_INCLUDE_DIR /usr/include CACHE PATH "Where nlohmann/json.hpp lies")
if(NOT EXISTS "${VEXMARL_JSON_INCLUDE_DIR}/nlohmann/json.hpp")
  message(FATAL_ERROR "No nlohmann/json.hpp in ${VEXMARL_JSON_INCLUDE_DIR}: run "
                      "scripts/install-deps or set VEXMARL_JSON_INCLUDE_DIR")
endif()
set(json_include ${CMAKE_BINARY_DIR}/windows-deps/json)
file(COPY ${VEXMARL_JSON_INCLUDE_DIR}/nlohmann DESTINATION ${json_include})
add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE ${json_include})
add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)

set(googletest ${VEXMARL_GOOGLETEST_SOURCE_DIR}/googletest)
set(googlemock ${VEXMARL_GOOGLETEST_SOURCE_DIR}/googlemock)
vexmarl_outside_library(gtest ${googletest}/src/gtest-all.cc)
target_include_directories(gtest SYSTEM PUBLIC ${googletest}/include)
target_include_directories(gtest PRIVATE ${googletest})
target_link_libraries(gtest PUBLIC Threads::Threads)
vexmarl_outside_library(gtest_main ${googletest}/src/gtest_main.cc)
target_link_libraries(gtest_main PUBLIC gtest)
vexmarl_outside_library(gmock ${googlemock}/src/gmock-all.cc)
target_include_directories(gmock SYSTEM PUBLIC ${googlemock}/include)
target_include_directories(gmock PRIVATE ${googlemock})
target_link_libraries(gmock PUBLIC gtest)
vexmarl_outside_library(gmock_main ${googlemock}/src/gmock_main.cc)
target_link_libraries(gmock_main PUBLIC gmock)
foreach(target gtest gtest_main gmock gmock_main)
  add_library(GTest::${target} ALIAS ${target})
endforeach()
