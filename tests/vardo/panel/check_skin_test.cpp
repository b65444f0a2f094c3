// vardo-run check-skin as a skin maker runs it.
#include "run_program.h"
#include "skin_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

struct Result {
    int status = -1;
    std::string out;
};

// vardo-run check-skin ARGS (a shell line): the exit code, with stdout and
// stderr as one text.
Result run(const std::string& args)
{
    const auto r =
        vardo::testing::runShell(VARDO_RUN_PATH, "check-skin " + args + " 2>&1");
    return {r.exitCode, r.out};
}

} // namespace

TEST(CheckSkin, ReportsAShippedSkinAsJson)
{
    const Result r = run("3 --json");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("\"skin\": 3"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"handle\": \"handle.bmp\""), std::string::npos);
    for (const char* key : {"\"panelSize\"", "\"positions\"", "\"pictureSizes\"", "\"jogRadius\"",
                            "\"jogCentre\"", "\"jogAngles\"", "\"region\""})
        EXPECT_NE(r.out.find(key), std::string::npos) << key;
}

TEST(CheckSkin, ReportsAFolderAndRefusesABrokenOne)
{
    vardo::testing::TempDir dir;
    paneltest::writeSkin(dir, "good");
    const Result good = run(dir.file("good"));
    ASSERT_EQ(good.status, 0) << good.out;
    EXPECT_NE(good.out.find("Panel size: 440 x 200"), std::string::npos) << good.out;
    EXPECT_NE(good.out.find("(5, 5) control1.bmp 40 x 40"), std::string::npos) << good.out;
    paneltest::writeSkin(dir, "broken", paneltest::skinWith([](auto& s) { s.missingPicture = 4; }));
    const Result broken = run(dir.file("broken") + " --json");
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.out.find("コントローラー画像の読み込みに失敗しました。"), std::string::npos)
        << broken.out;
    EXPECT_EQ(run(dir.file("absent")).status, 1);
}
