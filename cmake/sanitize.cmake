# Builds everything, the run-time loaded library included, with AddressSanitizer
# and UndefinedBehaviorSanitizer. Any undefined behaviour stops the program, so a
# test that reaches it fails instead of printing a warning that nobody reads.
# Use a build folder of its own: scripts/run-sanitized-tests.
option(SONDREL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(SONDREL_SANITIZE)
  set(sondrel_sanitize_flags -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  add_compile_options(${sondrel_sanitize_flags})
  add_link_options(${sondrel_sanitize_flags})
endif()
