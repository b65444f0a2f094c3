// The atomic writer: its steps, what it keeps of the old file, and what it
// leaves behind when a replacement cannot be made.
#include "common/atomic_file.h"
#include "common/byte_io.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <vector>

using namespace common;
namespace fs = std::filesystem;

namespace {

std::vector<WriteStep> seenSteps;
void recordStep(WriteStep s)
{
    seenSteps.push_back(s);
}

std::string readText(const std::string& path)
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(readWholeFile(path, bytes));
    return std::string(bytes.begin(), bytes.end());
}

int entriesIn(const std::string& folder)
{
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder))
        ++n;
    return n;
}

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

class HookedWrite : public ::testing::Test {
protected:
    void SetUp() override
    {
        seenSteps.clear();
        setWriteStepHook(&recordStep);
    }
    void TearDown() override { setWriteStepHook(nullptr); }
    vardo::testing::TempDir dir;
};

TEST_F(HookedWrite, LargeFilesGoOutInChunksBeforeTheFlushAndTheRename)
{
    const std::string text(2 * kWriteChunkSize + 10, 'a');
    ASSERT_TRUE(writeFileAtomic(dir.file("big.ini"), text));
    EXPECT_EQ(seenSteps, (std::vector<WriteStep>{WriteStep::CreateTemporary, WriteStep::WriteChunk,
                                                 WriteStep::WriteChunk, WriteStep::WriteChunk,
                                                 WriteStep::Flush, WriteStep::Rename,
                                                 WriteStep::FlushFolder}));
    EXPECT_EQ(readText(dir.file("big.ini")), text);

    // An empty file is still created, flushed and renamed.
    seenSteps.clear();
    ASSERT_TRUE(writeFileAtomic(dir.file("empty"), std::string()));
    EXPECT_EQ(seenSteps, (std::vector<WriteStep>{WriteStep::CreateTemporary, WriteStep::Flush,
                                                 WriteStep::Rename, WriteStep::FlushFolder}));
    EXPECT_EQ(fs::file_size(dir.file("empty")), 0u);
}

TEST_F(HookedWrite, AFailedRenameKeepsTheOldTargetAndLeavesNoTemporary)
{
    // A folder where the file should go: the rename is refused.
    fs::create_directory(dir.file("taken"));
    ASSERT_TRUE(writeFileAtomic(dir.file("keep.txt"), std::string("old")));
    const int before = entriesIn(dir.path());
    EXPECT_FALSE(writeFileAtomic(dir.file("taken"), std::string("new")));
    EXPECT_TRUE(fs::is_directory(dir.file("taken")));
    EXPECT_EQ(entriesIn(dir.path()), before);
    EXPECT_EQ(seenSteps.back(), WriteStep::Rename);

    // A missing folder fails before anything is written.
    seenSteps.clear();
    EXPECT_FALSE(writeFileAtomic(dir.file("no/such/folder/x"), std::string("x")));
    EXPECT_EQ(seenSteps, std::vector<WriteStep>{WriteStep::CreateTemporary});
    EXPECT_EQ(readText(dir.file("keep.txt")), "old");
}

TEST(AtomicFile, AnExistingFileKeepsItsPermissionsAndANewOneIsReadableByAll)
{
    vardo::testing::TempDir dir;
    const std::string secret = dir.file("secret.ini");
    ASSERT_TRUE(writeFileAtomic(secret, std::string("a=1\n")));
    EXPECT_EQ(modeOf(secret), 0644u);
    ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
    ASSERT_TRUE(writeFileAtomic(secret, std::string("a=2\n")));
    EXPECT_EQ(modeOf(secret), 0600u);
    EXPECT_EQ(readText(secret), "a=2\n");
}

TEST(AtomicFile, ALinkIsFollowedAndStaysALink)
{
    vardo::testing::TempDir dir;
    fs::create_directory(dir.file("real"));
    ASSERT_TRUE(writeFileAtomic(dir.file("real/option.ini"), std::string("old")));
    fs::create_symlink(dir.file("real/option.ini"), dir.file("option.ini"));
    ASSERT_TRUE(writeFileAtomic(dir.file("option.ini"), std::string("new")));
    EXPECT_TRUE(fs::is_symlink(dir.file("option.ini")));
    EXPECT_EQ(readText(dir.file("real/option.ini")), "new");
}

TEST(AtomicFile, CopyReplacesTheTargetOnlyWhenTheSourceIsRead)
{
    vardo::testing::TempDir dir;
    ASSERT_TRUE(writeFileAtomic(dir.file("source.dat"), std::string("source")));
    ASSERT_TRUE(writeFileAtomic(dir.file("target.dat"), std::string("target")));
    EXPECT_FALSE(copyFileAtomic(dir.file("missing.dat"), dir.file("target.dat")));
    EXPECT_EQ(readText(dir.file("target.dat")), "target");
    ASSERT_TRUE(copyFileAtomic(dir.file("source.dat"), dir.file("target.dat")));
    EXPECT_EQ(readText(dir.file("target.dat")), "source");
    EXPECT_EQ(readText(dir.file("source.dat")), "source");
}

} // namespace
