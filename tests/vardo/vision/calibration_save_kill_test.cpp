// Saving a calibration killed at random moments: the calibration file and
// option.ini's record of it are each the old file or the new one.
#include "detector_rig.h"
#include "save_kill.h"

#include "common/profile.h"
#include "vardo/vision/calibration_file.h"

#include <gtest/gtest.h>

namespace {

using vardo::vision::CalibrationRecord;
using vardo::vision::ClbStatus;

bool calibrationReadable(const std::string& path)
{
    std::vector<uint8_t> bytes;
    CalibrationRecord record;
    return common::readWholeFile(path, bytes) &&
           vardo::vision::parseCalibrationFile(bytes, record) == ClbStatus::Ok;
}

TEST(CalibrationSaveKill, SaveLeavesTheOldOrTheNewCalibrationAndOptionIni)
{
    vision_fixtures::DetectorRig rig;
    ASSERT_TRUE(rig.calibrate());
    const std::string path = rig.dir.file("saved.clb");
    CalibrationRecord old = vision_fixtures::ovalCalibration();
    old.left = 30;
    ASSERT_TRUE(common::writeFileAtomic(path, vardo::vision::encodeCalibrationFile(old)));
    ASSERT_TRUE(common::Profile::writeString(rig.dir.file("option.ini"), "CALIBRATION", "FILE_PATH",
                                             rig.dir.file("oval.clb")));
    rig.calibration->setAngle(0.5f);

    const auto series = savekill::killSeries(
        {{path, calibrationReadable},
         {rig.dir.file("option.ini"),
          [](const std::string& ini) {
              return common::Profile::hasKey(ini, "CALIBRATION", "FILE_PATH");
          }}},
        [&] { return rig.calibration->SaveCalibration(path); }, 100, 22004);
    savekill::expectSurvivesKills(series, 100);
}

} // namespace
