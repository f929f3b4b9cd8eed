# `make package`: a Debian package built by CPack from the install rules
# (cmake/install.cmake), with Depends computed by dpkg-shlibdeps from the
# programs' shared libraries.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tunebelt)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tunebelt developers")
set(TUNEBELT_PACKAGE_MAINTAINER "The Tunebelt developers <packages@tunebelt.net>"
  CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT ${TUNEBELT_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "listen to your own MP3 files inside Half-Life and its mods")
# CPack puts the summary in front as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Half-Life and its mods (Counter-Strike, Day of Defeat, Team Fortress Classic
and others) have a small MP3 player built into the game console. Tunebelt
turns a playlist of MP3 files, PLS or extended M3U playlists into the console
scripts that player reads, copies the tracks into the mod folder and adds an
MP3 Player Controls section to the game's Controls menu, so that keys can
play, loop, stop and skip tracks, announce them in the chat and step the
music and game volumes.
.
The package holds the Qt window (tunebelt) and a terminal front end for
scripts (tunebelt-cli).")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.tunebelt.net/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's faces: Liberation Sans for the design's Arial, and DejaVu Sans
# Bold, the skin's font, which the package links to. dpkg-shlibdeps adds the
# libraries.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, fonts-dejavu-core")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

find_program(DPKG dpkg)
if(DPKG)
  execute_process(COMMAND ${DPKG} --print-architecture
    OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
endif()
set(CPACK_DEBIAN_FILE_NAME
  "${CPACK_PACKAGE_NAME}_${CPACK_PACKAGE_VERSION}_${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}.deb")

include(CPack)
