// The sound engine and the extended interface as the assembly builds,
// starts, wires and stops them: headless, with the dummy audio driver and
// the emulated board on a pseudo-terminal.
#include "board_emulator.h"
#include "oval_track.h"
#include "program_description.h"
#include "recording_frontend.h"
#include "temp_dir.h"
#include "wait_until.h"

#include "common/byte_io.h"
#include "common/string_table.h"
#include "layoutdata/layout_files.h"
#include "vardo/app/assembly.h"
#include "vardo/app/device_components.h"
#include "vardo/base/command_ids.h"
#include "vardo/operation/program_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace vardo;
using vardo::testing::RecordingFrontend;
using vardo::testing::TempDir;

namespace {

void putLe(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(char((value >> (8 * i)) & 0xFF));
}

// A mono 16-bit PCM WAV of a loud tone, laid out field by field.
std::string toneWav(int ms)
{
    const int rate = 22050;
    const int frames = rate * ms / 1000;
    std::string data;
    for (int i = 0; i < frames; ++i)
        putLe(data, uint32_t(int16_t(12000 * std::sin(2 * 3.14159265 * 440 * i / rate))), 2);
    std::string wav = "RIFF";
    putLe(wav, uint32_t(36 + data.size()), 4);
    wav += "WAVEfmt ";
    putLe(wav, 16, 4);
    putLe(wav, 1, 2); // PCM
    putLe(wav, 1, 2); // mono
    putLe(wav, rate, 4);
    putLe(wav, rate * 2, 4);
    putLe(wav, 2, 2);
    putLe(wav, 16, 2);
    wav += "data";
    putLe(wav, uint32_t(data.size()), 4);
    return wav + data;
}

using vardo::testing::ovalTrack;

// The oval layout; options are appended to option.ini.
void makeFolder(const TempDir& dir, const std::string& options = "")
{
    dir.write("VARDO.ini", "[SIMULATION]\nSPEED=1\n[CAPTURE]\nLOOP=0\n");
    dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nDEVICE=0\n"
                            "[LAYOUT]\nSURPRESS_MESSAGE=1\n[USB]\nSURPRESS_MESSAGE=1\n" +
                                options);
    dir.write("layout/.keep", "");
    ASSERT_TRUE(layoutdata::writePolylineFile(dir.file("layout/layout.dat"), ovalTrack()));
}

void writeProgram(const TempDir& dir, const std::string& name, const std::string& description)
{
    Program p;
    const auto parsed = mkprogram::parseDescription(description, p);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    p.compact();
    ASSERT_TRUE(common::writeFileAtomic(dir.file(name), serialiseProgram(p)));
}

template <typename Condition> bool waitFor(Condition done, int timeoutMs = 10000)
{
    return vardo::testing::waitUntil(done, std::chrono::milliseconds(timeoutMs));
}

// Sets the audio driver for one test and puts the old one back.
class AudioDriver {
public:
    explicit AudioDriver(const char* driver)
    {
        const char* old = std::getenv("SDL_AUDIODRIVER");
        had_ = old != nullptr;
        if (old)
            old_ = old;
        setenv("SDL_AUDIODRIVER", driver, 1);
    }
    ~AudioDriver()
    {
        if (had_)
            setenv("SDL_AUDIODRIVER", old_.c_str(), 1);
        else
            unsetenv("SDL_AUDIODRIVER");
    }

private:
    bool had_ = false;
    std::string old_;
};

// A program that rings sound 1 repeating and then waits for a long time.
const char* kBellProgram = "Start\nSoundOutput 2 1 0\nTimer 0 60 0\nEndOfOperation\n";

AssemblyParts soundParts(const TempDir& dir)
{
    AssemblyParts parts;
    parts.programPath = dir.file("bell.vpr");
    parts.factories.sound = soundEngineFactory();
    return parts;
}

} // namespace

// The size of a file, 0 when it is missing.
long fileSize(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : long(size);
}

TEST(AssemblyDevices, SoundIsPreparedAtProgramStartAndStoppedByTheEmergencyStop)
{
    // The disk driver writes what the mixer mixed: the file's growth tells
    // how much audio has been played, whatever the machine's load.
    AudioDriver driver("disk");
    TempDir dir;
    const std::string played = dir.file("played.raw");
    setenv("SDL_DISKAUDIOFILE", played.c_str(), 1);
    makeFolder(dir, "[SOUND]\nSOUND_FILE1=bell.wav\n");
    dir.write("sample/sound/bell.wav", toneWav(300));
    writeProgram(dir, "bell.vpr", kBellProgram);
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), soundParts(dir));
    devices::SoundEngine* engine = rail.soundEngine();
    ASSERT_NE(engine, nullptr);
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    EXPECT_TRUE(engine->ready());
    EXPECT_EQ(engine->count(), 1);
    EXPECT_FALSE(engine->isPrepared(1));
    frontend.deliverPostedCommands(); // the simulation
    ASSERT_TRUE(rail.simulation().running());
    rail.autoOperationCommand();
    ASSERT_TRUE(rail.operation().operating());
    EXPECT_TRUE(engine->isPrepared(1));
    // Repeating: it still sounds once twice its 300 ms have been mixed
    // (16-bit stereo).
    ASSERT_TRUE(waitFor([&] { return engine->isPlaying(1); }));
    const long twiceTheSound = engine->sampleRate() * 4 * 600 / 1000;
    const long start = fileSize(played);
    ASSERT_TRUE(waitFor([&] { return fileSize(played) >= start + twiceTheSound; }, 20000));
    EXPECT_TRUE(engine->isPlaying(1));

    rail.detectionHost().stopOperation(); // detection's emergency stop
    EXPECT_FALSE(engine->isPlaying(1));
    EXPECT_TRUE(rail.operation().waitForEnd(5000));
    EXPECT_EQ(rail.operation().endReason(), EndReason::Emergency);
    rail.shutdown();
    unsetenv("SDL_DISKAUDIOFILE");
}

TEST(AssemblyDevices, WithoutAudioStartUpGoesOnAndAProgramWithSoundsRunsSilently)
{
    AudioDriver driver("no-such-driver");
    TempDir dir;
    makeFolder(dir, "[SOUND]\nSOUND_FILE1=bell.wav\n");
    dir.write("sample/sound/bell.wav", toneWav(300));
    writeProgram(dir, "bell.vpr", kBellProgram);
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), soundParts(dir));
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    EXPECT_EQ(frontend.quitRequests(), 0);
    // The library's reason (184), then 183 once.
    const auto texts = frontend.messageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1], std::string(common::messageText(common::msg::SoundClassInitFailed)));
    frontend.deliverPostedCommands();
    rail.autoOperationCommand();
    EXPECT_TRUE(rail.operation().operating());
    EXPECT_EQ(frontend.messageTexts().size(), 2u);
    rail.shutdown();
}

TEST(AssemblyDevices, WithoutAudioAProgramWhoseSoundFileIsGoneDoesNotStart)
{
    AudioDriver driver("no-such-driver");
    TempDir dir;
    makeFolder(dir, "[SOUND]\nSOUND_FILE1=gone.wav\n");
    writeProgram(dir, "bell.vpr", kBellProgram);
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), soundParts(dir));
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    frontend.deliverPostedCommands();
    rail.autoOperationCommand();
    EXPECT_FALSE(rail.operation().operating());
    EXPECT_EQ(rail.operation().endReason(), EndReason::SoundFailed);
    rail.shutdown();
}

namespace {

// The emulated board with servos, named as COM 2 in option.ini.
std::string servoOptions(const boardsim::BoardEmulator& board, const std::string& servo = "")
{
    return "[SERVO]\nCOM_NO=2\n" + servo + "[SERIAL]\nCOM2=" + board.devicePath() + "\n";
}

AssemblyParts extendedParts(std::vector<std::string>& traffic, std::mutex& mutex)
{
    AssemblyParts parts;
    devices::ExtendedTiming timing;
    timing.speedOutputOpenMs = 10;
    timing.sensorPollMs = 10;
    parts.factories.extended = extendedInterfaceFactory(timing);
    parts.hooks.extendedTraffic = [&](const std::string& t) {
        std::lock_guard lock(mutex);
        traffic.push_back(t);
    };
    return parts;
}

} // namespace

TEST(AssemblyDevices, TheExtendedInterfaceComesUpOnTheBoardAndGoesDownWithIt)
{
    boardsim::Options options;
    options.servo = true;
    boardsim::BoardEmulator board(options);
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    TempDir dir;
    // The speed servo 6 and the turntable servo 1 are driven.
    makeFolder(dir, servoOptions(board, "SPEED_SERVO=134\nTURN_SERVO=129\n"));
    std::vector<std::string> traffic;
    std::mutex mutex;
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), extendedParts(traffic, mutex));
    devices::ExtendedInterface* ext = rail.extendedInterface();
    ASSERT_NE(ext, nullptr);
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    EXPECT_TRUE(ext->isOpen());
    EXPECT_TRUE(frontend.messageTexts().empty());
    // Start-up: the speed servo's torque on, the turntable's compliance.
    ASSERT_TRUE(waitFor([&] { return board.servo(6).torque; }));
    ASSERT_TRUE(waitFor([&] { return board.servo(1).writes >= 1; }));
    {
        std::lock_guard lock(mutex);
        ASSERT_GE(traffic.size(), 2u);
    }

    rail.shutdown();
    EXPECT_FALSE(ext->isOpen());
    // Shutdown switches the speed servo's torque off.
    EXPECT_TRUE(waitFor([&] { return !board.servo(6).torque; }));
    board.requestStop();
}

TEST(AssemblyDevices, ServoTimersReachTheInterfaceThroughTheAssembly)
{
    boardsim::Options options;
    options.servo = true;
    boardsim::BoardEmulator board(options);
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    TempDir dir;
    makeFolder(dir, servoOptions(board));
    std::vector<std::string> traffic;
    std::mutex mutex;
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), extendedParts(traffic, mutex));
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    devices::ExtendedInterface& ext = *rail.extendedInterface();
    for (int id = 1; id <= devices::kMaxServoId; ++id) {
        ext.moveServo(id, 30);
        ASSERT_TRUE(waitFor([&] { return board.servo(id).torque; })) << id;
        const int timer = devices::ExtendedInterface::kFirstTimer + id;
        EXPECT_EQ(frontend.runningTimers().count(timer), 1u) << timer;
        frontend.fireTimer(timer);
        EXPECT_EQ(frontend.runningTimers().count(timer), 0u) << timer;
        EXPECT_TRUE(waitFor([&] { return !board.servo(id).torque; })) << timer;
    }
    rail.shutdown();
    board.requestStop();
}

TEST(AssemblyDevices, AnExtendedInterfaceThatCannotOpenShows221AndStartUpGoesOn)
{
    TempDir dir;
    makeFolder(dir, "[SERVO]\nCOM_NO=3\n[SERIAL]\nCOM3=" + dir.file("no-such-port") + "\n");
    std::vector<std::string> traffic;
    std::mutex mutex;
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), extendedParts(traffic, mutex));
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    EXPECT_FALSE(rail.extendedInterface()->isOpen());
    const auto texts = frontend.messageTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], std::string(common::messageText(common::msg::ExtInitFailed)));
    // Its timers are still one-shots that end.
    frontend.fireTimer(105);
    EXPECT_EQ(frontend.runningTimers().count(105), 0u);
    rail.shutdown();
}

TEST(AssemblyDevices, ThePanelsTurntableButtonsTurnTheBridgeOutsideSimulationOnly)
{
    boardsim::Options options;
    options.servo = true;
    boardsim::BoardEmulator board(options);
    ASSERT_TRUE(board.open());
    ASSERT_TRUE(board.start());
    TempDir dir;
    makeFolder(dir, servoOptions(board, "TURN_SERVO=129\nTURN_SPEED=20\n"
                                        "TURN_POINT2=0,-600,0,0,0,\n"));
    std::vector<std::string> traffic;
    std::mutex mutex;
    RecordingFrontend frontend;
    VardoAssembly rail(frontend, dir.path(), extendedParts(traffic, mutex));
    ASSERT_EQ(rail.start(), StartupOutcome::Started);
    devices::ExtendedInterface& ext = *rail.extendedInterface();
    // In simulation the buttons leave the real bridge alone.
    frontend.deliverPostedCommands();
    ASSERT_TRUE(rail.simulation().running());
    rail.selectTurntableTrack(2);
    EXPECT_EQ(ext.turntableState(), 0);
    rail.stopSimulation();

    rail.selectTurntableTrack(2);
    EXPECT_NE(ext.turntableState() & (1 << 2), 0);
    // From the start position (150.0 degrees) the lower row's angle is used.
    EXPECT_TRUE(waitFor([&] { return board.servo(1).position == -600; }));
    rail.reverseTurntable();
    EXPECT_NE(ext.turntableState() & 1, 0);
    rail.shutdown();
    board.requestStop();
}
