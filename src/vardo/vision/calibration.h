#pragma once
// The calibration in force: its record, the valid / in-progress / modified
// flags, the rotated outline and the exception mask derived from it, and
// loading and saving the calibration file. Shared by the user-interface
// thread, the calibration thread and the streaming thread: the record and
// the derived data sit behind one mutex, the flags are atomic.
#include "vardo/base/frontend.h"
#include "vardo/base/settings.h"
#include "vardo/layout/layout_model.h"
#include "vardo/vision/calibration_record.h"
#include "vardo/vision/rotated_outline.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vardo::vision {

using ExceptionMask = std::shared_ptr<const std::vector<uint8_t>>;

class Calibration {
public:
    Calibration(Frontend& frontend, const Settings& settings, const layout::LayoutModel& layout);

    // At view start, after the layout is loaded: clears the marker and the
    // modified flag, builds the outline for angle 0 and loads the file
    // named by FILE_PATH, when there is one.
    void InitCalibration();
    // Shows message 144, 145 or asks 163 as needed; false leaves the
    // calibration in force unchanged.
    bool LoadCalibration(const std::string& path);
    // Writes the record to the chosen path (an empty path is a cancelled
    // dialog); remembers the path in FILE_PATH and clears modified.
    bool SaveCalibration(const std::string& path);
    // Rebuilds the exception mask for the angle; none without regions.
    void BuildExceptionMask(float angle);

    Point CameraToLayout(int x, int y) const;
    Point LayoutToCamera(int x, int y) const;

    CalibrationRecord record() const;
    RotatedOutline outline() const;
    // The mask for frames of the current size, or null.
    ExceptionMask exceptionMask() const;

    bool calibrated() const { return calibrated_.load(); }
    void setCalibrated(bool valid) { calibrated_.store(valid); }
    bool calibrating() const { return calibrating_.load(); }
    bool modified() const { return modified_.load(); }
    bool hasExceptionRegions() const { return layout_.exceptions.polylineCount() > 0; }

    // The camera's frame size, as the detector found it on its first frame;
    // a size other than the calibration's makes the calibration invalid.
    void frameSizeChanged(int width, int height);
    int currentWidth() const { return currentWidth_.load(); }
    int currentHeight() const { return currentHeight_.load(); }

    // ---- the calibration run
    // Forgets the rectangle, marks the calibration invalid and in progress.
    void beginRun();
    // Ends the run (it sets calibrating first so a waiting thread may leave).
    void stopCalibrating() { calibrating_.store(false); }
    // Takes one sample into the rectangle.
    void widenRectangle(int x, int y);
    // A completed run makes the calibration valid (when it can map points)
    // and modified. Either way the current frame size becomes its own.
    void finishRun(bool completed);

    // ---- the angle correction
    void setMarker(int x, int y);
    // The outline as it would look at this angle (while dragging).
    void previewAngle(float angle);
    // Takes the angle: outline, mask when there are regions, modified.
    void setAngle(float angle);

    const layout::LayoutModel& layout() const { return layout_; }
    const Settings& settings() const { return settings_; }

private:
    void rebuildOutlineLocked(double angle);
    void rebuildMaskLocked(double angle);

    Frontend& frontend_;
    const Settings& settings_;
    const layout::LayoutModel& layout_;

    mutable std::mutex mutex_;
    CalibrationRecord record_;
    RotatedOutline outline_;
    ExceptionMask mask_;

    std::atomic<bool> calibrated_{false};
    std::atomic<bool> calibrating_{false};
    std::atomic<bool> modified_{false};
    std::atomic<int> currentWidth_{0};
    std::atomic<int> currentHeight_{0};
};

} // namespace vardo::vision
