#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <limits>

#include "job/Conversion.h"
#include "support/TestFiles.h"

using namespace quellrin;
using namespace quellrin::test;

namespace {

TEST(ProgressPosition, Table) {
    struct Case {
        std::int64_t size, total;
        int position;
    } cases[] = {
        {0, 0, 0}, // 0/0 is NaN: the indefinite integer's low 32 bits are 0
        {5, 0, 0}, // infinity, likewise
        {0, 100, 0},
        {50, 100, 500},
        {1, 3, 333},        // toward zero
        {1500, 1000, 1500}, // above the maximum: passed on, the bar shows it full
        {1LL << 40, 1LL << 41, 500},
        {std::numeric_limits<std::int64_t>::max(), 1, 0}, // out of range: indefinite
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressPosition(c.size, c.total), c.position) << c.size << "/" << c.total;
}

class CopyCheckTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(MakeFolders(temp_ / "src\\子目录\\深"));
        ASSERT_TRUE(WriteFileBytes(temp_ / "src\\a.bin", "12345"));
        ASSERT_TRUE(WriteFileBytes(temp_ / "src\\子目录\\深\\文件.txt", "abc"));
        ASSERT_TRUE(MakeFolders(temp_ / "copy\\子目录\\深"));
        ASSERT_TRUE(WriteFileBytes(temp_ / "copy\\a.bin", "54321"));
        ASSERT_TRUE(WriteFileBytes(temp_ / "copy\\子目录\\深\\文件.txt", "xyz"));
    }
    Text Check() { return FindCopyDifference(temp_ / "src", temp_ / "copy"); }
    TempFolder temp_{"check"};
};

TEST_F(CopyCheckTest, SameNamesAndSizesMatch) {
    EXPECT_EQ(Check(), ""); // sizes only: no data is read again
    ASSERT_TRUE(WriteFileBytes(temp_ / "copy\\extra", "x"));
    EXPECT_EQ(Check(), "");
}

TEST_F(CopyCheckTest, TheFirstDifferenceIsNamed) {
    ASSERT_TRUE(WriteFileBytes(temp_ / "copy\\子目录\\深\\文件.txt", "ab"));
    EXPECT_EQ(Check(), "文件大小不一致：子目录\\深\\文件.txt");
    DeleteFileA((temp_ / "copy\\子目录\\深\\文件.txt").c_str());
    EXPECT_EQ(Check(), "复制中缺少文件：子目录\\深\\文件.txt");
    RemoveTree(temp_ / "copy\\子目录");
    EXPECT_EQ(Check(), "复制中缺少文件夹：子目录\\");
}

TEST(RemoveFolderCompletely, TakesReadOnlyAndDotNamedEntries) {
    TempFolder temp("remove");
    std::string root = temp / "GTAV";
    ASSERT_TRUE(MakeFolders(root + "\\.hidden\\inner"));
    ASSERT_TRUE(WriteFileBytes(root + "\\.dotfile", "x"));
    ASSERT_TRUE(WriteFileBytes(root + "\\.hidden\\inner\\ro.txt", "x"));
    ASSERT_TRUE(
        SetFileAttributesA((root + "\\.hidden\\inner\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA((root + "\\.hidden").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(RemoveFolderCompletely(root));
    EXPECT_FALSE(Exists(root));
    EXPECT_TRUE(RemoveFolderCompletely(temp / "never-was"));
}

class SwapTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(MakeFolders(copy_ + "\\sub"));
        ASSERT_TRUE(WriteFileBytes(copy_ + "\\sub\\new.txt", "new"));
    }
    void MakeOldGame() {
        ASSERT_TRUE(MakeFolders(game_ + "\\.cfg"));
        ASSERT_TRUE(WriteFileBytes(game_ + "\\old.txt", "old"));
        ASSERT_TRUE(WriteFileBytes(game_ + "\\.cfg\\ro.txt", "old"));
        ASSERT_TRUE(
            SetFileAttributesA((game_ + "\\.cfg\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    }
    TempFolder temp_{"swap"};
    std::string copy_ = temp_ / "临时文件夹", game_ = temp_ / "GTAV";
};

TEST_F(SwapTest, ReplacesAnOldGameFolderInFull) {
    MakeOldGame();
    ASSERT_TRUE(MakeFolders(game_ + ".旧")); // a name already taken beside it
    SwapResult r = SwapInCopy(copy_, game_);
    EXPECT_EQ(r.outcome, SwapOutcome::Done);
    EXPECT_EQ(r.aside, game_ + ".旧2");
    EXPECT_EQ(ListTree(game_), (TreeListing{{"sub", "<dir>"}, {"sub\\new.txt", "new"}}));
    EXPECT_FALSE(Exists(copy_));
    EXPECT_FALSE(Exists(game_ + ".旧2"));
    EXPECT_TRUE(Exists(game_ + ".旧")); // not ours: left alone
}

TEST_F(SwapTest, WithoutAnOldGameFolderTheCopyIsRenamed) {
    EXPECT_EQ(SwapInCopy(copy_, game_).outcome, SwapOutcome::Done);
    EXPECT_TRUE(Exists(game_ + "\\sub\\new.txt"));
}

TEST_F(SwapTest, AFailedRenamePutsTheOldFolderBack) {
    MakeOldGame();
    SwapResult r = SwapInCopy(temp_ / "no-such-copy", game_);
    EXPECT_EQ(r.outcome, SwapOutcome::CopyNotRenamed);
    EXPECT_TRUE(Exists(game_ + "\\old.txt"));
    EXPECT_FALSE(Exists(game_ + ".旧"));
}

TEST(FormatBytes, Table) {
    EXPECT_EQ(FormatBytes(512), "512 字节");
    EXPECT_EQ(FormatBytes(3LL * 1024 * 1024 / 2), "1.5 MB");
    EXPECT_EQ(FormatBytes(100LL * 1024 * 1024 * 1024), "100.0 GB");
}

TEST(FreeSpaceOf, KnowsTheTestVolume) {
    TempFolder temp("free");
    EXPECT_GT(FreeSpaceOf(temp.path()), 0);
    EXPECT_EQ(FreeSpaceOf("Q:\\no\\such\\drive"), -1);
}

} // namespace
