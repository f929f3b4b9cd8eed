# The Windows packages (make windows): an application folder, the program
# with the shipped data beside it, as found by platform/appfolders.h:
#
#   tunebelt-cli.exe
#   background\  kb_act\  credits.txt  readme.txt  velloran_glasshour.mp3
#   HLFLIFE2.TTF  HLFLIFE2-LICENSE.txt  copyright.txt  LICENSE.txt
#
# as a ZIP to unpack anywhere and a 64-bit NSIS installer into
# C:\Program Files\Tunebelt (the settings then live in %APPDATA%\Tunebelt,
# since a user cannot write there).

foreach(program tunebelt tunebelt-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION .)
  endif()
endforeach()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION . RENAME copyright.txt)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_PACKAGE_NAME Tunebelt)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tunebelt developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "listen to your own MP3 files inside Half-Life and its mods")
set(CPACK_PACKAGE_FILE_NAME "Tunebelt-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tunebelt)
set(CPACK_STRIP_FILES ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)

# CPack's own NSIS settings make a 32-bit installer, which a 64-bit-only
# system cannot run: a 64-bit Unicode installer into the 64-bit Program Files.
set(CPACK_NSIS_DEFINES "  Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "Tunebelt ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "Tunebelt")
set(CPACK_NSIS_URL_INFO_ABOUT "https://www.tunebelt.net/")
set(CPACK_NSIS_CONTACT "packages@tunebelt.net")
set(CPACK_NSIS_MODIFY_PATH OFF)
# The installer's licence page: GPL-3.0-or-later.
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)

include(CPack)
