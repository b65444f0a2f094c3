// planwerk-run as a program: scripts, the JSON state, the export command,
// and the round trip of the sample trace through Vardo's loader and a
// simulated run.
#include "editor_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/wait.h>

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

// Runs a program with VARDO_HOME set, collecting its output in files.
Outcome run(const TempFolder& dir, const std::string& home, const std::string& program,
            const std::string& args)
{
    std::string out = dir.file("stdout.txt"), err = dir.file("stderr.txt");
    std::string command = "VARDO_HOME=" + shellQuoted(home) + " " + shellQuoted(program) + " " +
                          args + " >" + shellQuoted(out) + " 2>" + shellQuoted(err) + " </dev/null";
    int status = std::system(command.c_str());
    Outcome r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readText(out);
    r.err = readText(err);
    return r;
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
