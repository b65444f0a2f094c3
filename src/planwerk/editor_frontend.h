#pragma once
// What the editor needs from its window: messages, questions, dialogs and
// repaints. The window implements it with widgets, planwerk-run on the
// console, tests with a recorder, so every rule of the editor runs headless.
#include "common/message_sink.h"
#include "planwerk/marker_dialogs.h"

#include <QImage>

#include <optional>
#include <string>
#include <vector>

namespace planwerk {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// The commands the editor carries out, from menus, pop-ups and scripts.
enum class Command {
    DeleteVertex,
    ToggleCurve,
    Platform,
    CreateTurnout,
    PointSettings,
    AppendSwitch,
    Undo,
    New,
    Save,
    Export,
    LoadLayout,
    OuterLoopMode,
    SidingsMode,
    MaskMode,
    ExceptionMode,
    ControlPointsMode,
    CrossingsMode,
    SensorsMode,
    TrainPictureMode,
    Exit,
    // Regions and markers.
    AddRect,
    AddBand,
    DeleteRegion,
    AddControl,
    AddCrossing,
    AddSensor,
    DeleteMarker,
    ControlSettings,
    CrossingSettings,
    SensorSettings,
    // Pictures.
    OpenLayoutPicture,
    OpenCollagePicture,
    OpenTrainPicture,
    Resize,
    Rotate,
    Compose,
};

struct ScreenSize {
    int width = 1920;
    int height = 1080;
};

struct MenuItem {
    std::string text;
    Command command;
    bool enabled = true;
    bool checked = false;
};

// The point dialog: direction 0 forward, 1 backward. The terminal box is
// shown but fixed; the dialog hands back what it was given.
struct PointDialogValues {
    int direction = 1;
    bool terminal = false;
    bool linked = false;
};

class EditorFrontend : public common::MessageSink {
public:
    // A question; the default button is what a bare Enter would give.
    virtual Answer ask(const std::string& text, Buttons buttons, common::Icon icon,
                       Answer defaultAnswer) = 0;
    // Modal point dialog; false on Cancel. Values are changed only on OK.
    virtual bool pointDialog(PointDialogValues& values) = 0;
    // Folder browser; nothing on cancel.
    virtual std::optional<std::string> chooseFolder(const std::string& title,
                                                    const std::string& initialFolder) = 0;
    // Save-file dialog; nothing on cancel.
    virtual std::optional<std::string> chooseSaveFile(const std::string& defaultExtension,
                                                      const std::string& filter) = 0;
    // Pop-up menu at a picture position. The choice comes back as a command.
    virtual void popupMenu(const std::vector<MenuItem>& items, int x, int y) = 0;
    // Draws a circle with an inverting pen: drawing it again erases it.
    virtual void invertCircle(int x, int y, int radius) = 0;
    // The same for a rectangle outline (a whole crossing being dragged).
    virtual void invertRectangle(int /*x*/, int /*y*/, int /*width*/, int /*height*/) {}
    // The same for a shape: every opaque pixel of `shape`, with its top-left
    // corner at (x, y), is inverted (the rails over a collage being trimmed).
    virtual void invertShape(int /*x*/, int /*y*/, const QImage& /*shape*/) {}
    // The marker settings dialogs: the state is edited in place; false on
    // Cancel, and the editor then ignores the state.
    virtual bool controlDialog(ControlDialogState& /*state*/) { return false; }
    virtual bool crossingDialog(CrossingDialogState& /*state*/) { return false; }
    virtual bool sensorDialog(SensorDialogState& /*state*/) { return false; }
    // Open-file dialog; nothing on cancel.
    virtual std::optional<std::string> chooseOpenFile(const std::string& /*defaultExtension*/,
                                                      const std::string& /*filter*/)
    {
        return std::nullopt;
    }
    // The screen a freshly opened picture must fit on.
    virtual ScreenSize screenSize() const { return {}; }
    virtual void repaint() = 0;
    // Asks the frame window to close.
    virtual void closeWindow() = 0;
};

} // namespace planwerk
