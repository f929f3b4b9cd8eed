# `cmake --install`: the usual Linux layout under the prefix.
#
#   bin/tunebelt, bin/tunebelt-cli
#   share/tunebelt/                      the files data/ holds (the programs look
#                                        for them beside themselves first, then
#                                        in ../share/tunebelt); installed into
#                                        /usr, the skin's font is a link to
#                                        fonts-dejavu-core's file
#   share/applications/tunebelt.desktop  the menu entry
#   share/icons/hicolor/*/apps/          the icon, scalable and 48/128/256 px
#   share/metainfo/                      the AppStream metainfo
#   share/man/man1/                      tunebelt.1.gz, tunebelt-cli.1.gz
#   share/bash-completion/completions/   tunebelt-cli
#   share/doc/tunebelt/                  copyright, changelog.gz
#
# The change log, the AppStream metainfo and the man pages are made from
# their templates in packaging/ (*.in) with the project's version and
# release date, into the build's packaging/ folder.
#
# "bin" and "share" are fixed: the data folder is found relative to the
# program (platform/appfolders.h), so the two must stay siblings.

set(TUNEBELT_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(TUNEBELT_GENERATED_DIR ${CMAKE_BINARY_DIR}/packaging)
set(TUNEBELT_SHARE share)

# The release date as the change log (RFC 2822) and the man pages (month and
# year) write it.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C
  date -u -d "${TUNEBELT_RELEASE_DATE} 08:00:00" -R
  OUTPUT_VARIABLE TUNEBELT_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C
  date -u -d "${TUNEBELT_RELEASE_DATE}" "+%B %Y"
  OUTPUT_VARIABLE TUNEBELT_MAN_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
foreach(template changelog net.tunebelt.Tunebelt.metainfo.xml man/tunebelt.1 man/tunebelt-cli.1)
  get_filename_component(name ${template} NAME)
  configure_file(${TUNEBELT_PACKAGING_DIR}/${template}.in ${TUNEBELT_GENERATED_DIR}/${name} @ONLY)
endforeach()

foreach(program tunebelt tunebelt-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION bin)
  endif()
endforeach()

# Installed into /usr (the Debian package), the skin's font is the file of
# fonts-dejavu-core (a dependency) through a link, so the package ships no
# second copy of it; elsewhere the file itself goes.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${TUNEBELT_SHARE}/tunebelt
    PATTERN HLFLIFE2.TTF EXCLUDE PATTERN HLFLIFE2-LICENSE.txt EXCLUDE)
  install(CODE "file(CREATE_LINK ../fonts/truetype/dejavu/DejaVuSans-Bold.ttf
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TUNEBELT_SHARE}/tunebelt/HLFLIFE2.TTF\" SYMBOLIC)")
else()
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${TUNEBELT_SHARE}/tunebelt)
endif()

install(FILES ${TUNEBELT_PACKAGING_DIR}/tunebelt.desktop
  DESTINATION ${TUNEBELT_SHARE}/applications)
install(FILES ${TUNEBELT_GENERATED_DIR}/net.tunebelt.Tunebelt.metainfo.xml
  DESTINATION ${TUNEBELT_SHARE}/metainfo)
install(FILES ${TUNEBELT_PACKAGING_DIR}/icons/tunebelt.svg
  DESTINATION ${TUNEBELT_SHARE}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES ${TUNEBELT_PACKAGING_DIR}/icons/tunebelt-${size}.png
    DESTINATION ${TUNEBELT_SHARE}/icons/hicolor/${size}x${size}/apps RENAME tunebelt.png)
endforeach()
install(FILES ${TUNEBELT_PACKAGING_DIR}/completion/tunebelt-cli
  DESTINATION ${TUNEBELT_SHARE}/bash-completion/completions)
install(FILES ${TUNEBELT_PACKAGING_DIR}/copyright DESTINATION ${TUNEBELT_SHARE}/doc/tunebelt)

# Man pages and the change log go compressed, without a time stamp in the
# gzip header, so the same sources give the same bytes.
find_program(GZIP gzip REQUIRED)
set(TUNEBELT_COMPRESSED)
foreach(name tunebelt.1 tunebelt-cli.1 changelog)
  set(output ${TUNEBELT_GENERATED_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${GZIP} -9nc ${TUNEBELT_GENERATED_DIR}/${name} > ${output}
    DEPENDS ${TUNEBELT_GENERATED_DIR}/${name}
    COMMENT "Compressing ${name}")
  list(APPEND TUNEBELT_COMPRESSED ${output})
endforeach()
add_custom_target(tunebelt_compressed_docs ALL DEPENDS ${TUNEBELT_COMPRESSED})
install(FILES ${TUNEBELT_GENERATED_DIR}/tunebelt.1.gz
  ${TUNEBELT_GENERATED_DIR}/tunebelt-cli.1.gz DESTINATION ${TUNEBELT_SHARE}/man/man1)
install(FILES ${TUNEBELT_GENERATED_DIR}/changelog.gz DESTINATION ${TUNEBELT_SHARE}/doc/tunebelt)
