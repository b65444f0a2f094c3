#pragma once
// The controller panel without its window: the loaded skin, what the
// cursor is over, the jog, and what a click on each button does. The
// widget feeds it mouse positions in panel coordinates and paints what it
// holds; tests drive it the same way without a display.
#include "vardo/base/frontend.h"
#include "vardo/base/settings.h"
#include "vardo/panel/skin.h"

#include <QPoint>
#include <QSize>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

namespace vardo {
class Controller;
class SpeedControl;
class Operation;
class FolderRun;
class ExtendedPort;
class Program;
} // namespace vardo

namespace vardo::panel {

// What the panel reaches besides the controller; absent parts count as
// "not there" (no program, not calibrated, no camera ...).
struct PanelServices {
    SpeedControl* speed = nullptr;
    Operation* operation = nullptr;
    const Program* program = nullptr;
    FolderRun* folderRun = nullptr;
    ExtendedPort* extended = nullptr;
    std::function<bool()> controllerConnected; // USB I/O controller or extended interface
    std::function<bool()> calibrated;
    std::function<bool()> cameraPicture;
    // The turntable was set to a track: redraw it on the layout display.
    std::function<void(int track, bool reversed)> turntableChanged;
};

enum class PanelCursor { None, Hand, Move, JogGrab, Lever };

// Widths the narrow skins lose per missing point button.
inline constexpr int kPointButtonWidth = 41;

// Panel size of a skin after the width rules for a layout with points, and,
// without a turntable, without a band of turntable buttons at the bottom.
QSize panelSize(const Skin& skin, int points, bool turntable);
// The top of the turntable buttons when they form a band below everything
// else the panel draws, or -1.
int turntableBandTop(const Skin& skin);

class ControllerPanel {
public:
    ControllerPanel(Controller& controller, Frontend& frontend, PanelServices services = {});

    // Loads skin n of the program folder. On failure the message is shown
    // and the panel keeps the skin it had.
    bool load(const std::string& programFolder, int number, int speedServo);
    bool loadFolder(const std::string& folder, int number, int speedServo);
    // The skin menu: ends automatic operation (or stops the train), loads
    // skin n and makes it the choice in option.ini. A skin that cannot be
    // loaded leaves the panel and the choice as they were.
    bool changeSkin(const std::string& programFolder, int number, int speedServo,
                    const Settings& settings);
    bool loaded() const { return skin_.positionCount > 0; }
    const Skin& skin() const { return skin_; }
    QSize size() const;

    // ---- mouse, in panel coordinates
    void mouseMove(QPoint p);
    void mouseDown(QPoint p);
    void mouseUp(QPoint p);
    PanelCursor cursor() const { return cursor_; }
    int hoverButton() const { return hover_; }
    bool dragging() const { return dragging_; }
    bool jogGrabbed() const { return jogGrabbed_.load(); }

    // The button whose picture holds p and that reacts now, or -1.
    int buttonAt(QPoint p) const;
    bool jogUsable() const;
    bool overHandle(QPoint p) const;
    // What releasing the mouse over button b does.
    void pressButton(int b);

    // Sets the dial (or lever) to a speed changed elsewhere; any thread.
    // The dial the user holds stays where the hand put it.
    void showSpeed(double speed);
    double jogAngle() const { return jogAngle_.load(); }
    double speed() const;
    // Bit 0 reversal, bit t + 1 track t (0-based).
    int turntableWord() const { return turntableWord_.load(); }
    bool exitPressed() const { return exitPressed_; }
    int pointCount() const;
    bool hasTurntable() const;

private:
    void startInPresentDirection();
    void pressPoint(int k);
    void pressAutoButton();
    void pressTurntable(int b);
    void followJog(QPoint p);
    void setSpeed(double speed);
    bool automaticRunning() const;
    bool reacts(int b) const;

    Controller& controller_;
    Frontend& frontend_;
    PanelServices services_;
    // Loading writes the skin on the GUI thread while showSpeed may read
    // its geometry on another.
    mutable std::mutex skinMutex_;
    Skin skin_;
    int hover_ = -1;
    PanelCursor cursor_ = PanelCursor::None;
    bool dragging_ = false;
    std::atomic<bool> jogGrabbed_{false};
    bool buttonDown_ = false;
    bool exitPressed_ = false;
    QPointF grabOffset_;
    std::atomic<double> jogAngle_{kDefaultRestAngle};
    std::atomic<double> localSpeed_{0.0};
    std::atomic<int> turntableWord_{0};
};

} // namespace vardo::panel
