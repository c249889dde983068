// A small tally for the Windows clients: one line per case ("ok" or "FAIL",
// with what was seen), then the closing line "N passed, M failed" that the
// Wine check looks for.
#pragma once

#include <cstdio>
#include <string>

class CheckReport {
  public:
    bool check(const std::string& name, bool ok, const std::string& seen = {}) {
        if (ok) {
            ++passed_;
            std::printf("ok   %s%s%s\n", name.c_str(), seen.empty() ? "" : ": ", seen.c_str());
        } else {
            ++failed_;
            std::printf("FAIL %s%s%s\n", name.c_str(), seen.empty() ? "" : ": ", seen.c_str());
        }
        std::fflush(stdout);
        return ok;
    }
    // Closes the report; a count of cases other than the expected one is a
    // failure of its own (a case that stopped running, or one added unawares).
    int close(int expectedCases) {
        if (passed_ + failed_ != expectedCases)
            check("the expected number of cases ran", false,
                  std::to_string(passed_ + failed_) + " of " + std::to_string(expectedCases));
        std::printf("%d passed, %d failed\n", passed_, failed_);
        std::fflush(stdout);
        return failed_ == 0 ? 0 : 1;
    }

  private:
    int passed_ = 0;
    int failed_ = 0;
};
