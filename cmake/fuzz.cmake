# Builds the fuzz targets for libFuzzer (clang only): every object gets the
# fuzzer's coverage hooks and the address and undefined-behaviour checks, and
# the targets link libFuzzer's own main. Without this option the same targets
# are built with a main that replays their corpus as an ordinary test.
# Use a build folder of its own: scripts/fuzz.
option(SONDREL_FUZZ "Build the fuzz targets for libFuzzer (needs clang)" OFF)
if(SONDREL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SONDREL_FUZZ needs clang (CXX=clang++)")
  endif()
  # -O1 with line tables, as libFuzzer's own instructions build: quicker to
  # compile, and a crash's stack still names file and line.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined -O1 -g1)
  add_link_options(-fsanitize=address,undefined)
endif()
