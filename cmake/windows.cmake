# The Windows build (the windows preset, cross-built with MinGW-w64): its
# tests and their discovery run under Wine through a generated wrapper that
# sets up the build's own Wine prefix and environment.
if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()

find_program(TUNEBELT_WINE NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
find_program(TUNEBELT_WINE NAMES wine64 wine)
find_program(TUNEBELT_WINESERVER NAMES wineserver64 wineserver PATHS /usr/lib/wine
  /usr/lib64/wine NO_DEFAULT_PATH)
find_program(TUNEBELT_WINESERVER NAMES wineserver)
if(NOT TUNEBELT_WINE OR NOT TUNEBELT_WINESERVER)
  message(WARNING "Wine (wine64) not found: the Windows tests cannot run here")
  return()
endif()

set(TUNEBELT_WINEPREFIX ${CMAKE_BINARY_DIR}/wine/prefix)
# A home that does not exist: Wine then writes nothing into the real one.
set(TUNEBELT_WINE_HOME ${CMAKE_BINARY_DIR}/wine/no-home)
set(TUNEBELT_WINE_RUN ${CMAKE_BINARY_DIR}/wine/wine-run.sh)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${TUNEBELT_WINE_RUN} @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
  WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TUNEBELT_WINE_RUN})
