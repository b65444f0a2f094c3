#pragma once
// The command texts of the relay board. Every command is ASCII and ends
// with a carriage return.
#include <string>

namespace vardo::devices {

struct UsbSettings;

inline const std::string kHelloCommand = "AT\r";

// Both relays named by a and b: "PCR<a><onA>R<b><onB>\r".
std::string relayPairCommand(char a, bool onA, char b, bool onB);
// One relay: "PCR<c><0|1>\r".
std::string relayCommand(char relay, bool on);
// A pulse of tenths of a second on one relay: "PCT<c><nnn>\r".
std::string pulseCommand(char relay, int tenths);

// What the board is told for a controller action (codes 0..10), given
// the settings, the controller skin and whether point k + 1 drives a
// crossing barrier. Empty for codes that send nothing.
struct ActionCommand {
    std::string text;
    int point = -1; // the point index k of a pulse, else -1
};
ActionCommand actionCommand(int code, const UsbSettings& settings, int skin, bool drivesBarrier);

// The relay that an action switches on or off instead of pulsing a point
// output (actions 9 and 10 on the relay skin), else 0.
int actionRelay(int code, int skin);

// Relay of a pulse: point k straight is relay 2k + 3, branch 2k + 4,
// that is relay number = code for codes 3..10.
inline int pulseRelay(int code) { return code; }
inline int pulsePoint(int code) { return (code - 3) / 2; }

// Whether the board's answer holds "OK" at bytes 0..1 or 2..3 (two echo
// bytes may come first).
bool isOkReply(const std::string& reply);

} // namespace vardo::devices
