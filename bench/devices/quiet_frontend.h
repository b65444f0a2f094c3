#pragma once
// A frontend for device benchmarks: quiet, but messages go to stderr.
#include "vardo/base/quiet_frontend.h"

#include <cstdio>

namespace vardo::bench {

class QuietFrontend : public vardo::QuietFrontend {
public:
    using vardo::QuietFrontend::showMessage;
    void showMessage(const std::string& text, vardo::Icon) override
    {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
};

} // namespace vardo::bench
