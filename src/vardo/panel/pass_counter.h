#pragma once
// The pass counter of the parameter dialog: while the dialog is open,
// every analysed frame in which the train lies within the position range
// of the check point adds one. Written by the streaming thread, read by
// the dialog.
#include <atomic>

namespace vardo::panel {

class PassCounter {
public:
    // The dialog opens (count back to 0) and closes.
    void open();
    void close();
    bool isOpen() const { return open_.load(); }

    // Called for each analysed frame (any thread).
    void frameAnalysed(int trainX, int trainY, int checkX, int checkY, int range);
    // Detection found the train at the check point (any thread).
    void passed();
    int count() const { return count_.load(); }

private:
    std::atomic<bool> open_{false};
    std::atomic<int> count_{0};
};

} // namespace vardo::panel
