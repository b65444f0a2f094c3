#pragma once
// A detector with its calibration, layout and train state, fed with frames
// built in code.
#include "vardo/base/command_ids.h"
#include "vardo/vision/calibration_file.h"
#include "vardo/vision/detector.h"

#include "recording_frontend.h"
#include "temp_dir.h"
#include "vision_fixtures.h"

#include "common/byte_io.h"

#include <memory>

namespace vision_fixtures {

// The camera box that the oval layout's track fills at angle 0.
inline vardo::vision::CalibrationRecord ovalCalibration()
{
    vardo::vision::CalibrationRecord r;
    r.frameWidth = 320;
    r.frameHeight = 240;
    r.left = 20;
    r.top = 20;
    r.right = 300;
    r.bottom = 220;
    return r;
}

struct DetectorRig {
    vardo::testing::TempDir dir;
    vardo::testing::RecordingFrontend frontend;
    vardo::Settings settings{dir.file("VARDO.ini"), dir.file("option.ini")};
    vardo::layout::LayoutModel layout;
    vardo::TrainState train;
    FakeHost host;
    std::unique_ptr<vardo::vision::Calibration> calibration;
    std::unique_ptr<vardo::vision::Detector> detector;

    explicit DetectorRig(bool siding = false)
    {
        buildOval(layout, siding);
        layout.computeHomePositions(settings.path(vardo::IniFile::Vardo),
                                    settings.path(vardo::IniFile::Option));
        calibration = std::make_unique<vardo::vision::Calibration>(frontend, settings, layout);
        detector = std::make_unique<vardo::vision::Detector>(host.roles(), frontend, *calibration,
                                                             layout, train, dir.path());
        detector->setSettings(vardo::vision::DetectorSettings::read(settings));
    }

    void configure(void (*change)(vardo::vision::DetectorSettings&))
    {
        vardo::vision::DetectorSettings s = detector->settings();
        change(s);
        detector->setSettings(s);
    }

    bool calibrate(const vardo::vision::CalibrationRecord& r = ovalCalibration())
    {
        const std::string path = dir.file("oval.clb");
        common::writeFileAtomic(path, vardo::vision::encodeCalibrationFile(r));
        return calibration->LoadCalibration(path);
    }

    void feed(const Frame& f) { detector->AnalyzeFrame(f.bytes, f.width, f.height); }

    // A block centred on the camera point of a layout point.
    Frame trainAt(Point layoutPoint, int size = 10)
    {
        Frame f(320, 240);
        Point c = calibration->LayoutToCamera(layoutPoint.x, layoutPoint.y);
        f.fill(c.x - size / 2, c.y - size / 2, size, size);
        return f;
    }

    Point position() const
    {
        auto p = train.position(0);
        return {p.x, p.y};
    }
};

} // namespace vision_fixtures
