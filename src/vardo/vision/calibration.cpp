#include "vardo/vision/calibration.h"

#include "common/byte_io.h"
#include "vardo/vision/calibration_file.h"
#include "vardo/vision/exception_mask.h"

#include <algorithm>

namespace vardo::vision {

Calibration::Calibration(Frontend& frontend, const Settings& settings,
                         const layout::LayoutModel& layout)
    : frontend_(frontend), settings_(settings), layout_(layout)
{
}

void Calibration::InitCalibration()
{
    {
        std::lock_guard lock(mutex_);
        record_.markerX = -1;
        record_.markerY = -1;
        rebuildOutlineLocked(0.0);
    }
    modified_.store(false);
    const std::string path = settings_.getString(SettingId::CalibrationFilePath);
    if (!path.empty())
        LoadCalibration(path);
}

bool Calibration::LoadCalibration(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (!common::readWholeFile(path, bytes, 1u << 20)) {
        frontend_.showMessage(common::msg::CalibrationLoadFailed);
        return false;
    }
    CalibrationRecord loaded;
    switch (parseCalibrationFile(bytes, loaded)) {
    case ClbStatus::Ok:
        break;
    case ClbStatus::NotCalibration:
        frontend_.showMessage(common::msg::NotCalibrationFile);
        return false;
    case ClbStatus::Truncated:
    case ClbStatus::BadValues:
        frontend_.showMessage(common::msg::CalibrationLoadFailed);
        return false;
    }
    const int width = currentWidth(), height = currentHeight();
    if (width > 0 && loaded.frameWidth != width && loaded.frameHeight != height &&
        frontend_.ask(common::msg::CalibrationSizeMismatch, Buttons::YesNo) != Answer::Yes)
        return false;
    {
        std::lock_guard lock(mutex_);
        record_ = loaded;
        rebuildOutlineLocked(record_.angle);
        rebuildMaskLocked(record_.angle);
    }
    calibrated_.store(calibrationUsable(loaded, layout_.track().extent()));
    return true;
}

bool Calibration::SaveCalibration(const std::string& path)
{
    if (path.empty())
        return false;
    const std::vector<uint8_t> bytes = encodeCalibrationFile(record());
    if (!common::writeFileAtomic(path, bytes)) {
        frontend_.showMessage(common::msg::CalibrationSaveFailed);
        return false;
    }
    settings_.write(SettingId::CalibrationFilePath, path);
    modified_.store(false);
    return true;
}

void Calibration::BuildExceptionMask(float angle)
{
    std::lock_guard lock(mutex_);
    rebuildMaskLocked(angle);
}

void Calibration::rebuildOutlineLocked(double angle)
{
    outline_ = buildRotatedOutline(layout_.track(), angle);
}

void Calibration::rebuildMaskLocked(double angle)
{
    mask_.reset();
    if (!hasExceptionRegions())
        return;
    MaskGeometry g;
    g.trackExtent = layout_.track().extent();
    // The mask is placed with the outline of the same angle.
    g.rotatedExtent = buildRotatedOutline(layout_.track(), angle).rotatedExtent;
    g.left = record_.left;
    g.top = record_.top;
    g.right = record_.right;
    g.bottom = record_.bottom;
    g.frameWidth = currentWidth() > 0 ? currentWidth() : record_.frameWidth;
    g.frameHeight = currentWidth() > 0 ? currentHeight() : record_.frameHeight;
    g.angle = angle;
    auto mask = std::make_shared<std::vector<uint8_t>>();
    if (buildMask(layout_.exceptions, g, *mask))
        mask_ = std::move(mask);
}

Point Calibration::CameraToLayout(int x, int y) const
{
    return vision::CameraToLayout(record(), layout_.track().extent(), x, y);
}

Point Calibration::LayoutToCamera(int x, int y) const
{
    return vision::LayoutToCamera(record(), layout_.track().extent(), x, y);
}

CalibrationRecord Calibration::record() const
{
    std::lock_guard lock(mutex_);
    return record_;
}

RotatedOutline Calibration::outline() const
{
    std::lock_guard lock(mutex_);
    return outline_;
}

ExceptionMask Calibration::exceptionMask() const
{
    std::lock_guard lock(mutex_);
    return mask_;
}

void Calibration::frameSizeChanged(int width, int height)
{
    currentWidth_.store(width);
    currentHeight_.store(height);
    std::lock_guard lock(mutex_);
    if (record_.frameWidth != width || record_.frameHeight != height)
        calibrated_.store(false);
}

void Calibration::beginRun()
{
    std::lock_guard lock(mutex_);
    record_.bottom = -1;
    calibrated_.store(false);
    calibrating_.store(true);
}

void Calibration::widenRectangle(int x, int y)
{
    std::lock_guard lock(mutex_);
    CalibrationRecord& r = record_;
    if (!r.rectangleRecorded()) {
        r.left = r.right = x;
        r.top = r.bottom = y;
        return;
    }
    r.left = std::min(r.left, x);
    r.right = std::max(r.right, x);
    r.top = std::min(r.top, y);
    r.bottom = std::max(r.bottom, y);
}

void Calibration::finishRun(bool completed)
{
    calibrating_.store(false);
    std::lock_guard lock(mutex_);
    record_.frameWidth = currentWidth();
    record_.frameHeight = currentHeight();
    if (!completed)
        return;
    // A lap that never widened the box in one direction cannot map points.
    calibrated_.store(calibrationUsable(record_, layout_.track().extent()));
    modified_.store(true);
    // The old mask belongs to the old rectangle.
    rebuildMaskLocked(record_.angle);
}

void Calibration::setMarker(int x, int y)
{
    std::lock_guard lock(mutex_);
    record_.markerX = x;
    record_.markerY = y;
}

void Calibration::previewAngle(float angle)
{
    std::lock_guard lock(mutex_);
    rebuildOutlineLocked(angle);
}

void Calibration::setAngle(float angle)
{
    {
        std::lock_guard lock(mutex_);
        record_.angle = angle;
        rebuildOutlineLocked(angle);
        rebuildMaskLocked(angle);
    }
    modified_.store(true);
}

} // namespace vardo::vision
