#include "planwerk/ui/main_frame.h"

#include "common/paths.h"
#include "planwerk/ui/control_dialog.h"
#include "planwerk/ui/layout_view.h"
#include "planwerk/ui/marker_dialogs.h"
#include "planwerk/ui/point_dialog.h"
#include "planwerk/ui/settings_dialog.h"
#include "planwerk/ui/toolbar_icons.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

#include <algorithm>

namespace planwerk::ui {

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QMessageBox::Icon boxIcon(common::Icon icon)
{
    switch (icon) {
    case common::Icon::Information:
        return QMessageBox::Information;
    case common::Icon::Warning:
        return QMessageBox::Warning;
    case common::Icon::Stop:
        return QMessageBox::Critical;
    case common::Icon::Question:
        return QMessageBox::Question;
    case common::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// "ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ(*.bmp)|*.bmp||" as a Qt name filter.
QString nameFilter(const std::string& filter)
{
    QStringList parts = qs(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i].isEmpty())
            out << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
    return out.join(QStringLiteral(";;"));
}

} // namespace

void fillPopup(QMenu& menu, const std::vector<MenuItem>& items, const LayoutEditor& editor)
{
    EditorState state = stateOf(editor);
    for (const MenuItem& item : items) {
        QAction* action = menu.addAction(qs(item.text));
        action->setData(int(item.command));
        // Pop-up commands reach the frame like menu commands, so the menu's
        // rules grey them as well.
        std::optional<MenuId> asMenu = menuItemOf(item.command);
        bool allowed = !asMenu || commandEnabled(*asMenu, state);
        action->setEnabled(item.enabled && allowed && editor.isEnabled(item.command));
        if (item.checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
    }
}

MainFrame::MainFrame(const std::string& programFolder, QWidget* parent)
    : QMainWindow(parent), editor_(std::make_unique<LayoutEditor>(*this, programFolder))
{
    setWindowTitle(QString::fromUtf8(kFrameTitle));
    view_ = new LayoutView(this);
    view_->setEditor(editor_.get());
    setCentralWidget(view_);
    connect(view_, &LayoutView::edited, this, &MainFrame::updateActions);
    buildMenus();
    buildToolBar();
    // Idle text whenever no prompt is shown.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            statusBar()->showMessage(QString::fromUtf8(kIdleText));
    });
    statusBar()->showMessage(QString::fromUtf8(kIdleText));
    resize(640 + kFrameExtraWidth, 480 + kFrameExtraHeight);
    updateActions();
}

MainFrame::~MainFrame() = default;

bool MainFrame::start()
{
    if (!editor_->initialise())
        return false;
    fitToPicture();
    updateActions();
    return true;
}

MainFrame::PictureKeys MainFrame::pictureKeys() const
{
    const LayoutEditor& e = *editor_;
    return {e.sourceWaiting() ? e.shownPicture().cacheKey() : 0, e.layoutPicture().cacheKey(),
            e.collagePicture().cacheKey(), e.trainEditPicture().cacheKey()};
}

void MainFrame::fitToPicture(bool always)
{
    QSize shown(editor_->shownWidth(), editor_->shownHeight());
    if (shown == fitted_ && !always)
        return;
    fitted_ = shown;
    view_->setMinimumSize(shown);
    // The frame's own minimum follows the view only once its layout has
    // run; without this a frame shrinking back to 640 x 480 would stay large.
    layout()->activate();
    resize(shown.width() + kFrameExtraWidth, shown.height() + kFrameExtraHeight);
}

void MainFrame::buildMenus()
{
    std::map<std::string, QMenu*> menus;
    std::map<std::string, QMenu*> submenus;
    for (const CommandEntry& e : commandTable()) {
        QMenu*& top = menus[e.menu];
        if (!top) {
            top = menuBar()->addMenu(QString::fromUtf8(e.menu));
            connect(top, &QMenu::aboutToShow, this, &MainFrame::updateActions);
        }
        if (e.separatorBefore && !top->isEmpty())
            top->addSeparator();
        QMenu* target = top;
        if (e.submenu) {
            QMenu*& sub = submenus[e.submenu];
            if (!sub)
                sub = top->addMenu(QString::fromUtf8(e.submenu));
            target = sub;
        }
        QAction* action = target->addAction(QString::fromUtf8(e.text));
        action->setStatusTip(QString::fromUtf8(e.prompt));
        action->setCheckable(commandCheckable(e.id));
        MenuId id = e.id;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        actions_[id] = action;
    }
    // Both keys restore the snapshot.
    actions_[MenuId::Undo]->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    actions_[MenuId::Undo]->setShortcutContext(Qt::WindowShortcut);
}

void MainFrame::buildToolBar()
{
    toolBar_ = addToolBar(QStringLiteral("toolbar"));
    toolBar_->setMovable(false);
    for (const auto& slot : toolbarLayout()) {
        if (!slot) {
            toolBar_->addSeparator();
            continue;
        }
        // The toolbar shares the menu's actions, so its buttons follow the
        // same rules; the picture is drawn here.
        QAction* action = actions_[*slot];
        action->setIcon(toolbarIcon(*slot));
        action->setToolTip(QString::fromUtf8(toolbarText(*slot)));
        toolBar_->addAction(action);
    }
}

EditorState MainFrame::state() const
{
    EditorState s = stateOf(*editor_);
    // isVisibleTo: the bars count as shown while the frame itself is hidden.
    s.toolBarVisible = toolBar_->isVisibleTo(this);
    s.statusBarVisible = statusBar()->isVisibleTo(this);
    return s;
}

void MainFrame::updateActions()
{
    EditorState s = state();
    for (auto& [id, action] : actions_) {
        action->setEnabled(commandEnabled(id, s));
        if (action->isCheckable())
            action->setChecked(commandChecked(id, s));
    }
}

void MainFrame::runCommand(MenuId id)
{
    if (!commandEnabled(id, state())) {
        updateActions();
        return;
    }
    const PictureKeys before = pictureKeys();
    if (std::optional<Command> command = editorCommand(id)) {
        editor_->run(*command);
    } else {
        switch (id) {
        case MenuId::Settings:
            openSettings();
            break;
        case MenuId::ToolBar:
            toolBar_->setVisible(!toolBar_->isVisibleTo(this));
            break;
        case MenuId::StatusBar:
            statusBar()->setVisible(!statusBar()->isVisibleTo(this));
            break;
        case MenuId::About:
            showAbout();
            break;
        case MenuId::Documentation:
            openDocumentation();
            break;
        default:
            break;
        }
    }
    // A picture opened or resized fits the frame to it again, even when the
    // user has resized the frame since; a cancelled dialog changes nothing.
    fitToPicture(pictureKeys() != before);
    updateActions();
}

void MainFrame::openSettings()
{
    SettingsDialog dialog(editor_->settings(), this);
    int result = hooks.settingsDialog ? hooks.settingsDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return;
    editor_->setSettings(dialog.values());
    if (!writeEditorSettings(editor_->iniPath(), editor_->settings()))
        showMessage("Planwerk.iniへの書き込みに失敗しました。", common::Icon::Warning);
}

void MainFrame::openDocumentation()
{
    std::string path =
        common::joinPath(common::joinPath(editor_->programFolder(), "doc"), "planwerk.html");
    bool ok =
        QFileInfo::exists(qs(path)) && QDesktopServices::openUrl(QUrl::fromLocalFile(qs(path)));
    if (!ok)
        showMessage(kDocumentFailed, common::Icon::Warning);
}

void MainFrame::showAbout()
{
    QMessageBox::about(this, QStringLiteral("バージョン情報 Planwerk"),
                       QStringLiteral("Planwerk\nVARDOレイアウトデータ作成プログラム\n"
                                      "バージョン 1.0"));
}

// ---- EditorFrontend

void MainFrame::showMessage(const std::string& text, common::Icon icon)
{
    if (hooks.message) {
        hooks.message(text, icon);
        return;
    }
    QMessageBox box(boxIcon(icon), QString::fromUtf8(kAppName), qs(text), QMessageBox::Ok, this);
    box.exec();
}

Answer MainFrame::ask(const std::string& text, Buttons buttons, common::Icon icon,
                      Answer defaultAnswer)
{
    if (hooks.ask)
        return hooks.ask(text, buttons, defaultAnswer);
    QMessageBox::StandardButtons set;
    switch (buttons) {
    case Buttons::Ok:
        set = QMessageBox::Ok;
        break;
    case Buttons::OkCancel:
        set = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case Buttons::YesNo:
        set = QMessageBox::Yes | QMessageBox::No;
        break;
    case Buttons::YesNoCancel:
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }
    QMessageBox box(boxIcon(icon), QString::fromUtf8(kAppName), qs(text), set, this);
    auto toButton = [](Answer a) {
        switch (a) {
        case Answer::Ok:
            return QMessageBox::Ok;
        case Answer::Cancel:
            return QMessageBox::Cancel;
        case Answer::Yes:
            return QMessageBox::Yes;
        case Answer::No:
            return QMessageBox::No;
        }
        return QMessageBox::Ok;
    };
    box.setDefaultButton(toButton(defaultAnswer));
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        // Escape or the close box: the cautious answer the buttons allow.
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

bool MainFrame::pointDialog(PointDialogValues& values)
{
    if (hooks.pointDialog)
        return hooks.pointDialog(values);
    PointDialog dialog(values, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    values = dialog.values();
    return true;
}

std::optional<std::string> MainFrame::chooseFolder(const std::string& title,
                                                   const std::string& initialFolder)
{
    if (hooks.chooseFolder)
        return hooks.chooseFolder(title);
    QString folder = QFileDialog::getExistingDirectory(this, qs(title), qs(initialFolder));
    if (folder.isEmpty())
        return std::nullopt;
    return folder.toStdString();
}

std::optional<std::string> MainFrame::chooseSaveFile(const std::string& defaultExtension,
                                                     const std::string& filter)
{
    if (hooks.chooseSaveFile)
        return hooks.chooseSaveFile();
    QFileDialog dialog(this, QString(), QString(), nameFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(qs(defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

void MainFrame::popupMenu(const std::vector<MenuItem>& items, int x, int y)
{
    QMenu menu(this);
    fillPopup(menu, items, *editor_);
    QAction* chosen = hooks.popup ? hooks.popup(menu) : menu.exec(view_->mapToGlobal(QPoint(x, y)));
    // The choice goes through the editor's rules like a menu command.
    if (chosen && chosen->isEnabled())
        editor_->run(Command(chosen->data().toInt()));
    fitToPicture();
    updateActions();
}

void MainFrame::invertCircle(int x, int y, int radius)
{
    view_->toggleMarker(x, y, radius);
}

void MainFrame::invertRectangle(int x, int y, int width, int height)
{
    view_->toggleRectangle(x, y, width, height);
}

namespace {

// The dialogs edit what the record holds; the editor's state comes back
// from the record, so list entries and enabled groups follow its rules.
ControlDialogValues toValues(const ControlDialogState& state)
{
    layoutdata::ControlPointRecord r{};
    state.store(r);
    return {r.direction, r.trackAction, r.point, r.option, r.relay, r.sound, r.soundNumber};
}

layoutdata::ControlPointRecord toRecord(const ControlDialogValues& v)
{
    layoutdata::ControlPointRecord r{};
    r.direction = int16_t(v.direction);
    r.trackAction = uint8_t(v.trackAction);
    r.point = uint8_t(std::max(v.pointIndex, 0));
    r.option = uint8_t(v.optionOutput);
    r.relay = uint8_t(std::max(v.relayIndex, 0));
    r.sound = uint8_t(v.sound);
    r.soundNumber = uint8_t(std::max(v.soundNumber, 0));
    return r;
}

} // namespace

bool MainFrame::controlDialog(ControlDialogState& state)
{
    if (hooks.controlDialog)
        return hooks.controlDialog(state);
    QStringList sounds;
    for (const std::string& s : state.sounds)
        sounds << qs(s);
    ControlDialog dialog(toValues(state), sounds, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    state = ControlDialogState::fromRecord(toRecord(dialog.values()), state.sounds);
    return true;
}

bool MainFrame::crossingDialog(CrossingDialogState& state)
{
    if (hooks.crossingDialog)
        return hooks.crossingDialog(state);
    layoutdata::CrossingRecord r;
    state.store(r);
    CrossingDialog dialog({r.barrier != 0, r.lights != 0, r.drive}, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    CrossingDialogValues v = dialog.values();
    r.barrier = v.barrier ? 1 : 0;
    r.lights = v.light ? 1 : 0;
    r.drive = v.drive;
    state = CrossingDialogState::fromRecord(r);
    return true;
}

bool MainFrame::sensorDialog(SensorDialogState& state)
{
    if (hooks.sensorDialog)
        return hooks.sensorDialog(state);
    SensorDialog dialog(state.sensitivity, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    state.sensitivity = dialog.sensitivity();
    return true;
}

std::optional<std::string> MainFrame::chooseOpenFile(const std::string& defaultExtension,
                                                     const std::string& filter)
{
    if (hooks.chooseOpenFile)
        return hooks.chooseOpenFile();
    QFileDialog dialog(this, QString(), QString(), nameFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, true);
    dialog.setDefaultSuffix(qs(defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

ScreenSize MainFrame::screenSize() const
{
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return {};
    return {s->size().width(), s->size().height()};
}

void MainFrame::repaint()
{
    // A full repaint shows the pictures afresh: inverted marks drawn so far
    // are gone, as they would be from the screen.
    view_->clearOverlay();
    view_->update();
}

void MainFrame::closeWindow()
{
    close();
}

} // namespace planwerk::ui
