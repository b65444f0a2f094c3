// planwerk-run as a program: scripts, the JSON state, the export command,
// and the round trip of the sample trace through Vardo's loader and a
// simulated run.
#include "editor_fixture.h"
#include "run_program.h"

#include "common/bmp.h"
#include "layoutdata/layout_files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace planwerk::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string shellQuoted(const std::string& s)
{
    return "'" + s + "'";
}

// Runs a program (ARGS a shell line) with HOME as its program folder.
Outcome run(const TempFolder&, const std::string& home, const std::string& program,
            const std::string& args)
{
    const auto r = vardo::testing::runShell(shellQuoted(program) + " " + args,
                                            vardo::testing::inProgramFolder(home));
    return {r.exitCode, r.out, r.err};
}

QJsonObject parse(const std::string& text)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

class PlanwerkRunTest : public ::testing::Test {
protected:
    // A program folder with the shipped settings and a picture.
    void SetUp() override
    {
        fs::copy_file(std::string(VARDO_BIN_DIR) + "/Planwerk.ini", home.file("Planwerk.ini"));
        writeWorkingPicture(home.path());
    }
    Outcome editCommand(const std::string& script, const std::string& options = "")
    {
        std::ofstream(files.file("script.txt")) << script;
        return run(files, home.path(), PLANWERK_RUN_PATH,
                   "edit " + shellQuoted(files.file("script.txt")) + " " + options);
    }

    TempFolder home;
    TempFolder files;
};

TEST_F(PlanwerkRunTest, AnUnknownLineStopsWithItsNumber)
{
    Outcome r =
        editCommand("# comment\n\nmode outer\nclick 100 100\nwobble 3\nclick 200 200\n", "--json");
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("script.txt:5:"));
    EXPECT_EQ(r.out, ""); // no state after a failed script
    EXPECT_EQ(editCommand("click 1\n").status, 2);
    EXPECT_EQ(editCommand("command fly\n").status, 2);
    EXPECT_EQ(editCommand("command point-settings 2 0 0\n").status, 2);
}

TEST_F(PlanwerkRunTest, EditReportsQuestionsAndPrintsTheState)
{
    Outcome r = editCommand("mode outer\nclick 100 240\nclick 540 240\nclick 545 245\n"
                            "answer no\ncommand new\nmode sensor\n",
                            "--json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("message: 他のポイントに近い位置にはポイントは追加できません\n"));
    EXPECT_THAT(
        r.err,
        HasSubstr("question: 現在の外周レイアウトのポイントを破棄して新規作成しますか？ -> no"));
    QJsonObject state = parse(r.out);
    EXPECT_EQ(state["mode"].toString(), "sensor");
    EXPECT_EQ(state["selection"].toInt(), -1);
    EXPECT_EQ(state["snapshotCount"].toInt(), -1);
    EXPECT_TRUE(state["modified"].toObject()["layout"].toBool());
    EXPECT_EQ(state["modified"].toObject().size(), 9);
    QJsonArray outer = state["rows"].toArray()[0].toArray();
    ASSERT_EQ(outer.size(), 2);
    EXPECT_EQ(outer[1].toObject()["sortKey"].toInt(), 180);
    EXPECT_EQ(outer[1].toObject()["centre"].toArray()[0].toInt(), -1);
    EXPECT_TRUE(state["masks"].isArray());
    EXPECT_TRUE(state["exceptions"].isNull());
    EXPECT_TRUE(state["sensors"].isArray());
    EXPECT_EQ(state["trainRect"].toArray().size(), 5);
}

TEST_F(PlanwerkRunTest, ExportWritesOnlyWithYesAndKeepsStaleFilesUnlessAsked)
{
    writeBytes(home.file("layout/mask.dat"), {1});
    Outcome r = run(files, home.path(), PLANWERK_RUN_PATH, "export");
    EXPECT_EQ(r.status, 0);
    EXPECT_THAT(r.err, HasSubstr("-> no"));
    EXPECT_FALSE(fileExists(home.file("layout/point.dat")));

    r = run(files, home.path(), PLANWERK_RUN_PATH, "export --yes");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(fileExists(home.file("layout/point.dat")));
    EXPECT_TRUE(fileExists(home.file("layout/layout.bmp")));
    EXPECT_TRUE(fileExists(home.file("layout/mask.dat")));

    r = run(files, home.path(), PLANWERK_RUN_PATH, "export --yes --delete-stale");
    EXPECT_FALSE(fileExists(home.file("layout/mask.dat")));
}

TEST_F(PlanwerkRunTest, ScriptsEditRegionsAndMarkersWithTheirDialogs)
{
    Outcome r = editCommand("mode mask\nmenu 300 200\nadd-rect\ncommand add-band\n"
                            "mode control\nmenu 100 100\ncommand add-control\n"
                            "control-settings 1 7 0 2 2 1 1\n"
                            "mode crossing\nadd-crossing\ncrossing-settings 1 0 8\n"
                            "mode sensor\nmenu 200 200\nadd-sensor\nsensor-settings 42\n"
                            "sensor-settings 100\ncommand save\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("menu at 300,200: [矩形領域追加] [線形領域追加]"));
    EXPECT_THAT(r.err, HasSubstr("dialog: 踏切設定 barrier=1 light=0 drive=8 -> ok"));
    EXPECT_THAT(r.err, HasSubstr("enter an integer between 0 and 99"));

    layoutdata::MaskFile masks;
    ASSERT_EQ(layoutdata::readMaskFile(home.file("planwerk/mask.dat"), masks),
              layoutdata::ReadStatus::Ok);
    ASSERT_EQ(masks.records.size(), 2u);
    EXPECT_EQ(masks.records[0].corners[0], (Point{250, 150}));
    EXPECT_GT(masks.records[1].width, 0);

    layoutdata::ControlPointFile controls;
    ASSERT_EQ(layoutdata::readControlPointFile(home.file("planwerk/control.dat"), controls),
              layoutdata::ReadStatus::Ok);
    ASSERT_EQ(controls.records.size(), 1u);
    const layoutdata::ControlPointRecord& c = controls.records[0];
    EXPECT_EQ(c.x, 100);
    EXPECT_EQ(c.direction, 1);
    EXPECT_EQ(c.trackAction, 7);
    EXPECT_EQ(c.option, 2);
    EXPECT_EQ(c.relay, 1);
    EXPECT_EQ(c.sound, 2);

    layoutdata::CrossingFile crossings;
    ASSERT_EQ(layoutdata::readCrossingFile(home.file("planwerk/cross.dat"), crossings),
              layoutdata::ReadStatus::Ok);
    ASSERT_EQ(crossings.records.size(), 1u);
    EXPECT_EQ(crossings.records[0].lights, 0);
    EXPECT_EQ(crossings.records[0].drive, 8);

    layoutdata::SensorFile sensors;
    ASSERT_EQ(layoutdata::readSensorFile(home.file("planwerk/sensor.dat"), sensors),
              layoutdata::ReadStatus::Ok);
    ASSERT_EQ(sensors.records.size(), 1u);
    EXPECT_EQ(sensors.records[0].sensitivity, 42);

    EXPECT_EQ(editCommand("mode control\ncontrol-settings 3 0 0 0 0\n").status, 2);
    EXPECT_EQ(editCommand("mode crossing\ncrossing-settings 0 0 1\n").status, 2);
    EXPECT_EQ(editCommand("open-picture a.bmp sideways\n").status, 2);
}

TEST_F(PlanwerkRunTest, PictureCommandsInScriptsAndOnTheirOwn)
{
    common::Bitmap wide;
    wide.width = 1024;
    wide.height = 600;
    wide.bgr.assign(size_t(wide.stride()) * 600, 0);
    for (int y = 0; y < 600; ++y)
        for (int x = 112; x < 1024; ++x)
            wide.pixel(x, y)[1] = 255; // green but for the 112 columns the cut removes
    ASSERT_TRUE(common::writeBitmap(files.file("wide.bmp"), wide));

    Outcome r = run(files, home.path(), PLANWERK_RUN_PATH,
                    "picture " + shellQuoted(files.file("wide.bmp")) + " " +
                        shellQuoted(files.file("out.bmp")));
    ASSERT_EQ(r.status, 0) << r.err;
    common::Bitmap out;
    ASSERT_TRUE(common::readBitmap(files.file("out.bmp"), out));
    EXPECT_EQ(out.width, 640);
    EXPECT_EQ(out.height, 480);
    EXPECT_EQ(out.pixel(0, 0)[1], 255);
    EXPECT_EQ(out.pixel(0, 0)[2], 0);

    writeBytes(files.file("bad.jpg"), {0xFF, 0xD8, 0xFF});
    r = run(files, home.path(), PLANWERK_RUN_PATH,
            "picture " + shellQuoted(files.file("bad.jpg")) + " " +
                shellQuoted(files.file("bad.bmp")));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("画像ファイルの読み込みに失敗しました。"));
    EXPECT_FALSE(fileExists(files.file("bad.bmp")));

    r = editCommand("open-picture " + files.file("wide.bmp") +
                    "\nanswer ok\nresize\nrotate\ncommand save\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err,
                HasSubstr("question: レイアウトと縦横比が異なるため画像をカットします -> ok"));
    common::Bitmap saved;
    ASSERT_TRUE(common::readBitmap(home.file("planwerk/picture.bmp"), saved));
    EXPECT_EQ(saved.width, 640);
    EXPECT_EQ(saved.pixel(639, 479)[1], 255);
}

TEST_F(PlanwerkRunTest, WithoutSettingsFileNothingRuns)
{
    fs::remove(home.file("Planwerk.ini"));
    Outcome r = run(files, home.path(), PLANWERK_RUN_PATH, "export --yes");
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("Planwerk.ini]が見つかりません"));
    EXPECT_FALSE(fileExists(home.file("layout")));
}

// The shipped trace of the sample layout, exported by planwerk-run, loads in
// Vardo without a message, and the first sample program runs on it.
TEST_F(PlanwerkRunTest, SampleTraceRoundTripsThroughVardo)
{
    std::string bin = VARDO_BIN_DIR;
    fs::copy_file(bin + "/planwerk/picture.bmp", home.file("planwerk/picture.bmp"),
                  fs::copy_options::overwrite_existing);
    std::string trace = readText(bin + "/sample/planwerk/trace_sample_layout.txt");
    ASSERT_FALSE(trace.empty());
    Outcome r = editCommand(trace + "command save\nanswer yes\ncommand export\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, Not(HasSubstr("message:")));
    EXPECT_THAT(r.err, Not(HasSubstr("disabled:")));
    // The generated working folder holds the same trace.
    EXPECT_EQ(readText(home.file("planwerk/layout.dat")), readText(bin + "/planwerk/layout.dat"));

    r = run(files, home.path(), VARDO_RUN_PATH,
            "check-layout " + shellQuoted(home.file("layout")) + " --json");
    ASSERT_EQ(r.status, 0) << r.err;
    QJsonObject layout = parse(r.out);
    EXPECT_TRUE(layout["messages"].toArray().isEmpty()) << r.out;
    EXPECT_EQ(layout["polylines"].toInt(), 3);
    ASSERT_EQ(layout["points"].toArray().size(), 3);
    EXPECT_EQ(layout["home"].toArray()[1].toInt(), 410);

    fs::copy_file(bin + "/VARDO.ini", home.file("VARDO.ini"));
    std::string program = bin + "/sample/program/1_lap_platform.vpr";
    r = run(files, home.path(), VARDO_RUN_PATH,
            "run --simulate --agree --seconds 120 --json --program " + shellQuoted(program));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("\"kind\":\"EndOfOperation\""));
    EXPECT_THAT(r.out, HasSubstr("\"type\":\"end\",\"t\":"));
    EXPECT_THAT(r.out, HasSubstr("\"reason\":\"program\"}"));
}

} // namespace
} // namespace planwerk::testing
