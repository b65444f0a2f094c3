#pragma once
// What Planwerk makes of a photograph: open, the automatic cut answered with
// OK, stretched to 640 x 480 and written as a 24-bit BMP. For a user who
// wants to see the result before tracing it.
#include <string>

namespace planwerk {

// False with the message to show in `error` when the photograph cannot be
// read or the result cannot be written.
bool convertPhotograph(const std::string& inPath, const std::string& outPath, std::string& error);

} // namespace planwerk
