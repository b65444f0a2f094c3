// boardsim: an emulated relay board on a pseudo-terminal (with --servo
// also the extended interface board and its servos). The first line
// of output is the device to connect to; then one line per command.
// --drop-after N pulls the cable after N messages; with --link the line
// is reached through a link that vanishes with it and, with
// --return-after MS, comes back pointing at a new line.
#include "board_emulator.h"

#include <csignal>
#include <cstdio>

namespace {

boardsim::BoardEmulator* running = nullptr;

void onSignal(int)
{
    if (running)
        running->requestStop();
}

} // namespace

int main(int argc, char** argv)
{
    boardsim::Options options;
    std::string error;
    if (!boardsim::parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr,
                     "boardsim: %s\nusage: boardsim [--echo] [--silent-after N] [--drop-after N] "
                     "[--json] [--relay-id CHARS]\n"
                     "                [--link PATH [--return-after MS]]\n"
                     "                [--servo [--sensor-after MS | --sensor-never]]\n",
                     error.c_str());
        return 2;
    }
    boardsim::BoardEmulator board(options);
    if (!board.open()) {
        std::perror("boardsim: cannot open a pseudo-terminal");
        return 1;
    }
    std::printf("%s\n", board.devicePath().c_str());
    std::fflush(stdout);
    board.setLogSink([](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    });
    running = &board;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    board.serve();
    running = nullptr;
    return 0;
}
