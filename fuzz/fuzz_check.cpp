#include "fuzz_input.h"

#include <cstdio>
#include <cstdlib>

namespace korvane::fuzzing {

void fail(const std::string& what) {
    std::fprintf(stderr, "property failed: %s\n", what.c_str());
    std::abort();
}

} // namespace korvane::fuzzing
