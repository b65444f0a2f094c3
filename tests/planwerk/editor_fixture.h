#pragma once
// A program folder under /tmp with Planwerk.ini, and an editor on it that
// records every message, question and dialog and answers from a script.
#include "planwerk/editor_frontend.h"
#include "planwerk/layout_editor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace planwerk::testing {

class RecordingFrontend : public EditorFrontend {
public:
    struct Question {
        std::string text;
        Answer defaultAnswer;
        Answer given;
    };

    void showMessage(const std::string& text, common::Icon icon) override;
    Answer ask(const std::string& text, Buttons buttons, common::Icon icon,
               Answer defaultAnswer) override;
    bool pointDialog(PointDialogValues& values) override;
    std::optional<std::string> chooseFolder(const std::string& title,
                                            const std::string& initialFolder) override;
    std::optional<std::string> chooseSaveFile(const std::string&, const std::string&) override;
    void popupMenu(const std::vector<MenuItem>& items, int x, int y) override;
    void invertCircle(int x, int y, int radius) override;
    void invertRectangle(int x, int y, int width, int height) override;
    void invertShape(int x, int y, const QImage& shape) override;
    bool controlDialog(ControlDialogState& state) override;
    bool crossingDialog(CrossingDialogState& state) override;
    bool sensorDialog(SensorDialogState& state) override;
    void repaint() override;
    void closeWindow() override { closed = true; }

    // Scripted answers, taken in order; an empty queue takes the default.
    std::deque<Answer> answers;
    // The point dialog: OK with these values, or Cancel when empty.
    std::deque<std::optional<PointDialogValues>> dialogs;
    std::optional<std::string> folder;
    // The marker dialogs: what the user does before OK (true) or Cancel
    // (false); unset: Cancel. Each dialog's initial state is recorded.
    std::function<bool(ControlDialogState&)> onControlDialog;
    std::function<bool(CrossingDialogState&)> onCrossingDialog;
    std::function<bool(SensorDialogState&)> onSensorDialog;
    std::vector<ControlDialogState> controlDialogs;
    std::vector<CrossingDialogState> crossingDialogs;
    std::vector<SensorDialogState> sensorDialogs;

    std::vector<std::string> messages;
    std::vector<Question> questions;
    std::vector<PointDialogValues> dialogsShown;
    std::vector<MenuItem> lastMenu;
    int menus = 0;
    int repaints = 0;
    // Inverting circles now on screen.
    std::vector<std::array<int, 3>> markers;
    // Inverting rectangles now on screen: x, y, width, height.
    std::vector<std::array<int, 4>> rectangles;
    // Inverting shapes now on screen.
    struct Shape {
        int x = 0;
        int y = 0;
        QImage image;
    };
    std::vector<Shape> shapes;
    // With `view` set, what a window would show: each repaint renders the
    // editor, and the inverting rectangles and shapes are applied to it.
    const LayoutEditor* view = nullptr;
    QImage screen;
    bool closed = false;
};

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A grey 640 x 480 picture as the working folder's picture.bmp.
void writeWorkingPicture(const std::string& programFolder);
// Planwerk.ini with the given lines under [EDIT] (nothing else set).
void writeIni(const std::string& programFolder, const std::string& editLines = "");
// Raw bytes into a file, creating its folder.
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool fileExists(const std::string& path);

class EditorTest : public ::testing::Test {
protected:
    EditorTest();
    // An editor on a folder with Planwerk.ini and a picture, initialised.
    void start(const std::string& editLines = "", bool picture = true);
    LayoutEditor& editor() { return *editor_; }
    std::string work(const std::string& name) const { return dir.file("planwerk/" + name); }
    std::string layout(const std::string& name) const { return dir.file("layout/" + name); }
    // Clicks (press and release) at each point in order.
    void clicks(std::initializer_list<Point> points);

    TempFolder dir;
    RecordingFrontend ui;
    std::unique_ptr<LayoutEditor> editor_;
};

} // namespace planwerk::testing
