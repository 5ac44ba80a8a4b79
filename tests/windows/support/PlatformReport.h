#pragma once

#include "tests/fakes/NarrowText.h"

#include <cstdio>
#include <string>

namespace velmora::testing {

// One line of what the platform answered, for the record of a test run under Wine.
inline void Report(const std::string& line) {
    std::printf("platform: %s\n", line.c_str());
}

} // namespace velmora::testing
