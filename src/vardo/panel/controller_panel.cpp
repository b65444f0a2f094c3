#include "vardo/panel/controller_panel.h"

#include "vardo/base/command_ids.h"
#include "vardo/layout/layout_model.h"
#include "vardo/operation/auto_button.h"
#include "vardo/operation/controller_action.h"
#include "vardo/operation/speed_control.h"
#include "vardo/panel/jog_geometry.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

namespace vardo::panel {

namespace {

// How far down the jog handle can reach as it turns.
int jogBottom(const Skin& skin)
{
    if (!skin.handle.isNull()) {
        if (skin.region.size() >= 3) {
            int bottom = 0;
            for (QPoint p : skin.region)
                bottom = std::max(bottom, p.y() + 1);
            return bottom;
        }
        const double half = std::hypot(skin.handle.width(), skin.handle.height()) / 2;
        return int(std::ceil(skin.jogCentre.y() + skin.jogRadius + half));
    }
    if (skin.isLever() || !skin.has(role::Handle))
        return 0; // the lever stays inside picture 2
    const double half = skin.pictures[role::Handle].height() / 2.0;
    return int(std::ceil(skin.jogCentre.y() + skin.jogRadius + half));
}

} // namespace

int turntableBandTop(const Skin& skin)
{
    int top = std::numeric_limits<int>::max();
    int above = jogBottom(skin);
    for (int i = 1; i < skin.positionCount; ++i) {
        if (!skin.has(i))
            continue;
        const QRect r = skin.rect(i);
        if (i >= role::TurntableReverse)
            top = std::min(top, r.top());
        else
            above = std::max(above, r.bottom() + 1);
    }
    return top != std::numeric_limits<int>::max() && top >= above ? top : -1;
}

QSize panelSize(const Skin& skin, int points, bool turntable)
{
    QSize size = skin.pictureSize(role::Background);
    int narrower = 0;
    if (skin.number == 4 && points < 3)
        narrower = (3 - points) * kPointButtonWidth;
    // Skin 1's fourth column holds button 7, which drives the turntable
    // power on turntable layouts: it stays whatever the point count.
    else if (skin.number == 1 && points < 4 && !turntable)
        narrower = points < 3 ? 2 * kPointButtonWidth : kPointButtonWidth;
    size.setWidth(std::max(1, size.width() - narrower));
    if (!turntable) {
        const int band = turntableBandTop(skin);
        if (band > 0)
            size.setHeight(std::min(size.height(), band));
    }
    return size;
}

ControllerPanel::ControllerPanel(Controller& controller, Frontend& frontend, PanelServices services)
    : controller_(controller), frontend_(frontend), services_(std::move(services))
{
}

bool ControllerPanel::load(const std::string& programFolder, int number, int speedServo)
{
    return loadFolder(skinFolder(programFolder, number), number, speedServo);
}

bool ControllerPanel::loadFolder(const std::string& folder, int number, int speedServo)
{
    Skin skin;
    if (!loadSkin(folder, number, speedServo, skin)) {
        frontend_.showMessage(common::msg::SkinLoadFailed, Icon::Warning);
        return false;
    }
    {
        std::lock_guard lock(skinMutex_);
        skin_ = std::move(skin);
        jogAngle_ = controller_.running() ? skin_.runningAngle : skin_.restAngle;
        if (skin_.isLever() || skin_.isDirectDial())
            jogAngle_ = angleForSpeed(skin_, controller_.running() ? speed() : 0.0);
    }
    // A turntable always has a track chosen: track 1 until one is pressed.
    if (hasTurntable() && (turntableWord_ & ~1) == 0)
        turntableWord_ = (turntableWord_ & 1) | 2;
    hover_ = -1;
    cursor_ = PanelCursor::None;
    dragging_ = jogGrabbed_ = buttonDown_ = exitPressed_ = false;
    frontend_.redrawPanel();
    return true;
}

bool ControllerPanel::changeSkin(const std::string& programFolder, int number, int speedServo,
                                 const Settings& settings)
{
    const std::string folder = skinFolder(programFolder, number);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(folder + "/control.ini", ec)) {
        frontend_.showMessage(common::msg::SkinLoadFailed, Icon::Warning);
        return false;
    }
    if (automaticRunning()) {
        controller_.performAction(ActionLampOff);
        services_.operation->stopOperation(EndReason::Stopped);
    } else if (controller_.running()) {
        controller_.performAction(ActionStop);
    }
    // Written only once the skin is known to load, so a broken skin is
    // not chosen again at the next start.
    if (!loadFolder(folder, number, speedServo))
        return false;
    settings.writeInt(SettingId::ControlSkin, number);
    return true;
}

QSize ControllerPanel::size() const
{
    return panelSize(skin_, pointCount(), hasTurntable());
}

int ControllerPanel::pointCount() const
{
    auto* model = controller_.model();
    return model ? model->pointCount() : 0;
}

bool ControllerPanel::hasTurntable() const
{
    auto* model = controller_.model();
    return model && model->turntable.present;
}

double ControllerPanel::speed() const
{
    return services_.speed ? services_.speed->present() : localSpeed_.load();
}

void ControllerPanel::setSpeed(double s)
{
    if (services_.speed)
        services_.speed->set(s); // sends to the extended interface when it drives the speed
    else
        localSpeed_ = s;
}

bool ControllerPanel::automaticRunning() const
{
    return services_.operation && services_.operation->operating();
}

bool ControllerPanel::jogUsable() const
{
    if (controller_.simulation.load())
        return true;
    if (services_.cameraPicture && services_.cameraPicture())
        return true;
    return services_.extended && services_.extended->isOpen() && services_.extended->drivesSpeed();
}

bool ControllerPanel::overHandle(QPoint p) const
{
    if (!loaded())
        return false;
    return handleRect(skin_, jogAngle_, speed(), controller_.running()).contains(p);
}

bool ControllerPanel::reacts(int b) const
{
    if (b == role::Handle || !skin_.has(b))
        return false;
    if (automaticRunning() && b != role::Exit && b != role::AutoLamp)
        return false;
    const int points = pointCount();
    if (b == 5 && points <= 1)
        return false;
    if (b == 6 && points <= 2)
        return false;
    if (b == 7 && points <= 3 && !hasTurntable())
        return false;
    // The turntable pictures are not drawn without a turntable.
    if (b >= role::TurntableReverse && !hasTurntable())
        return false;
    return true;
}

int ControllerPanel::buttonAt(QPoint p) const
{
    const QSize visible = size();
    if (!QRect(QPoint(0, 0), visible).contains(p))
        return -1;
    for (int b = 1; b < skin_.positionCount; ++b)
        if (reacts(b) && skin_.rect(b).contains(p))
            return b;
    return -1;
}

void ControllerPanel::mouseMove(QPoint p)
{
    if (jogGrabbed_) {
        followJog(p);
        return;
    }
    if (dragging_)
        return;
    hover_ = -1;
    cursor_ = PanelCursor::None;
    if (jogUsable() && overHandle(p)) {
        cursor_ = skin_.isLever() ? PanelCursor::Lever : PanelCursor::JogGrab;
        return;
    }
    hover_ = buttonAt(p);
    if (hover_ != -1)
        cursor_ = PanelCursor::Hand;
}

void ControllerPanel::mouseDown(QPoint p)
{
    mouseMove(p);
    if (cursor_ == PanelCursor::JogGrab || cursor_ == PanelCursor::Lever) {
        const QRect r = handleRect(skin_, jogAngle_, speed(), controller_.running());
        grabOffset_ = skin_.isLever() ? QPointF(p - r.topLeft())
                                      : QPointF(p) - handleCentre(skin_, jogAngle_);
        jogGrabbed_ = true;
        if (!automaticRunning() && !controller_.running())
            startInPresentDirection();
        followJog(p);
        return;
    }
    if (hover_ == -1) {
        dragging_ = true;
        cursor_ = PanelCursor::Move;
        return;
    }
    buttonDown_ = true;
    if (hover_ == role::Exit) {
        exitPressed_ = true;
        frontend_.redrawPanel();
    }
}

void ControllerPanel::mouseUp(QPoint p)
{
    if (jogGrabbed_) {
        jogGrabbed_ = false;
        frontend_.redrawPanel();
        mouseMove(p);
        return;
    }
    if (dragging_) {
        dragging_ = false;
        cursor_ = PanelCursor::None;
        return;
    }
    if (!buttonDown_)
        return;
    buttonDown_ = false;
    const int b = buttonAt(p);
    if (exitPressed_ && b != role::Exit) {
        exitPressed_ = false;
        frontend_.redrawPanel();
    }
    if (b != -1)
        pressButton(b);
}

void ControllerPanel::followJog(QPoint p)
{
    const QPointF at = QPointF(p) - grabOffset_;
    if (skin_.isLever()) {
        setSpeed(leverSpeed(skin_, at.y()));
    } else {
        const double angle = angleAbout(skin_.jogCentre, at);
        const auto s = speedForAngle(skin_, angle);
        if (!s)
            return; // the dead zone: the handle stays
        jogAngle_ = angle;
        setSpeed(*s);
    }
    frontend_.redrawPanel();
}

void ControllerPanel::showSpeed(double s)
{
    if (jogGrabbed_.load())
        return;
    {
        std::lock_guard lock(skinMutex_);
        if (!skin_.isLever())
            jogAngle_ = angleForSpeed(skin_, s);
    }
    frontend_.redrawPanel();
}

void ControllerPanel::startInPresentDirection()
{
    controller_.performAction(controller_.backward() ? ActionBackward : ActionForward);
}

void ControllerPanel::pressButton(int b)
{
    switch (b) {
    case role::Exit:
        exitPressed_ = false;
        frontend_.redrawPanel();
        frontend_.postCommand(cmd::Exit);
        return;
    case role::Jog:
        if (controller_.running())
            controller_.performAction(ActionStop);
        else
            startInPresentDirection();
        return;
    case role::Backward:
        controller_.performAction(controller_.backward() ? ActionForward : ActionBackward);
        return;
    case role::AutoLamp:
        pressAutoButton();
        return;
    case role::Handle:
        jogGrabbed_ = false;
        return;
    default:
        break;
    }
    if (b >= role::Point1 && b < role::Point1 + kActionPoints)
        pressPoint(b - role::Point1);
    else if (b >= role::TurntableReverse && hasTurntable())
        pressTurntable(b);
    else if (b == role::TurntableReverse)
        controller_.performAction(ActionStop);
}

void ControllerPanel::pressPoint(int k)
{
    const bool branch = !(controller_.state() & (state::Point1 << k));
    controller_.performAction(ActionPoint1Straight + 2 * k + (branch ? 1 : 0));
    auto* model = controller_.model();
    const int next = k + 1;
    if (!model || !model->point(k).record.linked || next >= model->pointCount())
        return;
    // The fourth action pair drives the turntable power on turntable layouts.
    const bool hasAction = next < kActionPoints && !(next == kActionPoints - 1 && hasTurntable());
    if (hasAction)
        controller_.performAction(ActionPoint1Straight + 2 * next + (branch ? 1 : 0));
    else
        controller_.setPointInModel(next, branch);
}

void ControllerPanel::pressAutoButton()
{
    const bool on = !(controller_.state() & state::AutoLamp);
    AutoButtonContext context;
    context.controllerConnected = services_.controllerConnected && services_.controllerConnected();
    context.calibrated = services_.calibrated && services_.calibrated();
    context.folderRun = services_.folderRun;
    if (!services_.operation || !services_.program) {
        // Nothing to run: refused as an empty program is.
        if (on)
            frontend_.showMessage(context.calibrated || controller_.simulation
                                      ? common::msg::ControlSetupFailed
                                      : common::msg::OperationNotCalibrated,
                                  Icon::Warning);
        controller_.clearLamp();
        return;
    }
    const auto result = vardo::pressAutoButton(*services_.operation, controller_, frontend_,
                                               *services_.program, on, context);
    if (result == AutoButtonResult::Refused || result == AutoButtonResult::StartFailed)
        controller_.clearLamp();
    else if (result == AutoButtonResult::Started && services_.speed)
        showSpeed(services_.speed->present());
}

void ControllerPanel::pressTurntable(int b)
{
    int word = turntableWord_.load();
    if (b == role::TurntableReverse) {
        turntableWord_ = word ^ 1;
        frontend_.redrawPanel();
        return;
    }
    const int track = b - role::Track1 + 1; // 1..5
    const bool reversed = word & 1;
    turntableWord_ = (reversed ? 1 : 0) | (1 << track);
    frontend_.redrawPanel();
    if (services_.turntableChanged)
        services_.turntableChanged(track, reversed);
    if (!controller_.simulation.load() && services_.extended && services_.extended->isOpen())
        services_.extended->turnTable(track, reversed);
}

} // namespace vardo::panel
