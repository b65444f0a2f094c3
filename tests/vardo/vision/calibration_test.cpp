// The calibration mapping, the calibration file, the angle correction and
// the exception mask.
#include "vardo/vision/angle_correction.h"
#include "vardo/vision/calibration_file.h"
#include "vardo/vision/exception_mask.h"

#include "detector_rig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

using namespace vision_fixtures;
using namespace vardo::vision;
using vardo::Answer;

namespace {

// The oval's extent: x 70..570, y 60..420 (500 x 360). This box has the
// same scale (2) in both directions, so the mappings invert each other.
CalibrationRecord squareScale(float angle)
{
    CalibrationRecord r;
    r.frameWidth = 320;
    r.frameHeight = 240;
    r.angle = angle;
    r.left = 35;
    r.right = 285;
    r.top = 30;
    r.bottom = 210;
    return r;
}

// The file laid out field by field.
std::vector<uint8_t> clbBytes(const char magic[4], int32_t width, int32_t height, float angle,
                              int32_t l, int32_t t, int32_t r, int32_t b, size_t size = 64,
                              int32_t version = 7)
{
    common::ByteWriter w;
    w.putBytes(magic, 4);
    w.putI32(version); // not checked on reading
    w.putI32(width);
    w.putI32(height);
    uint32_t bits;
    std::memcpy(&bits, &angle, 4);
    w.putU32(bits);
    for (int32_t v : {l, t, r, b, 5, 6})
        w.putI32(v);
    w.putZeros(20);
    w.bytes().resize(size);
    return w.bytes();
}

} // namespace

TEST(Mapping, AngleZeroMapsTheBoxOntoTheTrackExtent)
{
    const Extent e{70, 60, 570, 420};
    const CalibrationRecord r = ovalCalibration();
    EXPECT_EQ(CameraToLayout(r, e, 160, 120), (Point{320, 240}));
    for (auto [camera, layout] : {std::pair{Point{20, 20}, Point{70, 60}},
                                  std::pair{Point{300, 220}, Point{570, 420}},
                                  std::pair{Point{300, 20}, Point{570, 60}}}) {
        Point p = CameraToLayout(r, e, camera.x, camera.y);
        EXPECT_NEAR(p.x, layout.x, 1);
        EXPECT_NEAR(p.y, layout.y, 1);
    }
    // Truncation toward zero, not rounding: x = 161 gives 320 + 500/280.
    EXPECT_EQ(CameraToLayout(r, e, 161, 120).x, 321);
    EXPECT_EQ(CameraToLayout(r, e, 159, 120).x, 318);
}

TEST(Mapping, RoundTripsWithinAPixel)
{
    const Extent e{70, 60, 570, 420};
    for (float angle : {0.0f, 0.35f, -1.2f}) {
        const CalibrationRecord r = squareScale(angle);
        for (int x = 40; x < 280; x += 17) {
            for (int y = 35; y < 205; y += 13) {
                Point l = CameraToLayout(r, e, x, y);
                Point c = LayoutToCamera(r, e, l.x, l.y);
                EXPECT_LE(std::abs(c.x - x), 1) << angle << " " << x << "," << y;
                EXPECT_LE(std::abs(c.y - y), 1) << angle << " " << x << "," << y;
            }
        }
    }
}

TEST(Mapping, DegenerateBoxOrExtentNeitherDividesByZeroNorCounts)
{
    const Extent e{70, 60, 570, 420};
    CalibrationRecord r = ovalCalibration();
    EXPECT_TRUE(calibrationUsable(r, e));
    r.right = r.left;
    EXPECT_FALSE(calibrationUsable(r, e));
    EXPECT_EQ(CameraToLayout(r, e, 100, 120).x, 320); // the extent's centre
    EXPECT_FALSE(calibrationUsable(ovalCalibration(), Extent{70, 60, 70, 420}));
    EXPECT_EQ(LayoutToCamera(ovalCalibration(), Extent{70, 60, 70, 420}, 300, 240).x, 160);
    CalibrationRecord unrecorded;
    EXPECT_FALSE(calibrationUsable(unrecorded, e));
    r = ovalCalibration();
    r.angle = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(calibrationUsable(r, e));
    EXPECT_EQ(truncToInt(std::nan("")), 0);
    EXPECT_EQ(truncToInt(1e30L), std::numeric_limits<int>::max());
    EXPECT_EQ(truncToInt(-2.7L), -2);
}

TEST(ClbFile, EncodesSixtyFourBytesFieldByField)
{
    CalibrationRecord r = ovalCalibration();
    r.angle = 0.25f;
    r.markerX = 5;
    r.markerY = 6;
    EXPECT_EQ(encodeCalibrationFile(r),
              clbBytes(".clb", 320, 240, 0.25f, 20, 20, 300, 220, 64, 1));
    CalibrationRecord back;
    int32_t version = 0;
    ASSERT_EQ(parseCalibrationFile(clbBytes(".clb", 320, 240, 0.25f, 20, 20, 300, 220), back,
                                   &version),
              ClbStatus::Ok);
    EXPECT_EQ(version, 7);
    EXPECT_EQ(back, r);
}

TEST(ClbFile, RefusesOtherMagicShortFilesAndUnusableValues)
{
    CalibrationRecord out;
    EXPECT_EQ(parseCalibrationFile(clbBytes(".dat", 320, 240, 0, 20, 20, 300, 220), out),
              ClbStatus::NotCalibration);
    EXPECT_EQ(parseCalibrationFile(clbBytes(".clb", 320, 240, 0, 20, 20, 300, 220, 43), out),
              ClbStatus::Truncated);
    EXPECT_EQ(parseCalibrationFile(clbBytes(".clb", 320, 240, 0, 20, 20, 300, 220, 3), out),
              ClbStatus::Truncated);
    EXPECT_EQ(out, CalibrationRecord{});
    EXPECT_EQ(parseCalibrationFile(clbBytes(".clb", 320, 240, 0, 20, 20, 300, 220, 44), out),
              ClbStatus::Ok);
    EXPECT_EQ(parseCalibrationFile(
                  clbBytes(".clb", 320, 240, std::numeric_limits<float>::infinity(), 20, 20, 300, 220),
                  out),
              ClbStatus::BadValues);
    EXPECT_EQ(parseCalibrationFile(clbBytes(".clb", 320, 240, 0, 20, 220, 300, -1), out),
              ClbStatus::BadValues);
}

TEST(CalibrationFile, SaveAndLoadRoundTripThroughOptionIni)
{
    DetectorRig rig;
    ASSERT_TRUE(rig.calibrate());
    rig.calibration->setAngle(0.5f);
    EXPECT_TRUE(rig.calibration->modified());
    const std::string path = rig.dir.file("saved.clb");
    ASSERT_TRUE(rig.calibration->SaveCalibration(path));
    EXPECT_FALSE(rig.calibration->modified());
    EXPECT_EQ(rig.settings.getString(vardo::SettingId::CalibrationFilePath), path);

    DetectorRig other;
    other.dir.write("option.ini", "[CALIBRATION]\nFILE_PATH=" + path + "\n");
    other.calibration->InitCalibration();
    EXPECT_TRUE(other.calibration->calibrated());
    EXPECT_EQ(other.calibration->record(), rig.calibration->record());
    EXPECT_FALSE(other.calibration->modified());
    EXPECT_TRUE(other.frontend.messageTexts().empty());
}

TEST(CalibrationFile, FailuresShowTheirMessageAndKeepTheCalibration)
{
    DetectorRig rig;
    ASSERT_TRUE(rig.calibrate());
    const CalibrationRecord before = rig.calibration->record();

    EXPECT_FALSE(rig.calibration->LoadCalibration(rig.dir.file("missing.clb")));
    rig.dir.write("other.clb", std::string(64, 'x'));
    EXPECT_FALSE(rig.calibration->LoadCalibration(rig.dir.file("other.clb")));
    auto shortFile = clbBytes(".clb", 320, 240, 0, 1, 2, 3, 4, 40);
    rig.dir.write("short.clb", std::string(shortFile.begin(), shortFile.end()));
    EXPECT_FALSE(rig.calibration->LoadCalibration(rig.dir.file("short.clb")));
    EXPECT_FALSE(rig.calibration->SaveCalibration(rig.dir.file("no/such/folder/x.clb")));
    EXPECT_FALSE(rig.calibration->SaveCalibration("")); // dialog cancelled

    EXPECT_EQ(rig.frontend.messageTexts(),
              (std::vector<std::string>{"キャリブレーションの読込みに失敗しました",
                                        "このファイルはキャリブレーションファイルではありません",
                                        "キャリブレーションの読込みに失敗しました",
                                        "キャリブレーションの保存に失敗しました"}));
    EXPECT_EQ(rig.calibration->record(), before);
    EXPECT_TRUE(rig.calibration->calibrated());
}

TEST(CalibrationFile, SizeQuestionOnlyWhenBothSidesDiffer)
{
    DetectorRig rig;
    const std::string big = rig.dir.file("big.clb"), wide = rig.dir.file("wide.clb");
    CalibrationRecord r = ovalCalibration();
    r.frameWidth = 640;
    r.frameHeight = 480;
    common::writeFileAtomic(big, encodeCalibrationFile(r));
    r.frameHeight = 240;
    common::writeFileAtomic(wide, encodeCalibrationFile(r));

    // No frame yet: nothing to compare with.
    EXPECT_TRUE(rig.calibration->LoadCalibration(big));
    EXPECT_TRUE(rig.frontend.questions().empty());

    rig.calibration->frameSizeChanged(320, 240);
    rig.frontend.queueAnswer(Answer::No);
    EXPECT_FALSE(rig.calibration->LoadCalibration(big));
    ASSERT_EQ(rig.frontend.questions().size(), 1u);
    EXPECT_EQ(rig.frontend.questions()[0], common::messageText(common::msg::CalibrationSizeMismatch));
    rig.frontend.queueAnswer(Answer::Yes);
    EXPECT_TRUE(rig.calibration->LoadCalibration(big));
    EXPECT_TRUE(rig.calibration->calibrated());

    rig.calibration->frameSizeChanged(640, 480);
    EXPECT_TRUE(rig.calibration->LoadCalibration(wide));
    EXPECT_EQ(rig.frontend.questions().size(), 2u);
    EXPECT_TRUE(rig.frontend.messageTexts().empty());
}

TEST(AngleCorrection, MarkerBelowTheCentreGivesAngleZero)
{
    DetectorRig rig;
    AngleCorrection ac(*rig.calibration);
    EXPECT_FALSE(ac.OpenAngleCorrection(false)) << "needs a valid calibration";
    ASSERT_TRUE(rig.calibrate());
    rig.calibration->frameSizeChanged(320, 240);
    EXPECT_FALSE(ac.OpenAngleCorrection(true)) << "not while a program runs";
    ASSERT_TRUE(ac.OpenAngleCorrection(false));
    EXPECT_FALSE(ac.enabled(false)) << "already open";
    EXPECT_EQ(ac.marker(), (Point{160, 240}));
    ac.AngleCorrectionOk();
    EXPECT_NEAR(rig.calibration->record().angle, 1.570795 - M_PI / 2, 1e-6);
    EXPECT_TRUE(rig.calibration->modified());
    EXPECT_EQ(rig.calibration->CameraToLayout(160, 120), (Point{320, 240}));
    Point corner = rig.calibration->CameraToLayout(300, 220);
    EXPECT_NEAR(corner.x, 570, 1);
    EXPECT_NEAR(corner.y, 420, 1);
}

TEST(AngleCorrection, DraggingFollowsTheMarkerOkTakesItCancelKeepsTheOld)
{
    DetectorRig rig;
    ASSERT_TRUE(rig.calibrate());
    rig.calibration->frameSizeChanged(320, 240);
    AngleCorrection ac(*rig.calibration);
    ASSERT_TRUE(ac.OpenAngleCorrection(false));
    ac.AngleCorrectionMouse(MouseKind::Move, {10, 10}); // not dragging: ignored
    EXPECT_EQ(ac.marker(), (Point{160, 240}));
    ac.AngleCorrectionMouse(MouseKind::LeftDown, {320, 120});
    EXPECT_NEAR(ac.previewAngle(), 1.570795, 1e-6);
    ac.AngleCorrectionMouse(MouseKind::Move, {160, 0});
    EXPECT_NEAR(ac.previewAngle(), 1.570795 + M_PI / 2, 1e-5);
    const RotatedOutline turned = rig.calibration->outline();
    ac.AngleCorrectionMouse(MouseKind::LeftUp, {100, 200});
    EXPECT_EQ(ac.marker(), (Point{100, 200}));
    EXPECT_EQ(rig.calibration->outline().points, turned.points) << "the outline stays";
    ac.AngleCorrectionCancel();
    EXPECT_FLOAT_EQ(rig.calibration->record().angle, 0.0f);
    EXPECT_FALSE(rig.calibration->modified());

    ASSERT_TRUE(ac.OpenAngleCorrection(false));
    ac.AngleCorrectionMouse(MouseKind::LeftDown, {320, 120});
    ac.AngleCorrectionMouse(MouseKind::LeftUp, {320, 120});
    ac.AngleCorrectionOk();
    EXPECT_NEAR(rig.calibration->record().angle, 1.570795, 1e-6);
    EXPECT_EQ(rig.calibration->record().markerX, 320);
    EXPECT_TRUE(rig.calibration->modified());
}

TEST(AngleCorrection, CancelDropsTheDraggedMarker)
{
    DetectorRig rig;
    ASSERT_TRUE(rig.calibrate());
    rig.calibration->frameSizeChanged(320, 240);
    AngleCorrection ac(*rig.calibration);
    ASSERT_TRUE(ac.OpenAngleCorrection(false));
    // The window shows the marker where it is dragged, through the
    // calibration, as the drag goes.
    for (auto [kind, p] : {std::pair{MouseKind::LeftDown, Point{300, 100}},
                           std::pair{MouseKind::Move, Point{310, 90}},
                           std::pair{MouseKind::LeftUp, Point{310, 90}}}) {
        ac.AngleCorrectionMouse(kind, p);
        rig.calibration->setMarker(ac.marker().x, ac.marker().y);
    }
    ac.AngleCorrectionCancel();
    EXPECT_EQ(rig.calibration->record().markerX, 160);
    EXPECT_EQ(rig.calibration->record().markerY, 240);
    EXPECT_EQ(ac.marker(), (Point{160, 240}));
    EXPECT_FALSE(rig.calibration->modified());

    // A save after the Cancel stores the marker from before the drag.
    const std::string path = rig.dir.file("after_cancel.clb");
    ASSERT_TRUE(rig.calibration->SaveCalibration(path));
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    CalibrationRecord saved;
    ASSERT_EQ(parseCalibrationFile(bytes, saved), ClbStatus::Ok);
    EXPECT_EQ(saved.markerX, 160);
    EXPECT_EQ(saved.markerY, 240);
}

TEST(Outline, EveryThirtySecondPositionRotatedAboutTheExtentCentre)
{
    DetectorRig rig(true); // 1400 loop positions and a 100-position siding
    RotatedOutline o = buildRotatedOutline(rig.layout.track(), 0.0);
    EXPECT_EQ(o.lineCounts, (std::vector<int>{44, 4}));
    // The siding widens the extent to x 70..600: centre (335, 240).
    EXPECT_EQ(o.points[0], (Point{235, 0}));
    EXPECT_EQ(o.rotatedExtent.xmax, 235);
    // Position 704 lies at x 70: -265 + 0.5 is cut toward zero, not floored.
    EXPECT_EQ(o.rotatedExtent.xmin, -264);
    RotatedOutline half = buildRotatedOutline(rig.layout.track(), M_PI / 2);
    // A quarter turn: X' = y - yc, Y' = -(x - xc), with the same cut.
    EXPECT_EQ(half.points[0], (Point{0, -234}));
    EXPECT_EQ(half.rotatedExtent.ymin, -234);
}

TEST(ExceptionMask, FillsTheProjectedRegionBottomUp)
{
    DetectorRig rig;
    rig.layout.exceptions = polylines({{{100, 100}, {300, 100}, {300, 200}, {100, 200}}});
    ASSERT_TRUE(rig.calibrate());
    rig.feed(Frame(320, 240));
    ExceptionMask mask = rig.calibration->exceptionMask();
    ASSERT_TRUE(mask);
    ASSERT_EQ(mask->size(), 320u * 240u);
    auto at = [&](int x, int y) { return (*mask)[size_t(239 - y) * 320 + size_t(x)]; };
    EXPECT_EQ(at(80, 60), 1);
    EXPECT_EQ(at(40, 46), 1);
    EXPECT_EQ(at(145, 95), 1);
    EXPECT_EQ(at(80, 110), 0);
    EXPECT_EQ(at(200, 150), 0);
    EXPECT_EQ(at(30, 60), 0);
}

TEST(ExceptionMask, AlternateRuleLeavesTheStarsCentreOpen)
{
    // A pentagram round the layout centre, drawn as one region.
    layoutdata::PolylineFile star;
    star.vertexCounts.push_back(5);
    for (int k = 0; k < 5; ++k) {
        double a = -M_PI / 2 + k * 4 * M_PI / 5;
        star.vertices.push_back({int(320 + 150 * std::cos(a)), int(240 + 150 * std::sin(a))});
    }
    MaskGeometry g;
    g.trackExtent = {70, 60, 570, 420};
    g.rotatedExtent = {-250, -180, 250, 180};
    g.left = 20;
    g.top = 20;
    g.right = 300;
    g.bottom = 220;
    g.frameWidth = 320;
    g.frameHeight = 240;
    std::vector<uint8_t> mask;
    ASSERT_TRUE(buildMask(star, g, mask));
    auto at = [&](int x, int y) { return mask[size_t(239 - y) * 320 + size_t(x)]; };
    EXPECT_EQ(at(160, 120), 0); // the centre is covered twice
    EXPECT_EQ(at(160, 45), 1);  // the upper tip (layout y 105)
    EXPECT_FALSE(buildMask(layoutdata::PolylineFile{}, g, mask));
    g.rotatedExtent = {0, 0, 0, 180};
    EXPECT_FALSE(buildMask(star, g, mask));
    EXPECT_TRUE(mask.empty());
}
