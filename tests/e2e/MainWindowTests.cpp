// The main window through the real program: the Steam folder found at start,
// both folder browsers, the start button's checks and confirmation, the end.
#include <gtest/gtest.h>

#include <memory>

#include "e2e/App.h"
#include "support/TestFiles.h"

using namespace quellrin::test;

namespace {

constexpr char kNotFound[] = "查找目录失败，请确认GTA5是否完整";
constexpr char kNothingChosen[] = "您未选择目录";
constexpr char kConfirm[] = "确认是否操作？";

class MainWindowTest : public testing::Test {
  protected:
    void SetUp() override { RemoveSteamFolderValue(); }
    void TearDown() override { RemoveSteamFolderValue(); }

    // A started program with both folders made and chosen: the Steam folder
    // through the registry, the target in the folder browser. Null on failure.
    std::unique_ptr<App> StartWithBothFolders(const std::string& source,
                                              const std::string& target) {
        if (!MakeFolders(source) || !MakeFolders(target) || !SetSteamFolderValue(source + "\\GTAV"))
            return nullptr;
        auto app = std::make_unique<App>();
        if (!app->ok() || !app->WaitMainText("S版GTA5位置", source + "\\") ||
            !app->Browse("按钮2", target))
            return nullptr;
        return app;
    }

    TempFolder temp_{"e2e"};
};

struct RegistryCase {
    const char* name;
    DWORD type;
    std::string bytes; // empty type 0: no value at all
    std::string label;
};

class SteamLabelTest : public testing::TestWithParam<RegistryCase> {
  protected:
    void TearDown() override { RemoveSteamFolderValue(); }
};

TEST_P(SteamLabelTest, ShowsTheRegistryValueLessFourBytes) {
    const RegistryCase& c = GetParam();
    RemoveSteamFolderValue();
    if (c.type != 0) {
        ASSERT_TRUE(SetSteamFolderRaw(c.type, c.bytes));
    }
    App app;
    ASSERT_TRUE(app.ok());
    EXPECT_EQ(app.MainText("S版GTA5位置"), c.label) << c.name;
    EXPECT_EQ(app.MainText("E版GTA5位置"), "");
    PostMessageA(app.main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitExit(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SteamLabelTest,
    testing::Values(RegistryCase{"ends in GTAV", REG_SZ,
                                 std::string("D:\\游戏\\Steam\\GTAV") + '\0', "D:\\游戏\\Steam\\"},
                    RegistryCase{"no value", 0, "", kNotFound},
                    RegistryCase{"three bytes", REG_SZ, std::string("abc") + '\0', ""},
                    RegistryCase{"not text", REG_DWORD, std::string("\x01\0\0\0", 4), kNotFound}));

TEST_F(MainWindowTest, BothBrowsersChosenAndCancelled) {
    std::string source = temp_ / "Steam版", target = temp_ / "目标";
    ASSERT_TRUE(MakeFolders(source));
    ASSERT_TRUE(MakeFolders(target));
    App app;
    ASSERT_TRUE(app.ok());
    EXPECT_EQ(app.MainText("S版GTA5位置"), kNotFound);

    ASSERT_TRUE(app.Browse("按钮1", source));
    EXPECT_TRUE(app.WaitMainText("S版GTA5位置", source));
    ASSERT_TRUE(app.Browse("按钮2", target));
    EXPECT_TRUE(app.WaitMainText("E版GTA5位置", target));
    EXPECT_TRUE(IsWindowEnabled(app.main()));

    ASSERT_TRUE(app.Browse("按钮2", ""));
    EXPECT_TRUE(app.WaitMainText("E版GTA5位置", ""));
    EXPECT_EQ(app.MainText("S版GTA5位置"), source);
    EXPECT_TRUE(IsWindowEnabled(app.main()));

    app.ClickMain("按钮3");
    EXPECT_EQ(app.AnswerNextBox(IDOK), kNothingChosen);

    ASSERT_TRUE(app.Browse("按钮1", ""));
    EXPECT_TRUE(app.WaitMainText("S版GTA5位置", ""));
    app.ClickMain("按钮3");
    EXPECT_EQ(WindowText(WaitForMessageBox(app.pid(), kWait)), "信息："); // the default caption
    EXPECT_EQ(app.AnswerNextBox(IDOK), kNothingChosen);

    PostMessageA(app.main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitExit(), 0);
}

TEST_F(MainWindowTest, NoAtTheConfirmationChangesNothingAndYesStarts) {
    std::string source = temp_ / "src", target = temp_ / "dst";
    auto app = StartWithBothFolders(source, target);
    ASSERT_TRUE(app);

    app->ClickMain("按钮3");
    EXPECT_EQ(app->AnswerNextBox(IDNO), kConfirm);
    EXPECT_TRUE(IsWindowVisible(app->main()));
    EXPECT_EQ(app->WaitProgressWindow(300), nullptr);
    EXPECT_EQ(app->MainText("S版GTA5位置"), source + "\\");
    EXPECT_EQ(app->MainText("E版GTA5位置"), target);

    app->ClickMain("按钮3");
    EXPECT_EQ(app->AnswerNextBox(IDYES), kConfirm);
    HWND progress = app->WaitProgressWindow();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(app->main()); }, kWait));
    EXPECT_EQ(WindowText(GetDlgItem(progress, ProgressControlId("透明标签3"))),
              "正在复制中，请勿关闭本程序和计算机");

    PostMessageA(progress, WM_CLOSE, 0, 0);
    EXPECT_EQ(app->WaitExit(), 0);
}

TEST_F(MainWindowTest, TheRegistryFailureTextIsNotAFolder) {
    std::string target = temp_ / "dst";
    ASSERT_TRUE(MakeFolders(target));
    App app;
    ASSERT_TRUE(app.ok());
    ASSERT_TRUE(app.Browse("按钮2", target));
    app.ClickMain("按钮3");
    std::string text = app.AnswerNextBox(IDOK);
    EXPECT_NE(text.find("找不到Steam版GTA5目录"), std::string::npos) << text;
    EXPECT_EQ(app.WaitProgressWindow(300), nullptr);
    EXPECT_TRUE(IsWindowVisible(app.main()));
    PostMessageA(app.main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitExit(), 0);
}

// Each refused pair of folders: the message, and nothing started or created.
struct RefusalCase {
    const char* name;
    const char* source; // below the temporary folder; made unless `sourceExists` is false
    const char* target; // below the temporary folder, chosen in the browser
    bool sourceExists;
    const char* message; // a part of the message
};

class RefusalTest : public MainWindowTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, NothingStarts) {
    const RefusalCase& c = GetParam();
    std::string source = temp_ / c.source, target = temp_ / c.target;
    ASSERT_TRUE(MakeFolders(target));
    if (c.sourceExists) {
        ASSERT_TRUE(MakeFolders(source));
    }
    ASSERT_TRUE(SetSteamFolderValue(source + "\\GTAV"));
    App app;
    ASSERT_TRUE(app.ok());
    ASSERT_TRUE(app.Browse("按钮2", target));
    TreeListing before = ListTree(temp_.path());

    app.ClickMain("按钮3");
    std::string text = app.AnswerNextBox(IDOK);
    EXPECT_NE(text.find(c.message), std::string::npos) << c.name << ": " << text;
    EXPECT_EQ(app.WaitProgressWindow(300), nullptr);
    EXPECT_TRUE(IsWindowVisible(app.main()));
    EXPECT_EQ(ListTree(temp_.path()), before) << "nothing may be created or removed";
    PostMessageA(app.main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitExit(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusalTest,
    testing::Values(
        RefusalCase{"source missing", "gone", "dst", false, "找不到Steam版GTA5目录"},
        RefusalCase{"target is the source", "同一个", "同一个", true, "不能是Steam版GTA5目录本身"},
        RefusalCase{"target inside the source", "src", "src\\Sub", true,
                    "不能是Steam版GTA5目录本身"},
        RefusalCase{"source is the target's GTAV", "dst\\gtav", "dst", true, "位于存放目录的GTAV"},
        RefusalCase{"source inside the temporary folder", "dst\\临时文件夹\\x", "dst", true,
                    "位于存放目录的GTAV"}));

TEST_F(MainWindowTest, MissingTargetFolderIsRefused) {
    // The target vanishes between the choice and the start.
    std::string source = temp_ / "src", target = temp_ / "dst";
    auto app = StartWithBothFolders(source, target);
    ASSERT_TRUE(app);
    ASSERT_TRUE(RemoveTree(target));
    app->ClickMain("按钮3");
    std::string text = app->AnswerNextBox(IDOK);
    EXPECT_NE(text.find("找不到要存放Epic版GTA5的目录"), std::string::npos) << text;
    EXPECT_FALSE(Exists(target));
    PostMessageA(app->main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app->WaitExit(), 0);
}

TEST_F(MainWindowTest, EscEndsTheProgram) {
    App app;
    ASSERT_TRUE(app.ok());
    ASSERT_TRUE(WaitFor([&] { return FocusOf(app.main()) != nullptr; }, kWait));
    PressKey(app.main(), VK_ESCAPE);
    EXPECT_EQ(app.WaitExit(), 0);
}

TEST_F(MainWindowTest, CloseBoxEndsTheProgram) {
    App app;
    ASSERT_TRUE(app.ok());
    PostMessageA(app.main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(app.WaitExit(), 0);
}

} // namespace
