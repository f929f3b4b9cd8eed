# The Windows packages (make windows): an application folder, the programs
# with the shipped data beside them, as found by platform/appfolders.h:
#
#   tunebelt.exe  tunebelt-cli.exe
#   background\  kb_act\  credits.txt  readme.txt  velloran_glasshour.mp3
#   HLFLIFE2.TTF  HLFLIFE2-LICENSE.txt  copyright.txt  LICENSE.txt
#
# as a ZIP to unpack anywhere and a 64-bit NSIS installer of our own
# (cmake/nsis/NSIS.template.in): for the current user into
# %LOCALAPPDATA%\Programs\Tunebelt without administrator rights, or for all
# users into C:\Program Files\Tunebelt (the settings then live in
# %APPDATA%\Tunebelt, since a user cannot write there).

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

# The installer's script is ours (per-user by default, shortcuts, a clean
# uninstall); CPack fills in the files and these values.
set(CPACK_MODULE_PATH ${CMAKE_SOURCE_DIR}/cmake/nsis)
set(CPACK_NSIS_PACKAGE_NAME "Tunebelt ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "Tunebelt")
set(CPACK_NSIS_URL_INFO_ABOUT "https://www.tunebelt.net/")
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/packaging/icons/tunebelt.ico)
# The licence page shows the project's licence, GPL-3.0-or-later, as a
# text file (NSIS takes .txt and .rtf).
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt COPYONLY)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt)

include(CPack)
