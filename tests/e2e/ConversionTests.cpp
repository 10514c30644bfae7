// Whole conversions through the real program: the copy, the bar, the swap,
// and every way it can fail without losing the user's old GTAV.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <set>
#include <vector>

#include "e2e/App.h"
#include "support/TestFiles.h"

using namespace quellrin::test;

namespace {

constexpr char kConfirm[] = "确认是否操作？";
constexpr char kDone[] = "复制完成";
constexpr DWORD kCopyWait = 120000;

// A small game-like tree: several levels, Chinese and dot names, a read-only file.
void MakeSmallGame(const std::string& root) {
    ASSERT_TRUE(MakeFolders(root + "\\update\\x64\\dlcpacks\\补丁"));
    ASSERT_TRUE(MakeFolders(root + "\\.egstore"));
    ASSERT_TRUE(MakeFolders(root + "\\空目录"));
    ASSERT_TRUE(WriteFileBytes(root + "\\GTA5.exe", std::string(70000, 'G')));
    ASSERT_TRUE(WriteFileBytes(root + "\\.version", "1.0"));
    ASSERT_TRUE(WriteFileBytes(root + "\\update\\update.rpf", std::string(5000, 'u')));
    ASSERT_TRUE(WriteFileBytes(root + "\\update\\x64\\dlcpacks\\补丁\\说明.txt", "中文内容"));
    ASSERT_TRUE(WriteFileBytes(root + "\\.egstore\\manifest", "m"));
    ASSERT_TRUE(WriteFileBytes(root + "\\readonly.dat", "ro"));
    ASSERT_TRUE(SetFileAttributesA((root + "\\readonly.dat").c_str(), FILE_ATTRIBUTE_READONLY));
}

// A tree large enough that its copy takes a few seconds under Wine.
void MakeLargeGame(const std::string& root, int folders = 20, int filesPerFolder = 50) {
    std::string block(64 * 1024, 'x');
    for (int f = 0; f < folders; ++f) {
        std::string folder = root + "\\pack" + std::to_string(f);
        ASSERT_TRUE(MakeFolders(folder));
        for (int i = 0; i < filesPerFolder; ++i) {
            ASSERT_TRUE(WriteFileBytes(folder + "\\f" + std::to_string(i) + ".rpf", block));
        }
    }
}

// A main window set up for a conversion from `source` into `target`.
class ConversionTest : public testing::Test {
  protected:
    void SetUp() override { RemoveSteamFolderValue(); }
    void TearDown() override { RemoveSteamFolderValue(); }

    std::unique_ptr<App> Prepare(const std::string& source, const std::string& target) {
        EXPECT_TRUE(SetSteamFolderValue(source + "\\GTAV"));
        auto app = std::make_unique<App>();
        if (!app->ok() || !app->Browse("按钮2", target))
            return nullptr;
        return app;
    }
    // Confirms the start; the progress window, or null.
    HWND Confirm(App& app) {
        app.ClickMain("按钮3");
        EXPECT_EQ(app.AnswerNextBox(IDYES), kConfirm);
        return app.WaitProgressWindow();
    }
    static HWND BarOf(HWND progress) { return GetDlgItem(progress, ProgressControlId("进度条1")); }

    TempFolder temp_{"conv"};
    std::string source_ = temp_ / "Steam游戏", target_ = temp_ / "Epic";
};

TEST_F(ConversionTest, ReplacesTheOldGameFolderWithACompleteCopy) {
    MakeSmallGame(source_);
    ASSERT_TRUE(MakeFolders(target_ + "\\GTAV\\.old"));
    ASSERT_TRUE(WriteFileBytes(target_ + "\\GTAV\\old-readonly.txt", "old"));
    ASSERT_TRUE(SetFileAttributesA((target_ + "\\GTAV\\old-readonly.txt").c_str(),
                                   FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(WriteFileBytes(target_ + "\\GTAV\\.old\\x", "old"));
    TreeListing expected = ListTree(source_);

    auto app = Prepare(source_, target_);
    ASSERT_TRUE(app);
    HWND progress = Confirm(*app);
    ASSERT_NE(progress, nullptr);
    HWND box = WaitForMessageBox(app->pid(), kCopyWait);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kDone);
    EXPECT_EQ(SendMessageA(BarOf(progress), PBM_GETRANGE, FALSE, 0), 1000);
    AnswerMessageBox(box, IDOK);
    EXPECT_EQ(app->WaitExit(kCopyWait), 0);

    EXPECT_EQ(ListTree(target_ + "\\GTAV"), expected);
    EXPECT_EQ(ListTree(target_), [&] {
        TreeListing t;
        t["GTAV"] = "<dir>";
        for (const auto& [rel, content] : expected)
            t["GTAV\\" + rel] = content;
        return t;
    }()) << "no temporary or old folder may stay behind";
}

TEST_F(ConversionTest, ALeftoverTemporaryFolderIsClearedFirst) {
    MakeSmallGame(source_);
    std::string leftover = target_ + "\\临时文件夹";
    ASSERT_TRUE(MakeFolders(leftover + "\\old"));
    ASSERT_TRUE(WriteFileBytes(leftover + "\\readonly.dat", "from last time"));
    ASSERT_TRUE(SetFileAttributesA((leftover + "\\readonly.dat").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(WriteFileBytes(leftover + "\\old\\stale.txt", "stale"));
    TreeListing expected = ListTree(source_);

    auto app = Prepare(source_, target_);
    ASSERT_TRUE(app);
    ASSERT_NE(Confirm(*app), nullptr);
    EXPECT_EQ(app->AnswerNextBox(IDOK), kDone);
    EXPECT_EQ(app->WaitExit(kCopyWait), 0);
    EXPECT_EQ(ListTree(target_ + "\\GTAV"), expected) << "nothing of the leftover may come along";
    EXPECT_FALSE(Exists(leftover));
}

TEST_F(ConversionTest, ALeftoverThatCannotBeRemovedStopsBeforeCopying) {
    MakeSmallGame(source_);
    std::string leftover = target_ + "\\临时文件夹";
    ASSERT_TRUE(MakeFolders(leftover));
    ASSERT_TRUE(WriteFileBytes(leftover + "\\busy.dat", "in use"));
    ASSERT_TRUE(MakeFolders(target_ + "\\GTAV"));
    ASSERT_TRUE(WriteFileBytes(target_ + "\\GTAV\\keep.txt", "old game"));
    LockedFile locked(leftover + "\\busy.dat");
    ASSERT_TRUE(locked.ok());

    auto app = Prepare(source_, target_);
    ASSERT_TRUE(app);
    app->ClickMain("按钮3");
    EXPECT_EQ(app->AnswerNextBox(IDYES), kConfirm);
    std::string text = app->AnswerNextBox(IDOK);
    EXPECT_NE(text.find("临时文件夹删不掉"), std::string::npos) << text;
    EXPECT_EQ(app->WaitExit(), 0);
    EXPECT_EQ(ListTree(target_ + "\\GTAV"), (TreeListing{{"keep.txt", "old game"}}));
    EXPECT_TRUE(Exists(leftover + "\\busy.dat"));
}

TEST_F(ConversionTest, AnEmptySourceGivesAnEmptyGameFolder) {
    ASSERT_TRUE(MakeFolders(source_));
    ASSERT_TRUE(MakeFolders(target_));
    auto app = Prepare(source_, target_);
    ASSERT_TRUE(app);
    HWND progress = Confirm(*app);
    ASSERT_NE(progress, nullptr);
    HWND box = WaitForMessageBox(app->pid(), kCopyWait);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kDone);
    EXPECT_EQ(SendMessageA(BarOf(progress), PBM_GETPOS, 0, 0), 0);
    AnswerMessageBox(box, IDOK);
    EXPECT_EQ(app->WaitExit(kCopyWait), 0);
    EXPECT_EQ(ListTree(target_), (TreeListing{{"GTAV", "<dir>"}}));
}

TEST_F(ConversionTest, TheBarMovesDuringALongCopy) {
    MakeLargeGame(source_);
    ASSERT_TRUE(MakeFolders(target_));
    auto app = Prepare(source_, target_);
    ASSERT_TRUE(app);
    HWND progress = Confirm(*app);
    ASSERT_NE(progress, nullptr);
    HWND bar = BarOf(progress);

    std::vector<int> seen;
    HWND box = nullptr;
    WaitFor(
        [&] {
            int pos = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
            if (seen.empty() || seen.back() != pos)
                seen.push_back(pos);
            return (box = WaitForMessageBox(app->pid(), 0)) != nullptr;
        },
        kCopyWait);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kDone);
    int between = 0;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        if (seen[i] > 0 && seen[i] < 1000)
            ++between;
        if (i > 0) {
            EXPECT_GE(seen[i], seen[i - 1]) << "the bar went back";
        }
    }
    EXPECT_GE(between, 2) << "positions seen: " << seen.size();
    AnswerMessageBox(box, IDOK);
    EXPECT_EQ(app->WaitExit(kCopyWait), 0);
    EXPECT_EQ(ListTree(target_ + "\\GTAV").size(), ListTree(source_).size());
}

TEST_F(ConversionTest, EscDuringTheCopyEndsAndKeepsTheOldGameFolder) {
    MakeLargeGame(source_);
    ASSERT_TRUE(MakeFolders(target_ + "\\GTAV"));
    ASSERT_TRUE(WriteFileBytes(target_ + "\\GTAV\\keep.txt", "old game"));
    auto app = Prepare(source_, target_);
    ASSERT_TRUE(app);
    HWND progress = Confirm(*app);
    ASSERT_NE(progress, nullptr);
    // Esc once the copy is under way.
    ASSERT_TRUE(
        WaitFor([&] { return SendMessageA(BarOf(progress), PBM_GETPOS, 0, 0) > 0; }, kCopyWait));
    PressKey(progress, VK_ESCAPE);
    EXPECT_EQ(app->WaitExit(), 0);
    EXPECT_EQ(ListTree(target_ + "\\GTAV"), (TreeListing{{"keep.txt", "old game"}}));
    EXPECT_LT(ListTree(target_ + "\\临时文件夹").size(), ListTree(source_).size());
}

TEST_F(ConversionTest, AFileThatCannotBeReadFailsTheCopyAndKeepsTheOldGameFolder) {
    MakeSmallGame(source_);
    ASSERT_TRUE(MakeFolders(target_ + "\\GTAV"));
    ASSERT_TRUE(WriteFileBytes(target_ + "\\GTAV\\keep.txt", "old game"));
    LockedFile locked(source_ + "\\update\\update.rpf");
    ASSERT_TRUE(locked.ok());

    auto app = Prepare(source_, target_);
    ASSERT_TRUE(app);
    ASSERT_NE(Confirm(*app), nullptr);
    HWND box = WaitForMessageBox(app->pid(), kCopyWait);
    ASSERT_NE(box, nullptr);
    std::string text = MessageBoxText(box);
    EXPECT_NE(text.find("有 1 个项目无法复制"), std::string::npos) << text;
    EXPECT_NE(text.find("update.rpf"), std::string::npos) << text;
    AnswerMessageBox(box, IDOK);
    EXPECT_EQ(app->WaitExit(), 0);
    EXPECT_EQ(ListTree(target_), (TreeListing{{"GTAV", "<dir>"}, {"GTAV\\keep.txt", "old game"}}));
}

TEST_F(ConversionTest, NotEnoughFreeSpaceCopiesNothing) {
    // A sparse file makes the source larger than the test volume's free space
    // without writing it.
    ASSERT_TRUE(MakeFolders(source_));
    ASSERT_TRUE(MakeFolders(target_));
    {
        HANDLE h = CreateFileA((source_ + "\\huge.rpf").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        LARGE_INTEGER size;
        size.QuadPart = 4LL << 40; // 4 TB
        ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(h));
        CloseHandle(h);
    }
    auto app = Prepare(source_, target_);
    ASSERT_TRUE(app);
    app->ClickMain("按钮3");
    EXPECT_EQ(app->AnswerNextBox(IDYES), kConfirm);
    HWND box = WaitForMessageBox(app->pid(), kCopyWait);
    if (!box || FindVisibleWindow(app->pid(), "QuellrinForm", "")) {
        app->process().Kill(); // it started copying: stop before it fills the disk
        FAIL() << "the copy started although the source does not fit";
    }
    std::string text = MessageBoxText(box);
    EXPECT_NE(text.find("空间不够"), std::string::npos) << text;
    EXPECT_NE(text.find("4096.0 GB"), std::string::npos) << text;
    AnswerMessageBox(box, IDOK);
    EXPECT_EQ(app->WaitExit(), 0);
    EXPECT_EQ(ListTree(target_), TreeListing{});
}

} // namespace
