#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kanimo::fuzz {

// A broken promise ends the run with a crash, which the fuzzer keeps as a finding.
inline void require(bool holds, const char* what, const std::string& detail = {}) {
    if (holds) return;
    std::fprintf(stderr, "broken: %s %s\n", what, detail.c_str());
    std::abort();
}

} // namespace kanimo::fuzz
