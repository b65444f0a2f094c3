#include "vardo/ui/main_frame.h"

#include "vardo/base/command_ids.h"
#include "vardo/app/device_components.h"
#include "vardo/app/documentation.h"
#include "vardo/ui/clipboard_reader.h"
#include "vardo/ui/dialog_command_editor.h"
#include "vardo/ui/program_actions.h"
#include "vardo/ui/program_view.h"
#include "vardo/app/speech_component.h"
#include "vardo/ui/folder_dialog.h"
#include "vardo/ui/servo_dialog.h"
#include "vardo/ui/sound_dialog.h"
#include "vardo/ui/speech_dialog.h"
#include "vardo/ui/menu_table.h"
#include "vardo/ui/option_output_dialog.h"
#include "vardo/ui/panel_widget.h"
#include "vardo/ui/parameter_dialog.h"
#include "vardo/ui/queued_call.h"
#include "vardo/ui/toolbar_icons.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

namespace vardo::ui {

namespace msg = common::msg;

namespace {

class QtProgramFileChooser : public ProgramFileChooser {
public:
    explicit QtProgramFileChooser(QWidget* owner) : owner_(owner) {}
    bool chooseSavePath(const std::string& startPath, std::string& chosen) override
    {
        QFileDialog dialog(owner_, QString(), QString::fromStdString(startPath),
                           fileFilter(msg::ProgramFileFilter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix("vpr");
        return take(dialog, chosen);
    }
    bool chooseOpenPath(const std::string& startFolder, std::string& chosen) override
    {
        QFileDialog dialog(owner_, QString(), QString::fromStdString(startFolder),
                           fileFilter(msg::ProgramFileFilter));
        dialog.setFileMode(QFileDialog::ExistingFile);
        return take(dialog, chosen);
    }

private:
    static bool take(QFileDialog& dialog, std::string& chosen)
    {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        chosen = dialog.selectedFiles().first().toStdString();
        return true;
    }
    QWidget* owner_;
};

} // namespace

// ---------------------------------------------------------------- MainView

MainView::MainView(CMainFrame& frame, Session& session)
    : QWidget(&frame), frame_(frame), session_(session)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    setMouseTracking(false);
    auto* simulationTimer = new QTimer(this);
    connect(simulationTimer, &QTimer::timeout, this, [this] {
        if (session_.drawSimulation())
            update();
    });
    simulationTimer->start(40);
}

void MainView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!startAttempted_) {
        // Start-up opens dialogs of its own: it runs right after this paint.
        startAttempted_ = true;
        QTimer::singleShot(0, &frame_, [frame = &frame_] { frame->startUp(); });
        return;
    }
    switch (session_.display().mode()) {
    case DisplayMode::Layout: {
        layout::LayoutPictures& pictures = session_.layout().pictures();
        std::lock_guard lock(pictures.mutex());
        painter.drawImage(0, 0, pictures.display());
        break;
    }
    case DisplayMode::ProgramEditor:
        break; // the program display lies over the view
    case DisplayMode::Live:
    case DisplayMode::Difference:
        session_.frames().withFront([&](const QImage& image) { painter.drawImage(0, 0, image); });
        break;
    }
}

QMenu* MainView::buildDisplayPopup()
{
    auto* menu = new QMenu(this);
    for (const MenuItem& item : displayPopupItems()) {
        if (item.id == kSeparator) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(QString::fromUtf8(item.text));
        const UiState state = session_.uiState();
        a->setEnabled(commandEnabled(item.id, state));
        a->setCheckable(true);
        a->setChecked(commandChecked(item.id, state));
        const int id = item.id;
        connect(a, &QAction::triggered, &frame_, [this, id] { frame_.onCommand(id); });
    }
    return menu;
}

void MainView::mousePressEvent(QMouseEvent* event)
{
    if (session_.display().mode() == DisplayMode::ProgramEditor)
        return;
    if (event->button() == Qt::LeftButton && session_.markingActive()) {
        session_.angleMouse(vision::MouseKind::LeftDown, event->position().toPoint());
    } else if (event->button() == Qt::RightButton && session_.debugMenu()) {
        QMenu* menu = buildDisplayPopup();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPosition().toPoint());
    }
}

void MainView::mouseMoveEvent(QMouseEvent* event)
{
    if (session_.display().mode() != DisplayMode::ProgramEditor && session_.markingActive())
        session_.angleMouse(vision::MouseKind::Move, event->position().toPoint());
}

void MainView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (session_.display().mode() != DisplayMode::ProgramEditor && session_.markingActive())
        session_.angleMouse(vision::MouseKind::LeftUp, event->position().toPoint());
}

// -------------------------------------------------------------- CMainFrame

CMainFrame::CMainFrame(std::string programFolder, std::string commandLine,
                       std::unique_ptr<vision::VideoBackend> backend)
    : commandLine_(std::move(commandLine))
{
    setWindowTitle(uiText(msg::AppTitle));
    // Only the exit command ends the program.
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    frontend_.setWindow(this);
    frontend_.setQuitHandler([this] { quitNow(); });

    progress_ = std::make_unique<CalibrationProgressDialog>(
        this, [this] { session_->abortCalibration(); });
    fileChooser_ = std::make_unique<QtProgramFileChooser>(this);
    SessionParts parts;
    parts.progress = progress_.get();
    parts.fileChooser = fileChooser_.get();
    // ---- program editor: the command dialogs behind the editing commands
    commandDialogs_ = std::make_unique<DialogCommandEditor>(this);
    parts.commandEditor = commandDialogs_.get();
    // ---- end program editor
    parts.videoBackend = std::move(backend);
    parts.factories = deviceFactories();
    // Command 12 of an outside program runs the file named on the clipboard;
    // command 102 has the view drawn into the outside program's X window.
    parts.sdk.clipboardText = clipboardReader();
    outsideDisplay_ = std::make_unique<OutsideDisplay>(
        [this](QImage& picture) { return OutsideDisplay::viewPicture(*session_, picture); },
        [this](bool) {
            postTo(this, [this] {
                showNormal();
                raise();
            });
        });
    parts.sdk.attachWindow = [display = outsideDisplay_.get()](std::uint32_t window) {
        display->attach(window);
    };
    // Speech listens to the microphone and shows its phrases in its own window.
    parts.factories.speech =
        speechFactory({}, [this](SpeechSession& session, const Settings& settings) {
            return std::unique_ptr<SpeechWindow>(
                std::make_unique<SpeechDialog>(session, settings, this));
        });
    SessionHooks hooks;
    hooks.frameReady = [this] {
        if (view_)
            postTo(view_, [v = view_] { v->update(); });
    };
    hooks.resizeView = [this](QSize size) { applyViewSize(size); };
    hooks.stateChanged = [this] { updateActions(); };
    hooks.frameSizeChanged = [this] {
        postTo(this, [this] { applyViewSize(session_->viewSize()); });
    };
    session_ = std::make_unique<Session>(frontend_, std::move(programFolder), std::move(parts),
                                         std::move(hooks));
    // Posted commands reach the window's dispatcher, which hands the
    // core's own to the assembly.
    frontend_.setCommandHandler([this](int id) { onCommand(id); });
    frontend_.setStatusSink([this](const QString& text) {
        if (statusText_)
            statusText_->setText(text);
    });
    frontend_.setProgramRefresh([this] {
        if (programView_)
            programView_->update();
    });

    view_ = new MainView(*this, *session_);
    setCentralWidget(view_);
    buildProgramEditor();
    buildMenus();
    buildToolBar();
    buildStatusBar();
    applyViewSize(kDefaultCameraSize);

    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, [this] { updateActions(); });
    idle->start(250);
}

CMainFrame::~CMainFrame()
{
    // Workers the shutdown waits for must not wait for this window.
    frontend_.close();
    // The view's RailSystem side goes down before any widget.
    session_->shutdown();
}

QAction* CMainFrame::makeAction(int id, const char* text)
{
    auto it = actions_.find(id);
    if (it != actions_.end())
        return it->second;
    auto* a = new QAction(QString::fromUtf8(text), this);
    a->setCheckable(commandCheckable(id));
    const QImage icon = toolbarIcon(id);
    if (!icon.isNull())
        a->setIcon(QIcon(QPixmap::fromImage(icon)));
    connect(a, &QAction::triggered, this, [this, id] { onCommand(id); });
    actions_[id] = a;
    return a;
}

QAction* CMainFrame::action(int id) const
{
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::buildMenus()
{
    for (const MenuDefinition& def : mainMenus()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(def.title));
        connect(menu, &QMenu::aboutToShow, this, [this] { updateActions(); });
        for (const MenuItem& item : def.items) {
            if (item.id == kSeparator) {
                menu->addSeparator();
            } else if (item.id == kCameraSubmenu) {
                cameraMenu_ = menu->addMenu(uiText(msg::CameraMenu));
                connect(cameraMenu_, &QMenu::aboutToShow, this, [this] { fillCameraMenu(); });
                fillCameraMenu();
            } else if (item.id == kSkinSubmenu) {
                QMenu* skins = menu->addMenu(QString::fromUtf8(item.text));
                for (const MenuItem& skin : skinItems())
                    skins->addAction(makeAction(skin.id, skin.text));
            } else {
                menu->addAction(makeAction(item.id, item.text));
            }
        }
    }
}

void CMainFrame::fillCameraMenu()
{
    cameraMenu_->clear();
    for (const vision::CameraMenuEntry& entry : session_->video().cameraMenu()) {
        const QString text = QString::fromStdString(entry.text);
        if (entry.commandId == 0) {
            // Listed, with no command behind it.
            cameraMenu_->addAction(text)->setEnabled(false);
            continue;
        }
        QAction* a = makeAction(entry.commandId, entry.text.c_str());
        a->setText(text);
        cameraMenu_->addAction(a);
    }
    updateActions();
}

void CMainFrame::buildToolBar()
{
    toolBar_ = addToolBar(QString::fromUtf8(menuText(cmd::ToolBar)));
    toolBar_->setIconSize(QSize(kIconWidth, kIconHeight));
    toolBar_->setMovable(false);
    for (int id : toolbarCommands()) {
        if (id == kSeparator)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(makeAction(id, menuText(id)));
    }
}

void CMainFrame::buildStatusBar()
{
    statusText_ = new QLabel(uiText(msg::StatusReady), this);
    statusBar()->addWidget(statusText_, 1);
}

void CMainFrame::updateActions()
{
    const UiState state = session_->uiState();
    UiState s = state;
    s.toolBarShown = toolBar_ && toolBar_->isVisible();
    s.statusBarShown = statusBar()->isVisible();
    for (auto& [id, a] : actions_) {
        if (a->parent() == programActions_)
            continue; // enabled by the editing rules below
        a->setEnabled(commandEnabled(id, s));
        if (a->isCheckable())
            a->setChecked(commandChecked(id, s));
    }
    syncProgramDisplay(s);
    if (!session_->editor().statusText().empty())
        statusText_->setText(QString::fromStdString(session_->editor().statusText()));
}

void CMainFrame::applyViewSize(QSize view)
{
    view_->setMinimumSize(view);
    // The outer size rule; the chrome of this platform is taken off first.
    const QSize chrome = frameGeometry().size() - size();
    resize(frameSizeForView(view) - chrome);
    // ---- controller panel: it keeps to the view's corner until the user
    // drags it elsewhere.
    if (panelWidget_ && !panelWidget_->movedByUser())
        placePanel();
}

void CMainFrame::startUp()
{
    const StartupOutcome outcome = session_->start(commandLine_);
    if (outcome == StartupOutcome::Started) {
        programEditorStarted();
        applyViewSize(session_->viewSize());
        showPanel();
    }
    updateActions();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (exitApproved_)
        event->accept();
    else
        event->ignore();
}

void CMainFrame::quitNow()
{
    exitApproved_ = true;
    close();
    QCoreApplication::quit();
}

std::string CMainFrame::chooseCalibrationPath()
{
    if (calibrationPathChooser)
        return calibrationPathChooser();
    QFileDialog dialog(this, QString(),
                       QString::fromStdString(
                           session_->settings().getString(SettingId::CalibrationFilePath)),
                       fileFilter(msg::CalibrationFileFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("clb");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toStdString();
}

void CMainFrame::exitCommand()
{
    if (!session_->confirmExit([this] { return chooseCalibrationPath(); }))
        return;
    quitNow();
}

void CMainFrame::onCommand(int id)
{
    Session& s = *session_;
    // ---- program editor: its actions follow the editing rules
    if (programCommand(id)) {
        view_->update();
        updateActions();
        return;
    }
    // ---- end program editor
    if (!commandEnabled(id, s.uiState()) && id != cmd::EmergencyStopNotice)
        return;
    // Simulation, folder run, automatic operation, toggles and cameras.
    if (s.coreCommand(id)) {
        // A skin command may have loaded another skin: new size and mask.
        if (panelWidget_ &&
            (id == cmd::Skin1 || id == cmd::Skin2 || id == cmd::Skin3 || id == cmd::Skin4))
            panelWidget_->refresh();
        applyViewSize(s.viewSize());
        view_->update();
        updateActions();
        return;
    }
    switch (id) {
    case cmd::Exit: exitCommand(); return;
    case cmd::About: showAbout(); return;
    case cmd::Documentation:
        showDocumentation(frontend_, s.rail().programFolder(), [](const std::string& target) {
            const QString t = QString::fromStdString(target);
            return QDesktopServices::openUrl(t.startsWith("http") ? QUrl(t) : QUrl::fromLocalFile(t));
        });
        return;
    case cmd::ToolBar: toolBar_->setVisible(!toolBar_->isVisible()); break;
    case cmd::StatusBar: statusBar()->setVisible(!statusBar()->isVisible()); break;
    case cmd::CalibrationStart: startCalibration(); break;
    case cmd::AngleCorrection: openAngleCorrection(); break;
    case cmd::CalibrationSave: s.saveCalibration(chooseCalibrationPath()); break;
    case cmd::OpenVideoFile: openVideoFile(); break;
    case cmd::CameraFormat: cameraFormat(); break;
    case cmd::TrainDisplaySettings: trainDisplaySettings(); break;
    case cmd::FolderRunSettings: folderRunSettings(); break;
    case cmd::SoundSettings: soundSettings(); break;
    case cmd::ExtendedInterfaceSettings: servoSettings(); break;
    case cmd::EmergencyStopNotice: showEmergencyStop(); break;
    case cmd::OpenProgram: s.editor().open(false); break;
    case cmd::SampleProgram: s.editor().open(true); break;
    case cmd::SaveProgram: s.editor().save(); break;
    case cmd::NewProgram: s.editor().newProgram(); break;
    case cmd::ParameterSettings: parameterSettings(); break;
    case cmd::OptionOutput: optionOutput(); break;
    default: {
        DisplayMode mode;
        DisplaySubMode sub;
        if (id == cmd::FocusAdjustment || modeForCommand(id, mode) || subModeForCommand(id, sub))
            s.displayCommand(id);
        break;
    }
    }
    view_->update();
    updateActions();
}

void CMainFrame::soundSettings()
{
    VardoAssembly& a = session_->assembly();
    devices::SoundEngine* engine = a.soundEngine();
    SoundDialog(a.settings(), engine && engine->ready() ? engine : nullptr, frontend_,
                a.rail().programFolder(), this)
        .exec();
}

void CMainFrame::servoSettings()
{
    VardoAssembly& a = session_->assembly();
    devices::ExtendedInterface* ext = a.extendedInterface();
    if (!ext)
        return;
    devices::ServoSettingsEditor::Hooks hooks;
    hooks.usbConnected = [&a] { return a.usb().connected(); };
    hooks.controllerState = [&a] { return a.controller().state(); };
    hooks.performAction = [&a](int code) { a.controller().performAction(code); };
    devices::ServoSettingsEditor editor(frontend_, *ext, hooks);
    ServoDialog(editor, this).exec();
}

void CMainFrame::startCalibration()
{
    session_->startCalibration();
}

void CMainFrame::openAngleCorrection()
{
    if (!session_->openAngleCorrection())
        return;
    angleDialog_ = new AngleDialog(AngleDialog::Form::AngleCorrection, this);
    angleDialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(angleDialog_, &QDialog::finished, this, [this](int result) {
        session_->closeAngleCorrection(result == QDialog::Accepted);
        updateActions();
    });
    angleDialog_->show();
}

void CMainFrame::showEmergencyStop()
{
    auto* dialog = new AngleDialog(AngleDialog::Form::EmergencyStop, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void CMainFrame::showAbout()
{
    QMessageBox::about(this, uiText(msg::AboutTitle),
                       QString::fromStdString(common::formatMessage(
                           msg::AboutText, {QCoreApplication::applicationVersion().toStdString()})));
}

void CMainFrame::openVideoFile()
{
    std::string path;
    if (videoFileChooser) {
        path = videoFileChooser();
    } else {
        QFileDialog dialog(this, QString(), QString(), fileFilter(msg::VideoFileFilter));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix("avi");
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().first().toStdString();
    }
    if (path.empty())
        return;
    session_->openVideoFile(path);
    applyViewSize(session_->viewSize());
}

void CMainFrame::cameraFormat()
{
    const std::vector<vision::CameraFormat> formats = session_->video().cameraFormats();
    if (formats.empty()) {
        frontend_.showMessage(common::messageText(msg::CameraFormatNone), Icon::Information);
        return;
    }
    QStringList labels;
    for (const vision::CameraFormat& f : formats)
        labels << QString::fromStdString(f.label());
    bool ok = false;
    const QString choice = QInputDialog::getItem(this, uiText(msg::CameraFormatTitle),
                                                 uiText(msg::CameraFormatTitle), labels, 0, false,
                                                 &ok);
    if (!ok)
        return;
    session_->video().applyCameraSettings(formats[size_t(labels.indexOf(choice))]);
    applyViewSize(session_->viewSize());
}

void CMainFrame::folderRunSettings()
{
    QtFolderChooser chooser(this);
    runFolderSettings(session_->settings().path(IniFile::Option), chooser, this);
}

void CMainFrame::trainDisplaySettings()
{
    layout::Layout& layout = session_->layout();
    layout::LayoutModel& model = layout.model();
    const layout::TrainPaths paths = layout.paths().trainPaths();
    const TrainDisplayKeys before{model.trainType, model.trainCount,
                                  model.trainConnect.load() != 0};
    TrainDisplayDialog::Actions actions;
    actions.choosePicture = [&](int car) {
        const QString start = QString::fromStdString(
            session_->settings().getString(SettingId::LayoutTrainFile, car + 1));
        const QString file = QFileDialog::getOpenFileName(this, QString(), start,
                                                          fileFilter(msg::BitmapFileFilter));
        if (!file.isEmpty())
            layout.figures().choosePhotograph(car, file.toStdString(), paths, model, frontend_);
    };
    actions.chooseColour = [&](int car) {
        const QColor start = layout::colourFromValue(layout::TrainFigures::colourForChooser(car, paths));
        const QColor c = QColorDialog::getColor(start, this);
        if (c.isValid())
            layout.figures().chooseColour(car, c.red() | (c.green() << 8) | (c.blue() << 16), paths,
                                          model);
    };
    actions.currentCount = [&] { return model.trainCount; };
    TrainDisplayDialog dialog(before, actions, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    applyTrainDisplay(accepted ? dialog.keys() : before, accepted);
}

void CMainFrame::applyTrainDisplay(const TrainDisplayKeys& keys, bool write)
{
    layout::Layout& layout = session_->layout();
    // Cancel puts back what the choices may have changed and writes nothing,
    // so a figure forced to the graphic one never reaches option.ini.
    layout.model().setTrainDisplay(keys.type, keys.count, keys.connect ? 1 : 0,
                                   layout.figures().photosLoaded());
    if (write) {
        Settings& settings = session_->settings();
        settings.writeInt(SettingId::LayoutTrainType, keys.type);
        settings.writeInt(SettingId::LayoutTrainCount, keys.count);
        settings.writeBool(SettingId::LayoutTrainConnect, keys.connect);
    }
    session_->simulation().setCarCount(keys.count);
}

// --------------------------------------------------------- controller panel

void CMainFrame::showPanel()
{
    panel::ControllerPanel& panel = session_->assembly().panel();
    if (panelWidget_ || !session_->assembly().loadPanel())
        return;
    panelWidget_ = new PanelWidget(panel, session_->controller(), this);
    // The frontend queues redraws to this thread, whichever thread asks.
    frontend_.setPanelRedraw([w = QPointer<PanelWidget>(panelWidget_)] {
        if (w)
            w->update();
    });
    panelWidget_->show();
    placePanel();
}

void CMainFrame::placePanel()
{
    // The view takes the frame's new size before the panel goes to its
    // corner, and once more after the window system has applied it.
    if (layout())
        layout()->activate();
    panelWidget_->placeAtLowerRight(*view_);
    QTimer::singleShot(0, panelWidget_, [this] {
        if (!panelWidget_->movedByUser())
            panelWidget_->placeAtLowerRight(*view_);
    });
}

void CMainFrame::parameterSettings()
{
    VardoAssembly& a = session_->assembly();
    ParameterDialogLinks links;
    links.settings = &a.settings();
    links.frontend = &frontend_;
    links.controller = &a.controller();
    links.passCounter = &a.passCounter();
    links.layout = a.layoutFeatures();
    links.usbConnected = a.usb().connected();
    links.apply = [&a](const panel::ParameterValues& v) { a.applyParameters(v); };
    links.commit = [&a](const panel::ParameterValues& v) { a.commitParameters(v); };
    links.comChanged = [&a](int comNo) {
        a.usb().selectComPort(comNo, a.extendedPort() && a.extendedPort()->isOpen());
    };
    ParameterDialog dialog(std::move(links), this);
    dialog.exec();
}

void CMainFrame::optionOutput()
{
    OptionOutputDialog::open(session_->controller(), tickOpenRelayBoxes, this);
}

} // namespace vardo::ui
