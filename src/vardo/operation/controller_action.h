#pragma once
// The one vocabulary for acting on the layout. Program execution, control
// points, the controller panel, speech commands and outside programs all
// drive the train, the points and the turntable power through
// performAction, which keeps the controller state, the layout model's
// points, the panel and the devices in step.
#include "vardo/base/frontend.h"
#include "vardo/base/controller_codes.h"
#include "vardo/base/operation_seams.h"

#include <atomic>
#include <functional>
#include <mutex>

namespace vardo {

namespace layout {
class LayoutModel;
}

class Controller {
public:
    Controller(Frontend& frontend, layout::LayoutModel* model);

    void setDevices(ControllerDevices* devices) { devices_ = devices; }
    void setPublisher(StatusPublisher* publisher) { publisher_ = publisher; }
    void setObserver(OperationObserver* observer) { observer_ = observer; }
    // Switches a point in the layout model (and draws it where a picture is
    // shown). Called with trackMutex() held. The default switches the links.
    void setPointSetter(std::function<void(int k, bool branch)> setter);
    // Runs when the train starts running (actions 1 and 2), after the state
    // changed; the argument is the new direction.
    void setTrainStartHook(std::function<void(bool backward)> hook);
    // Operates what a relay drives besides the board (crossings).
    void setRelayHook(std::function<void(int relay, bool on)> hook);

    // Updates the state bit, the layout model for point codes, the panel,
    // the board (when send is set and no simulation runs) and the outside
    // program's status. False for an unknown code or a failed send.
    bool performAction(int code, bool send = true);
    // Option relay 7..10; the board only outside simulation.
    bool setRelay(int relay, bool on);
    // Sets a point in the layout model only (a coupled point beyond the
    // action codes).
    void setPointInModel(int k, bool branch);

    int state() const { return state_.load(); }
    bool running() const { return state_.load() & state::Running; }
    bool backward() const { return state_.load() & state::Backward; }
    int optionRelayBits() const { return relayBits_.load(); }
    void clearLamp();
    void publishStatus();

    std::atomic<bool> simulation{false};
    // The boards still get actions and relays while the train is simulated
    // (a bench test of the boards without a camera).
    std::atomic<bool> boardsInSimulation{false};
    // On a turntable layout actions 9 and 10 switch the turntable power.
    std::atomic<bool> turntableLayout{false};

    // Held while point links change or are followed (the simulation walks
    // them on its own thread).
    std::mutex& trackMutex() { return trackMutex_; }
    layout::LayoutModel* model() const { return model_; }
    Frontend& frontend() { return frontend_; }
    OperationObserver* observer() const { return observer_; }

private:
    static int stateAfter(int bits, int code);
    bool toBoards() const;
    void switchPoint(int code);

    Frontend& frontend_;
    layout::LayoutModel* model_;
    ControllerDevices* devices_ = nullptr;
    StatusPublisher* publisher_ = nullptr;
    OperationObserver* observer_ = nullptr;
    std::function<void(int, bool)> pointSetter_;
    std::function<void(bool)> trainStartHook_;
    std::function<void(int, bool)> relayHook_;
    std::atomic<int> state_{0};
    std::atomic<int> relayBits_{0};
    std::mutex trackMutex_;
};

} // namespace vardo
