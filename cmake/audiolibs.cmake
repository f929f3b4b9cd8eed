# The audio libraries, as the interface target tunebelt_audio_libs.
#
# Linux: Debian's packages (libavformat-dev, libavcodec-dev,
# libswresample-dev, libmp3lame-dev, libebur128-dev).
#
# Windows (MinGW-w64 cross-build): the same libraries built from Debian's
# source packages by tools/build-audio-libs.sh into <build>/audio-libs,
# static, in the smallest configuration that reads the formats taken. They
# are built once; a rebuild finds them there (the script's fingerprint in
# prefix/.built) and builds nothing.
if(TARGET tunebelt_audio_libs)
  return()
endif()
add_library(tunebelt_audio_libs INTERFACE)

if(CMAKE_CROSSCOMPILING AND WIN32)
  set(TUNEBELT_AUDIO_ROOT ${CMAKE_BINARY_DIR}/audio-libs)
  set(prefix ${TUNEBELT_AUDIO_ROOT}/prefix)
  set(archives)
  foreach(lib avformat avcodec swresample avutil mp3lame ebur128)
    list(APPEND archives ${prefix}/lib/lib${lib}.a)
  endforeach()
  add_custom_command(
    OUTPUT ${prefix}/.built
    BYPRODUCTS ${archives}
    COMMAND ${PROJECT_SOURCE_DIR}/tools/build-audio-libs.sh ${TUNEBELT_AUDIO_ROOT}
      ${TUNEBELT_MINGW}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/build-audio-libs.sh
    USES_TERMINAL
    COMMENT "Audio libraries for Windows (FFmpeg, LAME, libebur128; cached in ${TUNEBELT_AUDIO_ROOT})")
  add_custom_target(tunebelt_audio_build DEPENDS ${prefix}/.built)
  file(MAKE_DIRECTORY ${prefix}/include)
  target_include_directories(tunebelt_audio_libs SYSTEM INTERFACE ${prefix}/include)
  # What FFmpeg's libraries name in their pkg-config files.
  target_link_libraries(tunebelt_audio_libs INTERFACE ${archives} bcrypt user32 ole32 atomic)
  add_dependencies(tunebelt_audio_libs tunebelt_audio_build)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(TUNEBELT_FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswresample
    libavutil)
  pkg_check_modules(TUNEBELT_EBUR128 REQUIRED IMPORTED_TARGET libebur128)
  find_path(TUNEBELT_LAME_INCLUDE lame/lame.h REQUIRED)
  find_library(TUNEBELT_LAME_LIBRARY mp3lame REQUIRED)
  target_include_directories(tunebelt_audio_libs SYSTEM INTERFACE ${TUNEBELT_LAME_INCLUDE})
  target_link_libraries(tunebelt_audio_libs INTERFACE PkgConfig::TUNEBELT_FFMPEG
    PkgConfig::TUNEBELT_EBUR128 ${TUNEBELT_LAME_LIBRARY})
endif()
