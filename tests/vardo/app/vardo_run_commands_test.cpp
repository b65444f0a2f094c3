// The vardo-run commands run as a user runs them: the JSON they print and
// the options every one of them shares (--help, the unknown-option error).
#include "program_test_support.h"
#include "run_program.h"
#include "temp_dir.h"

#include "common/byte_io.h"
#include "layoutdata/layout_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using vardo::testing::TempDir;
using Json = nlohmann::ordered_json;

namespace {

using CommandRun = vardo::testing::ProgramResult;

// Runs `vardo-run ARGUMENTS` (a shell line, for quoting) with the folder as
// program folder.
CommandRun runTool(const TempDir& dir, const std::string& arguments)
{
    return vardo::testing::runShell(VARDO_RUN_PATH, arguments,
                                    vardo::testing::inProgramFolder(dir.path()));
}

Json parsed(const std::string& text)
{
    Json j = Json::parse(text, nullptr, false);
    EXPECT_FALSE(j.is_discarded()) << text;
    return j;
}

void writeBytes(const TempDir& dir, const std::string& name, const std::vector<uint8_t>& bytes)
{
    dir.write(name, std::string(bytes.begin(), bytes.end()));
}

// A calibration file laid out field by field.
std::vector<uint8_t> calibrationBytes(uint32_t angleBits)
{
    common::ByteWriter w;
    w.putBytes(".clb", 4);
    w.putI32(1);   // version
    w.putI32(640); // frame size
    w.putI32(480);
    w.putU32(angleBits);
    w.putI32(10); // rectangle left, top, right, bottom
    w.putI32(20);
    w.putI32(300);
    w.putI32(200);
    w.putI32(321); // marker
    w.putI32(-1);
    w.putZeros(64 - w.bytes().size());
    return w.bytes();
}

uint32_t bitsOf(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

TEST(ProgramCommand, PrintsTheProgramAsJsonInFieldOrder)
{
    TempDir dir;
    using vardo::testing::FileRecord;
    // Start, then a timer of version 2 (minutes and seconds, read as seconds).
    const std::vector<FileRecord> records{{1, 0, 0, 0, 1, -1, -1}, {3, 0, 2, 5, -1, 0, -1}};
    writeBytes(dir, "p.vpr", vardo::testing::fileImage(2, records, "\x89\x5e\x93\x5d", 605));

    const CommandRun prog = runTool(dir, "program " + dir.file("p.vpr") + " --json");
    ASSERT_EQ(prog.exitCode, 0) << prog.err;
    const Json j = parsed(prog.out);
    std::vector<std::string> keys;
    for (const auto& item : j.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys,
              (std::vector<std::string>{"version", "count", "virtualTime", "title", "commands"}));
    EXPECT_EQ(j["version"], 2);
    EXPECT_EQ(j["virtualTime"], 605);
    EXPECT_EQ(j["title"], "運転");
    ASSERT_GE(j["commands"].size(), 2u);
    EXPECT_EQ(j["commands"][0]["kind"], "Start");
    EXPECT_EQ(j["commands"][0]["next"], 1);
    EXPECT_EQ(j["commands"][1]["kind"], "Timer");
    EXPECT_EQ(j["commands"][1]["value1"], 125);
    EXPECT_EQ(j["commands"][1]["box"].size(), 2u);
    EXPECT_NE(prog.out.find("\n  \"count\": "), std::string::npos) << "indented by two";
}

TEST(CalibrationCommand, PrintsTheFieldsAsJsonWithTheExactAngle)
{
    TempDir dir;
    writeBytes(dir, "c.clb", calibrationBytes(bitsOf(0.1f)));
    const CommandRun run = runTool(dir, "calibration --json " + dir.file("c.clb"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json j = parsed(run.out);
    EXPECT_EQ(j["status"], "ok");
    EXPECT_EQ(j["frameWidth"], 640);
    EXPECT_EQ(j["bottom"], 200);
    EXPECT_EQ(j["markerX"], 321);
    EXPECT_EQ(j["markerY"], -1);
    EXPECT_EQ(j["angle"].get<float>(), 0.1f) << run.out;
}

TEST(CalibrationCommand, ADamagedAngleStillGivesValidJson)
{
    TempDir dir;
    writeBytes(dir, "nan.clb", calibrationBytes(0x7fc00000u)); // a quiet NaN
    const CommandRun run = runTool(dir, "calibration " + dir.file("nan.clb") + " --json");
    EXPECT_EQ(run.exitCode, 1);
    const Json j = parsed(run.out);
    EXPECT_EQ(j["status"], "unusable values");
    EXPECT_TRUE(j["angle"].is_null()) << run.out;
}

// Every command vardo-run lists in its own help: a new command is checked
// without being added here.
std::vector<std::string> listedCommands(const TempDir& dir)
{
    const CommandRun run = runTool(dir, "--help");
    std::vector<std::string> names;
    std::istringstream lines(run.out);
    std::string line;
    bool inList = false;
    while (std::getline(lines, line)) {
        if (line == "commands:") {
            inList = true;
        } else if (inList && line.rfind("  ", 0) == 0) {
            names.push_back(line.substr(2, line.find(' ', 2) - 2));
        }
    }
    return names;
}

TEST(CommandOptions, EveryCommandHasHelp)
{
    TempDir dir;
    const auto commands = listedCommands(dir);
    ASSERT_GE(commands.size(), 14u);
    for (const std::string& command : commands) {
        const CommandRun run = runTool(dir, command + " --help");
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_EQ(run.out.rfind("usage: vardo-run " + command + " ", 0), 0u) << run.out;
        EXPECT_NE(run.out.find("-h, --help"), std::string::npos) << command;
        EXPECT_TRUE(run.err.empty()) << run.err;
    }
}

TEST(CommandOptions, EveryCommandRefusesAnUnknownOptionAlike)
{
    TempDir dir;
    const auto commands = listedCommands(dir);
    ASSERT_GE(commands.size(), 14u);
    for (const std::string& command : commands) {
        const CommandRun run = runTool(dir, command + " --frobnicate");
        EXPECT_EQ(run.exitCode, 2) << command;
        EXPECT_EQ(run.err.rfind("vardo-run " + command +
                                    ": Unknown option 'frobnicate'.\nusage: vardo-run " + command,
                                0),
                  0u)
            << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
}

TEST(CommandOptions, MissingAndSurplusArgumentsAreUsageErrors)
{
    TempDir dir;
    EXPECT_EQ(runTool(dir, "program").err.rfind("vardo-run program: missing FILE\n", 0), 0u);
    const CommandRun surplus = runTool(dir, "calibration a b");
    EXPECT_EQ(surplus.exitCode, 2);
    EXPECT_EQ(surplus.err.rfind("vardo-run calibration: unexpected argument 'b'\n", 0), 0u);
    const CommandRun noValue = runTool(dir, "analyze frames --diff-level");
    EXPECT_EQ(noValue.exitCode, 2);
    EXPECT_NE(noValue.err.find("Missing value after '--diff-level'"), std::string::npos);
    const CommandRun badValue = runTool(dir, "analyze frames --diff-level ten");
    EXPECT_EQ(badValue.exitCode, 2);
    EXPECT_NE(badValue.err.find("--diff-level needs a whole number"), std::string::npos);
    const CommandRun branches = runTool(dir, "render d out.bmp 3");
    EXPECT_EQ(branches.exitCode, 2) << "point numbers only after --branch";
}

// The usage error of a command, as the shared parser prints it.
bool isUsageError(const CommandRun& run, const std::string& command, const std::string& text)
{
    return run.exitCode == 2 && run.out.empty() &&
           run.err.rfind("vardo-run " + command + ": " + text + "\nusage: vardo-run " + command,
                         0) == 0;
}

TEST(CommandOptions, CommandsThatBringVardoUpListTheirOptions)
{
    TempDir dir;
    const CommandRun run = runTool(dir, "run --help");
    for (const char* option :
         {"--program FILE", "--simulate", "-i VIDEO", "--calibration", "--seconds N", "  -s  ",
          "--clipboard", "--speech-wav", "--json", "--yes", "--no", "--agree"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option << "\n" << run.out;
    const CommandRun calibrate = runTool(dir, "calibrate --help");
    for (const char* option : {"-i VIDEO", "--out FILE.clb", "--angle-marker X,Y", "--seconds N"})
        EXPECT_NE(calibrate.out.find(option), std::string::npos) << option;
    const CommandRun actions = runTool(dir, "actions --help");
    for (const char* option : {"--speed F", "--relay N on|off", "--wait MS", "--turntable T",
                               "--sensor I TIMEOUT", "--servo-id N", "--factory-reset", "--yes"})
        EXPECT_NE(actions.out.find(option), std::string::npos) << option;
}

TEST(CommandOptions, ChecksOfTheRunnerCommandsUseTheOneErrorForm)
{
    TempDir dir;
    EXPECT_TRUE(isUsageError(runTool(dir, "run -i a.avi --simulate"), "run",
                             "-i and --simulate exclude each other"));
    EXPECT_TRUE(
        isUsageError(runTool(dir, "run --calibration a.clb"), "run", "--calibration needs -i"));
    EXPECT_TRUE(isUsageError(runTool(dir, "run --seconds 0"), "run",
                             "--seconds needs a whole number from 1 to 604800, not '0'"));
    EXPECT_TRUE(
        isUsageError(runTool(dir, "run --program"), "run", "Missing value after '--program'."));
    EXPECT_TRUE(isUsageError(runTool(dir, "run stray"), "run", "unexpected argument 'stray'"));
    EXPECT_TRUE(isUsageError(runTool(dir, "calibrate -i a.avi"), "calibrate",
                             "-i VIDEO and --out FILE.clb are needed"));
    EXPECT_TRUE(isUsageError(runTool(dir, "calibrate -i a.avi --out b.clb --angle-marker 3"),
                             "calibrate", "--angle-marker needs X,Y"));
    EXPECT_TRUE(isUsageError(runTool(dir, "actions"), "actions", "nothing to do"));
    EXPECT_TRUE(isUsageError(runTool(dir, "actions --speed 2 1"), "actions",
                             "--speed needs a fraction from 0 to 1"));
    EXPECT_TRUE(isUsageError(runTool(dir, "actions 13"), "actions",
                             "not an action code 0..12 or item: 13"));
    EXPECT_TRUE(isUsageError(runTool(dir, "actions --relay 3 on"), "actions",
                             "--relay needs a relay 7..10 and on or off"));
    // An option among the items is still an option, and an unknown one is refused.
    EXPECT_TRUE(isUsageError(runTool(dir, "actions 1 --wait 5 --bogus 0"), "actions",
                             "Unknown option 'bogus'."));
}

TEST(CommandOptions, NegativeNumbersAreArgumentsNotOptions)
{
    TempDir dir;
    layoutdata::PolylineFile track;
    track.vertexCounts = {4};
    track.vertices = {{100, 100}, {200, 100}, {200, 200}, {100, 200}};
    dir.write("layout/.keep", "");
    ASSERT_TRUE(layoutdata::writePolylineFile(dir.file("layout/layout.dat"), track));
    const CommandRun all = runTool(dir, "nearest " + dir.file("layout") + " -5 -7");
    ASSERT_EQ(all.exitCode, 0) << all.err;
    const CommandRun explicitAll = runTool(dir, "nearest " + dir.file("layout") + " -5 -7 -1");
    ASSERT_EQ(explicitAll.exitCode, 0) << explicitAll.err;
    EXPECT_EQ(all.out, explicitAll.out);
    EXPECT_GE(std::stoi(all.out), 0);
}

TEST(CommandOptions, FileNamesThatAreNotUtf8ReachTheCommandUnchanged)
{
    TempDir dir;
    const std::string name = "\x89\x5e\x93\x5d.clb"; // CP932 bytes, not UTF-8
    dir.write(name, std::string(reinterpret_cast<const char*>(calibrationBytes(0).data()), 64));
    const CommandRun run = runTool(dir, "calibration --json '" + dir.file(name) + "'");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(parsed(run.out)["status"], "ok");
}

} // namespace
