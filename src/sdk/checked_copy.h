#pragma once
// A copy that fails instead of faulting when either side is not memory of
// this process that it may read or write.
#include <cstddef>

namespace vardo::sdk {

bool checkedCopy(void* destination, const void* source, std::size_t bytes);

} // namespace vardo::sdk
