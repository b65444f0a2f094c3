#pragma once
// The extended interface's part of vardo-run actions: its items, bringing
// the board up beside the USB I/O controller (sharing its port when both
// use one COM number), and printing every packet and text written, so the
// servo wiring can be checked before the first run.
#include "common/event.h"
#include "vardo/app/console_frontend.h"
#include "vardo/devices/extended_interface.h"
#include "vardo/devices/usb_controller.h"

#include <memory>
#include <string>
#include <vector>

namespace vardo::cli {

// Each packet (hex) or text the interface writes, on its own line.
void printExtendedTraffic(const std::string& line);

class ExtendedActions {
public:
    // Takes --turntable T, --reverse, --sensor I TIMEOUT, --servo-id N and
    // --factory-reset out of args; false with a message on a bad one.
    bool takeItems(std::vector<std::string>& args, std::string& error);
    // True for the words that start one of these items.
    static bool isItemWord(const std::string& arg);
    bool hasItems() const { return !items_.empty(); }

    // Takes over the interface the assembly brought up (when [SERVO]
    // COM_NO is set), waiting for each turn itself. False when it could not
    // be initialised, or items need it and it is not set up.
    bool start(ConsoleFrontend& frontend, devices::ExtendedInterface& ext,
               devices::UsbController& usb, const std::string& programFolder, double speed);
    // Carries out the items in order; false when one failed.
    bool run();
    void close();

private:
    struct Item {
        enum class Kind { Turntable, Reverse, Sensor, ServoId, FactoryReset } kind;
        int value = 0;
        int timeout = 0;
    };
    bool runItem(const Item& item);

    std::vector<Item> items_;
    ConsoleFrontend* frontend_ = nullptr;
    devices::ExtendedInterface* ext_ = nullptr;
    common::Event turned_;
};

} // namespace vardo::cli
