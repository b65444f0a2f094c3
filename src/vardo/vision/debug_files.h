#pragma once
// The two debug outputs of detection: the position log in the program
// folder and frame dumps. A file that cannot be written is skipped.
#include <cstdint>
#include <span>
#include <string>

namespace vardo::vision {

constexpr const char* kPositionLogName = "debug_position.log";

// Appends "TrainPosition=x,y".
void appendPositionLog(const std::string& programFolder, int x, int y);
// Starts the log afresh with one line.
void recreatePositionLog(const std::string& programFolder, int x, int y);

// Writes folder/NNNNNN.bmp (six digits): a 24-bit bottom-up frame.
bool writeFrameDump(const std::string& folder, int number, std::span<const uint8_t> frame,
                    int width, int height);

} // namespace vardo::vision
