# The player's download, actorbars-<version>-win32.zip: the DLL and the players' readme in
# one folder. Only the DLL is installed, not its import library: nothing links against it.
configure_file(${CMAKE_CURRENT_LIST_DIR}/README-players.txt.in
               ${PROJECT_BINARY_DIR}/README-players.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES $<TARGET_FILE:actorbars> ${PROJECT_BINARY_DIR}/README-players.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win32)
# No source package: the repository is the source.
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
