#pragma once
// Vardo's main window: the frame with its menus, toolbar and status bar,
// and the view that shows the picture of the display mode. The frame is a
// thin layer over Session: it turns menu commands into session calls,
// opens the dialogs, and asks the menu rules what is enabled and checked.
#include "vardo/ui/dialogs.h"
#include "vardo/ui/outside_display.h"
#include "vardo/ui/qt_frontend.h"
#include "vardo/ui/session.h"

#include <QMainWindow>
#include <QWidget>
#include <map>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace vardo::ui {

class CMainFrame;
class PanelWidget;
class DialogCommandEditor;
class ProgramActions;
class ProgramView;

class MainView : public QWidget {
    Q_OBJECT
public:
    MainView(CMainFrame& frame, Session& session);

    bool startAttempted() const { return startAttempted_; }
    // The display popup (right button outside the program display).
    QMenu* buildDisplayPopup();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CMainFrame& frame_;
    Session& session_;
    bool startAttempted_ = false;
};

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // The session is made with the program folder; the command line is
    // read on start-up.
    CMainFrame(std::string programFolder, std::string commandLine,
               std::unique_ptr<vision::VideoBackend> backend = nullptr);
    ~CMainFrame() override;

    Session& session() { return *session_; }
    QtFrontend& frontend() { return frontend_; }
    MainView& view() { return *view_; }

    // Every menu command and posted command comes here.
    void onCommand(int id);
    void updateActions();
    QAction* action(int id) const;
    // The one status pane: the message text. (No lock-key panes: the
    // keyboard's lock states cannot be read portably, and fixed labels
    // would mislead.)
    QLabel* statusPane() const { return statusText_; }
    QToolBar* toolBar() const { return toolBar_; }
    QMenu* cameraMenu() const { return cameraMenu_; }

    // Start-up from the view's first paint.
    void startUp();
    // The frame resized for a view of this size.
    void applyViewSize(QSize view);
    bool exiting() const { return exitApproved_; }

    // Seams for tests: the file to save a calibration to, the video file
    // to open; a dialog asks when none is set.
    std::function<std::string()> calibrationPathChooser;
    std::function<std::string()> videoFileChooser;

    // ---- program editor
    ProgramView& programView() { return *programView_; }
    ProgramActions& programActions() { return *programActions_; }
    DialogCommandEditor& commandDialogs() { return *commandDialogs_; }

    // The train display dialog's outcome: OK takes and writes the keys;
    // Cancel passes the keys from before and writes nothing.
    void applyTrainDisplay(const TrainDisplayKeys& keys, bool write);

    // ---- controller panel: null until start-up has loaded a skin.
    PanelWidget* panelWidget() const { return panelWidget_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    QAction* makeAction(int id, const char* text);
    void fillCameraMenu();
    void exitCommand();
    void openVideoFile();
    void cameraFormat();
    void trainDisplaySettings();
    void folderRunSettings();
    void soundSettings();
    void servoSettings();
    void startCalibration();
    void openAngleCorrection();
    void showEmergencyStop();
    void showAbout();
    void quitNow();
    std::string chooseCalibrationPath();
    // ---- controller panel and its dialogs
    void showPanel();
    void placePanel();
    void parameterSettings();
    void optionOutput();
    // ---- program editor
    void buildProgramEditor();
    void programEditorStarted();
    void syncProgramDisplay(const UiState& state);
    bool programCommand(int id);
    bool chooseSound(int& number, int& count);

    QtFrontend frontend_;
    std::unique_ptr<CalibrationProgressDialog> progress_;
    std::unique_ptr<ProgramFileChooser> fileChooser_;
    std::unique_ptr<DialogCommandEditor> commandDialogs_;
    ProgramView* programView_ = nullptr;
    ProgramActions* programActions_ = nullptr;
    std::unique_ptr<Session> session_;
    // After the session: its worker ends before the session goes.
    std::unique_ptr<OutsideDisplay> outsideDisplay_;
    MainView* view_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QMenu* cameraMenu_ = nullptr;
    std::map<int, QAction*> actions_;
    QLabel* statusText_ = nullptr;
    QPointer<AngleDialog> angleDialog_;
    std::string commandLine_;
    bool exitApproved_ = false;
    // ---- controller panel
    PanelWidget* panelWidget_ = nullptr;
};

} // namespace vardo::ui
