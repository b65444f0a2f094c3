#pragma once
// `vardo-sdk watch`: prints each new Position and Status record.
#include "vardo_sdk.h"

#include <cstdio>
#include <string>

namespace vardo::sdk_tool {

// One output line for a record seen `ms` after the start.
std::string positionLine(const vardo_position_record& position, long long ms, bool json);
std::string statusLine(const vardo_status_record& status, long long ms, bool json);

// Watches until `seconds` passed (negative: until SIGINT/SIGTERM).
// 0, or 2 when a record could no longer be read.
int watch(vardo_sdk* sdk, bool json, double seconds, std::FILE* out);

} // namespace vardo::sdk_tool
