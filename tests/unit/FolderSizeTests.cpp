#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "job/Automation.h"
#include "job/FolderSize.h"
#include "support/TestFiles.h"

using namespace quellrin;
using quellrin::test::TempFolder;

namespace {

constexpr std::int64_t kIndefinite = std::numeric_limits<std::int64_t>::min();

struct TruncateCase {
    double value;
    std::int64_t expected;
};

void PrintTo(const TruncateCase& c, std::ostream* os) {
    *os << c.value;
}

class TruncateToInt64Test : public testing::TestWithParam<TruncateCase> {};

TEST_P(TruncateToInt64Test, TowardZeroOrIndefinite) {
    const TruncateCase& c = GetParam();
    EXPECT_EQ(TruncateToInt64(c.value), c.expected) << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TruncateToInt64Test,
    testing::Values(TruncateCase{0.0, 0}, TruncateCase{-0.0, 0}, TruncateCase{1234.99, 1234},
                    TruncateCase{-1234.99, -1234}, TruncateCase{0.5, 0},
                    TruncateCase{4294967296.0, 4294967296LL}, // 2^32: no 32-bit narrowing
                    TruncateCase{9007199254740993.0, 9007199254740992LL}, // 2^53+1 rounds to 2^53
                    TruncateCase{std::ldexp(1.0, 62) * 1.5, 6917529027641081856LL},
                    TruncateCase{9223372036854774784.0, 9223372036854774784LL}, // below 2^63
                    TruncateCase{9223372036854775808.0, kIndefinite},           // 2^63
                    TruncateCase{-9223372036854775808.0, kIndefinite},          // -2^63 itself
                    TruncateCase{-9223372036854777856.0, kIndefinite},          // below -2^63
                    TruncateCase{1e300, kIndefinite}, TruncateCase{-1e300, kIndefinite},
                    TruncateCase{std::numeric_limits<double>::infinity(), kIndefinite},
                    TruncateCase{-std::numeric_limits<double>::infinity(), kIndefinite},
                    TruncateCase{std::numeric_limits<double>::quiet_NaN(), kIndefinite}));

bool WriteSparse(const std::string& path, LONGLONG size) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER end;
    end.QuadPart = size;
    bool ok = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    return ok;
}

// A tree with what a walk gets wrong most easily: files at several depths,
// dot names, hidden and read-only files, a folder named with a double-byte
// character whose trail byte is '\', an empty file, one beyond 4 GiB.
class FolderSizeTree : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(root_.path().empty());
        Add("a.txt", 10);
        Add(".dotfile", 3);
        Add("empty.bin", 0);
        Add("sub\\b.bin", 1000);
        Add("sub\\deeper\\deepest\\c.bin", 77);
        Add(".dotfolder\\d.bin", 5);
        Add("\xDF\x5C\\e.bin", 11); // 運
        Add("\xDF\x5C\\\xDF\x5C\\f.bin", 13);
        Add("hidden.bin", 17);
        SetFileAttributesA((root_ / "hidden.bin").c_str(),
                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
        ASSERT_TRUE(test::MakeFolders(root_ / "only\\empty\\folders"));
        ASSERT_TRUE(WriteSparse(root_ / "sub\\big.bin", kBig));
        expected_ += kBig;
    }
    void Add(const std::string& relative, std::size_t bytes) {
        std::string full = root_ / relative;
        std::size_t cut = FindLastBackslash(full);
        ASSERT_TRUE(test::MakeFolders(full.substr(0, cut)));
        ASSERT_TRUE(test::WriteFileBytes(full, std::string(bytes, 'q'))) << relative;
        expected_ += static_cast<std::int64_t>(bytes);
    }

    static constexpr LONGLONG kBig = (5LL << 30) + 3;
    TempFolder root_{"size"};
    std::int64_t expected_ = 0;
};

TEST_F(FolderSizeTree, CountsEveryFileExactly) {
    EXPECT_EQ(TotalFolderFiles(root_.path()), expected_);
    EXPECT_EQ(GetFolderSize(root_.path()), expected_);
    EXPECT_EQ(GetFolderSize(root_.path() + "\\"), expected_);
    EXPECT_EQ(GetFolderSize(root_ / "\xDF\x5C"), 24);
}

// Where the system's object answers "Size" itself the fallback is not taken;
// Wine's folder object does not, so this shows the total comes from the walk.
TEST_F(FolderSizeTree, FallsBackWhereTheObjectCannotAnswer) {
    AutomationObject fso;
    ASSERT_TRUE(CreateAutomationObject(fso, "Scripting.FileSystemObject"));
    AutomationObject folder = CallObjectMethod(fso, "GetFolder", root_.path());
    MemberResult size =
        InvokeMember(folder, "Size", CallKind::PropertyRead, {}, ResultKind::Number);
    if (size.ok())
        GTEST_SKIP() << "the object answers Size here: " << size.number;
    EXPECT_EQ(GetFolderSize(root_.path()), expected_);
}

// Every kind of path that names no folder gives 0, and so does a folder
// holding only empty folders.
TEST_F(FolderSizeTree, NoFolderGivesZero) {
    const std::string cases[] = {
        root_ / "missing", root_ / "a.txt", root_ / "sub\\big.bin",         "",
        root_ / "*",       root_ / "only",  root_ / "only\\empty\\folders",
    };
    for (const std::string& path : cases) {
        EXPECT_EQ(GetFolderSize(path), 0) << path;
        EXPECT_EQ(TotalFolderFiles(path), 0) << path;
    }
}

TEST(FolderSize, EmptyFolderGivesZero) {
    TempFolder empty("empty");
    EXPECT_EQ(GetFolderSize(empty.path()), 0);
}

} // namespace
