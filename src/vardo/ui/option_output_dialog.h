#pragma once
// "オプション出力チェックダイアログ": four push toggles that switch option
// relays 7..10 by hand. Modeless; opening it again closes the one open.
#include <QDialog>
#include <QPointer>

#include <array>
#include <functional>

class QPushButton;

namespace vardo {
class Controller;
}

namespace vardo::ui {

class OptionOutputDialog : public QDialog {
    Q_OBJECT
public:
    // Ticks the matching relay box of an open command dialog.
    using RelayTick = std::function<void(int relay, bool on)>;

    OptionOutputDialog(Controller& controller, RelayTick tick, QWidget* parent = nullptr);

    // Closes a dialog that is open and opens a new one, a window of its own
    // that lives no longer than parent.
    static OptionOutputDialog* open(Controller& controller, RelayTick tick, QWidget* parent);
    static OptionOutputDialog* current() { return current_.data(); }

    QPushButton* toggle(int n) const { return toggles_[size_t(n)]; }

private:
    void flip(int n);

    Controller& controller_;
    RelayTick tick_;
    std::array<QPushButton*, 4> toggles_{};
    static QPointer<OptionOutputDialog> current_;
};

} // namespace vardo::ui
