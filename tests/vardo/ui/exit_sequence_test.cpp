#include "recording_frontend.h"
#include "vardo/ui/exit_sequence.h"

#include <gtest/gtest.h>

using namespace vardo;
using namespace vardo::ui;

namespace {

const char* kCalibrationQuestion =
    "キャリブレーションデータが更新されています。キャリブレーションデータを保存しますか？";
const char* kProgramQuestion = "プログラムが編集されています。プログラムを保存しますか？";

struct Saves {
    int calibrationSaves = 0;
    int programSaves = 0;
    bool calibrationOk = true;
    bool programOk = true;
    ExitSaves make(bool calibrationModified, bool programModified)
    {
        ExitSaves s;
        s.calibrationModified = calibrationModified;
        s.programModified = programModified;
        s.saveCalibration = [this] { return ++calibrationSaves, calibrationOk; };
        s.saveProgram = [this] { return ++programSaves, programOk; };
        return s;
    }
};

} // namespace

TEST(ExitSequence, NothingChangedClosesWithoutAsking)
{
    vardo::testing::RecordingFrontend frontend;
    Saves saves;
    EXPECT_EQ(askBeforeExit(frontend, saves.make(false, false)), ExitDecision::Close);
    EXPECT_TRUE(frontend.questions().empty());
}

TEST(ExitSequence, BothQuestionsInOrderAndBothSaves)
{
    vardo::testing::RecordingFrontend frontend;
    frontend.queueAnswer(Answer::Yes);
    frontend.queueAnswer(Answer::Yes);
    Saves saves;
    EXPECT_EQ(askBeforeExit(frontend, saves.make(true, true)), ExitDecision::Close);
    EXPECT_EQ(frontend.questions(), (std::vector<std::string>{kCalibrationQuestion, kProgramQuestion}));
    EXPECT_EQ(saves.calibrationSaves, 1);
    EXPECT_EQ(saves.programSaves, 1);
}

TEST(ExitSequence, NoMeansCloseWithoutSaving)
{
    vardo::testing::RecordingFrontend frontend;
    frontend.queueAnswer(Answer::No);
    frontend.queueAnswer(Answer::No);
    Saves saves;
    EXPECT_EQ(askBeforeExit(frontend, saves.make(true, true)), ExitDecision::Close);
    EXPECT_EQ(saves.calibrationSaves + saves.programSaves, 0);
}

TEST(ExitSequence, FailedCalibrationSaveCancelsBeforeTheProgramQuestion)
{
    vardo::testing::RecordingFrontend frontend;
    frontend.queueAnswer(Answer::Yes);
    Saves saves;
    saves.calibrationOk = false;
    EXPECT_EQ(askBeforeExit(frontend, saves.make(true, true)), ExitDecision::Cancelled);
    EXPECT_EQ(frontend.questions(), (std::vector<std::string>{kCalibrationQuestion}));
    EXPECT_EQ(saves.programSaves, 0);
}

TEST(ExitSequence, FailedProgramSaveKeepsTheProgramRunning)
{
    vardo::testing::RecordingFrontend frontend;
    frontend.queueAnswer(Answer::Yes);
    Saves saves;
    saves.programOk = false;
    EXPECT_EQ(askBeforeExit(frontend, saves.make(false, true)), ExitDecision::Cancelled);
    EXPECT_EQ(frontend.questions(), (std::vector<std::string>{kProgramQuestion}));
}
