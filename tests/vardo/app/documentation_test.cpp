#include "vardo/app/documentation.h"

#include "recording_frontend.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vardo {
namespace {

using testing::RecordingFrontend;
using testing::TempDir;

const std::string kHelpFailed = "ヘルプドキュメントの表示に失敗しました。";
const std::string kMissing = "ドキュメントがインストールされていません。\nインターネットでドキュメントを参照しますか？";

class DocumentationTest : public ::testing::Test {
protected:
    DocumentOpener opener(bool succeeds)
    {
        return [this, succeeds](const std::string& target) {
            opened.push_back(target);
            return succeeds;
        };
    }
    TempDir dir;
    RecordingFrontend frontend;
    std::vector<std::string> opened;
};

TEST_F(DocumentationTest, InstalledPagesOpenWithoutAsking)
{
    dir.write("doc/index.html", "<html></html>");
    EXPECT_EQ(showDocumentation(frontend, dir.path(), opener(true)), DocumentationResult::OpenedLocal);
    EXPECT_EQ(opened, std::vector<std::string>{dir.file("doc/index.html")});
    EXPECT_TRUE(frontend.questions().empty());
    EXPECT_TRUE(frontend.messages().empty());
}

TEST_F(DocumentationTest, InstalledPagesThatFailToOpenAreReported)
{
    dir.write("doc/index.html", "<html></html>");
    EXPECT_EQ(showDocumentation(frontend, dir.path(), opener(false)), DocumentationResult::Failed);
    EXPECT_EQ(frontend.messageTexts(), std::vector<std::string>{kHelpFailed});
    EXPECT_TRUE(frontend.questions().empty());
}

TEST_F(DocumentationTest, MissingPagesAskForTheWeb)
{
    frontend.queueAnswer(Answer::Yes);
    EXPECT_EQ(showDocumentation(frontend, dir.path(), opener(true)), DocumentationResult::OpenedWeb);
    EXPECT_EQ(frontend.questions(), std::vector<std::string>{kMissing});
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], common::messageText(common::msg::DocumentationUrl));
    EXPECT_EQ(opened[0].rfind("https://", 0), 0u);
    EXPECT_TRUE(frontend.messages().empty());
}

TEST_F(DocumentationTest, MissingPagesDeclinedOpenNothing)
{
    frontend.queueAnswer(Answer::No);
    EXPECT_EQ(showDocumentation(frontend, dir.path(), opener(true)), DocumentationResult::Declined);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(frontend.messages().empty());
}

TEST_F(DocumentationTest, WebPageThatFailsToOpenIsReported)
{
    frontend.queueAnswer(Answer::Yes);
    EXPECT_EQ(showDocumentation(frontend, dir.path(), opener(false)), DocumentationResult::Failed);
    EXPECT_EQ(frontend.messageTexts(), std::vector<std::string>{kHelpFailed});
}

} // namespace
} // namespace vardo
