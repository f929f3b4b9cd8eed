# `cmake --install`: the usual Linux layout under the prefix.
#
#   bin/tunebelt, bin/tunebelt-cli
#   share/tunebelt/                      the files data/ holds (the programs look
#                                        for them beside themselves first, then
#                                        in ../share/tunebelt)
#   share/applications/tunebelt.desktop  the menu entry
#   share/icons/hicolor/*/apps/          the icon, scalable and 48/128/256 px
#   share/metainfo/                      the AppStream metainfo
#   share/man/man1/                      tunebelt.1.gz, tunebelt-cli.1.gz
#   share/bash-completion/completions/   tunebelt-cli
#   share/doc/tunebelt/                  copyright, changelog.gz
#
# "bin" and "share" are fixed: the data folder is found relative to the
# program (platform/appfolders.h), so the two must stay siblings.

set(TUNEBELT_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(TUNEBELT_SHARE share)

foreach(program tunebelt tunebelt-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION bin)
  endif()
endforeach()

install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${TUNEBELT_SHARE}/tunebelt)

install(FILES ${TUNEBELT_PACKAGING_DIR}/tunebelt.desktop
  DESTINATION ${TUNEBELT_SHARE}/applications)
install(FILES ${TUNEBELT_PACKAGING_DIR}/net.tunebelt.Tunebelt.metainfo.xml
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
foreach(source man/tunebelt.1 man/tunebelt-cli.1 changelog)
  get_filename_component(name ${source} NAME)
  set(output ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND ${GZIP} -9nc ${TUNEBELT_PACKAGING_DIR}/${source} > ${output}
    DEPENDS ${TUNEBELT_PACKAGING_DIR}/${source}
    COMMENT "Compressing ${name}")
  list(APPEND TUNEBELT_COMPRESSED ${output})
endforeach()
add_custom_target(tunebelt_compressed_docs ALL DEPENDS ${TUNEBELT_COMPRESSED})
install(FILES ${CMAKE_BINARY_DIR}/packaging/tunebelt.1.gz
  ${CMAKE_BINARY_DIR}/packaging/tunebelt-cli.1.gz DESTINATION ${TUNEBELT_SHARE}/man/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${TUNEBELT_SHARE}/doc/tunebelt)
