#pragma once
// Planwerk's frame window: menus, toolbar, status bar and the view over one
// LayoutEditor. It is also the editor's frontend: messages, questions,
// dialogs and pop-up menus come back here.
#include "planwerk/editor_frontend.h"
#include "planwerk/layout_editor.h"
#include "planwerk/ui/command_table.h"

#include <QMainWindow>
#include <QSize>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QDialog;
class QMenu;
class QToolBar;

namespace planwerk::ui {

class LayoutView;

inline constexpr char kFrameTitle[] = "VARDOレイアウトデータ作成プログラム";
inline constexpr char kAppName[] = "Planwerk";
inline constexpr char kIdleText[] = "レディ";
inline constexpr char kDocumentFailed[] = "ヘルプドキュメントの表示に失敗しました。";
// Border, menu, toolbar and status bar around the picture.
inline constexpr int kFrameExtraWidth = 19;
inline constexpr int kFrameExtraHeight = 103;

// Stand-ins for the modal windows, so tests can answer them. An empty
// function means the real dialog.
struct DialogHooks {
    std::function<void(const std::string&, common::Icon)> message;
    std::function<Answer(const std::string&, Buttons, Answer)> ask;
    std::function<bool(PointDialogValues&)> pointDialog;
    std::function<std::optional<std::string>(const std::string&)> chooseFolder;
    std::function<std::optional<std::string>()> chooseSaveFile;
    // Given the filled pop-up menu; returns the action to trigger, or none.
    std::function<QAction*(QMenu&)> popup;
    std::function<std::optional<std::string>()> chooseOpenFile;
    std::function<bool(ControlDialogState&)> controlDialog;
    std::function<bool(CrossingDialogState&)> crossingDialog;
    std::function<bool(SensorDialogState&)> sensorDialog;
    // Given the settings dialog before it runs; returns what exec would.
    std::function<int(QDialog&)> settingsDialog;
};

// The pop-up's items as actions; an item whose command the editor or the
// menu's rules refuse now is greyed.
void fillPopup(QMenu& menu, const std::vector<MenuItem>& items, const LayoutEditor& editor);

class MainFrame : public QMainWindow, public EditorFrontend {
    Q_OBJECT
public:
    explicit MainFrame(const std::string& programFolder, QWidget* parent = nullptr);
    ~MainFrame() override;

    // Reads the settings and the working folder; false when the editor
    // cannot start (the window is closed then).
    bool start();

    LayoutEditor& editor() { return *editor_; }
    LayoutView* view() const { return view_; }
    QToolBar* toolBar() const { return toolBar_; }
    QAction* action(MenuId id) const { return actions_.at(id); }
    // Carries out a menu command as a click would.
    void runCommand(MenuId id);
    // Enable and check marks from the editor's state now.
    void updateActions();
    EditorState state() const;

    DialogHooks hooks;

    // ---- EditorFrontend
    void showMessage(const std::string& text, common::Icon icon) override;
    Answer ask(const std::string& text, Buttons buttons, common::Icon icon,
               Answer defaultAnswer) override;
    bool pointDialog(PointDialogValues& values) override;
    std::optional<std::string> chooseFolder(const std::string& title,
                                            const std::string& initialFolder) override;
    std::optional<std::string> chooseSaveFile(const std::string& defaultExtension,
                                              const std::string& filter) override;
    void popupMenu(const std::vector<MenuItem>& items, int x, int y) override;
    void invertCircle(int x, int y, int radius) override;
    void invertRectangle(int x, int y, int width, int height) override;
    bool controlDialog(ControlDialogState& state) override;
    bool crossingDialog(CrossingDialogState& state) override;
    bool sensorDialog(SensorDialogState& state) override;
    std::optional<std::string> chooseOpenFile(const std::string& defaultExtension,
                                              const std::string& filter) override;
    ScreenSize screenSize() const override;
    void repaint() override;
    void closeWindow() override;

private:
    void buildMenus();
    void buildToolBar();
    // Fits the frame to the shown picture when its size changed, or always.
    void fitToPicture(bool always = false);
    // Which pictures the editor holds now, to see whether a command
    // opened or resized one.
    using PictureKeys = std::array<qint64, 4>;
    PictureKeys pictureKeys() const;
    void openSettings();
    void openDocumentation();
    void showAbout();

    std::unique_ptr<LayoutEditor> editor_;
    LayoutView* view_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    std::map<MenuId, QAction*> actions_;
    QSize fitted_;
};

} // namespace planwerk::ui
