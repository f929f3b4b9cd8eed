# Included from tests/CMakeLists.txt: runs every fuzz target for a few seconds
# over its seeds and regression inputs, so the targets never rot. Registered
# only when clang++ and its fuzzer runtime are there, and not in sanitizer
# builds (the targets carry their own sanitizers).
find_program(TUNEBELT_FUZZ_CXX NAMES clang++ clang++-14)
if(TUNEBELT_FUZZ_CXX AND NOT CMAKE_CXX_FLAGS MATCHES "fsanitize")
  set(probe ${CMAKE_BINARY_DIR}/fuzz-probe)
  file(WRITE ${probe}.cpp
    "#include <cstddef>\n#include <cstdint>\n"
    "extern \"C\" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }\n")
  execute_process(
    COMMAND ${TUNEBELT_FUZZ_CXX} -fsanitize=fuzzer,address,undefined ${probe}.cpp -o ${probe}
    RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
  if(probe_result EQUAL 0)
    add_test(NAME fuzz_targets_smoke
      COMMAND ${CMAKE_SOURCE_DIR}/fuzz/run.sh 3 ${CMAKE_BINARY_DIR}/fuzz)
    set_tests_properties(fuzz_targets_smoke PROPERTIES LABELS fuzz TIMEOUT 300
      ENVIRONMENT "FUZZ_CXX=${TUNEBELT_FUZZ_CXX};FUZZ_BUILD_TYPE=Smoke")
  else()
    message(STATUS "clang++ has no fuzzer runtime: the fuzz smoke test is left out")
  endif()
endif()
