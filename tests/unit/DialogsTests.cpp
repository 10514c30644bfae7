#include <gtest/gtest.h>
#include <windows.h>

#include "services/Dialogs.h"
#include "support/Driver.h"

using namespace quellrin;
using namespace quellrin::test;

namespace {

TEST(MessageBoxResult, MapsTheClassicButtons) {
    struct Case {
        int returned, result;
    } cases[] = {{IDOK, 0}, {IDCANCEL, 1}, {IDABORT, 2}, {IDRETRY, 3},    {IDIGNORE, 4}, {IDYES, 5},
                 {IDNO, 6}, {0, 0},        {8, 0},       {IDTRYAGAIN, 0}, {-1, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(MessageBoxResult(c.returned), c.result) << c.returned;
}

// Answers the next box of this process from a second thread and records what it showed.
struct Answer {
    int button;
    std::string title{}, text{};
    LONG_PTR style = 0;
};

DWORD WINAPI AnswerBox(void* p) {
    Answer& a = *static_cast<Answer*>(p);
    HWND box = WaitForMessageBox(0, 10000);
    if (!box)
        return 1;
    a.title = WindowText(box);
    a.text = MessageBoxText(box);
    AnswerMessageBox(box, a.button);
    return 0;
}

int ShowAndAnswer(Answer& a, auto show) {
    HANDLE t = CreateThread(nullptr, 0, AnswerBox, &a, 0, nullptr);
    int result = show();
    WaitForSingleObject(t, 10000);
    CloseHandle(t);
    return result;
}

TEST(ShowMessageBox, DefaultCaptionAndYesNo) {
    Answer yes{IDYES};
    EXPECT_EQ(ShowAndAnswer(yes, [] { return ShowMessageBox("确认是否操作？", 4); }), 5);
    EXPECT_EQ(yes.title, "信息：");
    EXPECT_EQ(yes.text, "确认是否操作？");

    Answer no{IDNO};
    EXPECT_EQ(ShowAndAnswer(no, [] { return ShowMessageBox("确认是否操作？", 4); }), 6);
}

TEST(ShowMessageBox, GivenCaptionAndOk) {
    Answer ok{IDOK};
    EXPECT_EQ(ShowAndAnswer(ok, [] { return ShowMessageBox("不给就算了", 16, "穷鬼"); }), 0);
    EXPECT_EQ(ok.title, "穷鬼");
    Answer empty{IDOK};
    EXPECT_EQ(ShowAndAnswer(empty, [] { return ShowMessageBox("", 0, ""); }), 0);
    EXPECT_EQ(empty.title, "");
}

} // namespace
