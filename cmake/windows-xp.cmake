# What makes the Windows build's programs start on Windows XP SP3. Include it from the top
# CMakeLists.txt before the targets are made.
#
# vexmarl_xp_compat: object library with what XP's kernel32 lacks and the static runtime
# imports (windows/xp_compat.c). Every .exe and .dll made after this file is included links
# its objects (static libraries do not: the programs that use them have them already).
#
# The Windows headers are told the oldest system the program runs on, so that they do not
# declare functions XP does not have; a newer one is bound at run time by name.
enable_language(C)
add_compile_definitions(_WIN32_WINNT=0x0501 WINVER=0x0501)
add_library(vexmarl_xp_compat OBJECT ${CMAKE_CURRENT_LIST_DIR}/../windows/xp_compat.c)
set(type $<TARGET_PROPERTY:TYPE>)
link_libraries("$<$<OR:$<STREQUAL:${type},EXECUTABLE>,$<STREQUAL:${type},SHARED_LIBRARY>,\
$<STREQUAL:${type},MODULE_LIBRARY>>:vexmarl_xp_compat>")
unset(type)
