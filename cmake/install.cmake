# What `cmake --install` puts under the prefix (/usr in the Debian package):
#   bin/vxdb, bin/vexmarl-update-server, bin/vexmachine (a link into lib/vexmarl/bin)
#   lib/vexmarl/bin/       vexmachine and the system programs it installs into new images
#   lib/vexmarl/program/   the program that `vexmachine install` copies into images
#   lib/vexmarl/demo/      the demo's running spyware
#   share/vexmarl/demo/    the demo definitions (naming that spyware) and the demo infection
#   share/man/man1/        the manual pages
#   share/doc/vexmarl/     copyright and changelog
# vexmachine finds the system programs in its own folder and the program in ../program, so
# the installed tree keeps the build tree's relative layout.
set(VEXMARL_INSTALL_LIB lib/vexmarl)

install(TARGETS vxdb vexmarl_update_server RUNTIME DESTINATION bin)
install(TARGETS vexmachine regedit rundll32 explorer RUNTIME DESTINATION ${VEXMARL_INSTALL_LIB}/bin)
install(TARGETS mapi32 LIBRARY DESTINATION ${VEXMARL_INSTALL_LIB}/bin)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
file(CREATE_LINK ../${VEXMARL_INSTALL_LIB}/bin/vexmachine ${CMAKE_BINARY_DIR}/install-links/vexmachine
     SYMBOLIC)
install(PROGRAMS ${CMAKE_BINARY_DIR}/install-links/vexmachine DESTINATION bin)

set(program_destination ${VEXMARL_INSTALL_LIB}/program)
install(TARGETS vexmarl_program vexmarl_cli RUNTIME DESTINATION ${program_destination})
install(TARGETS corvane resources LIBRARY DESTINATION ${program_destination})
install(FILES ${VEXMARL_PROGRAM_DIR}/settings.xml ${VEXMARL_PROGRAM_DIR}/database.db
        DESTINATION ${program_destination})
install(DIRECTORY ${VEXMARL_PROGRAM_DIR}/images DESTINATION ${program_destination})

# The definitions name the spyware by the digest of the file as built (stripped already, see
# data/CMakeLists.txt): installed as it is, not stripped again.
install(PROGRAMS $<TARGET_FILE:demo_spyware> DESTINATION ${VEXMARL_INSTALL_LIB}/demo)
install(FILES ${CMAKE_BINARY_DIR}/data/definitions.xml data/demo/infection.reg
        DESTINATION share/vexmarl/demo)
install(PROGRAMS data/demo/plant.sh DESTINATION share/vexmarl/demo)

install(FILES ${VEXMARL_MAN_PAGE_FILES} DESTINATION share/man/man1)
install(FILES packaging/copyright DESTINATION share/doc/vexmarl)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION share/doc/vexmarl)
