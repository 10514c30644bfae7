#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "job/Automation.h"
#include "support/TestFiles.h"

using namespace quellrin;
using quellrin::test::TempFolder;

namespace {

const char kProgId[] = "Scripting.FileSystemObject";

// A file-system object and a folder with one file of known size in it.
class FileSystemObjectTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.path().empty());
        ASSERT_TRUE(test::WriteFileBytes(folder_ / "data.bin", std::string(1234, 'x')));
        ASSERT_TRUE(CreateAutomationObject(fso_, kProgId));
    }

    TempFolder folder_{"auto"};
    AutomationObject fso_;
};

struct CreateCase {
    const char* classText;
    bool created;
};

void PrintTo(const CreateCase& c, std::ostream* os) {
    *os << '"' << c.classText << '"';
}

class CreateAutomationObjectTest : public testing::TestWithParam<CreateCase> {};

// A failed creation leaves what the slot held (here a folder object); a
// successful one replaces it with an object that answers by name.
TEST_P(CreateAutomationObjectTest, CreatesOrLeavesTheSlotAlone) {
    const CreateCase& c = GetParam();
    TempFolder folder("create");
    AutomationObject fso;
    ASSERT_TRUE(CreateAutomationObject(fso, kProgId));
    AutomationObject slot = CallObjectMethod(fso, "GetFolder", folder.path());
    ASSERT_FALSE(slot.empty());
    IUnknown* before = slot.get();

    EXPECT_EQ(CreateAutomationObject(slot, c.classText), c.created);
    if (c.created)
        EXPECT_FALSE(CallObjectMethod(slot, "GetFolder", folder.path()).empty());
    else
        EXPECT_EQ(slot.get(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CreateAutomationObjectTest,
    testing::Values(CreateCase{"Scripting.FileSystemObject", true},
                    CreateCase{"{0D43FE01-F093-11CF-8940-00A0C9054228}", true},
                    CreateCase{"Quellrin.NoSuchObject", false},
                    CreateCase{"{00000000-0000-0000-0000-0000DEADBEEF}", false},
                    CreateCase{"{not a class id}", false}, CreateCase{"", false}));

TEST_F(FileSystemObjectTest, FileSizeThroughGetFile) {
    AutomationObject file = CallObjectMethod(fso_, "GetFile", folder_ / "data.bin");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(ReadNumberProperty(file, "Size"), 1234.0);
    // The object answers a small size as VT_I4 and one beyond 2^31 as VT_R8.
    const LONGLONG big = (5LL << 30) + 7;
    {
        test::WriteFileBytes(folder_ / "big.bin", "");
        HANDLE h = CreateFileA((folder_ / "big.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end;
        end.QuadPart = big;
        EXPECT_TRUE(SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h));
        CloseHandle(h);
    }
    AutomationObject bigFile = CallObjectMethod(fso_, "GetFile", folder_ / "big.bin");
    EXPECT_EQ(ReadNumberProperty(bigFile, "Size"), static_cast<double>(big));
}

// 運 is DF 5C in code page 936; the name reaches the object intact only when
// the text is converted as the ANSI code page.
TEST_F(FileSystemObjectTest, DoubleByteNamesAreConvertedFromTheAnsiCodePage) {
    const std::string sub = folder_ / "\xDF\x5C\xD0\xD0";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    ASSERT_TRUE(test::WriteFileBytes(sub + "\\\xCE\xC4\xBC\xFE.txt", "12345"));
    AutomationObject file = CallObjectMethod(fso_, "GetFile", sub + "\\\xCE\xC4\xBC\xFE.txt");
    EXPECT_EQ(ReadNumberProperty(file, "Size"), 5.0);
}

TEST_F(FileSystemObjectTest, ObjectResultsChain) {
    ASSERT_TRUE(CreateDirectoryA((folder_ / "sub").c_str(), nullptr));
    AutomationObject folder = CallObjectMethod(fso_, "GetFolder", folder_.path());
    ASSERT_FALSE(folder.empty());
    MemberResult files =
        InvokeMember(folder, "Files", CallKind::PropertyRead, {}, ResultKind::Object);
    ASSERT_TRUE(files.ok());
    EXPECT_EQ(ReadNumberProperty(files.object, "Count"), 1.0);
    MemberResult subFolders =
        InvokeMember(folder, "SubFolders", CallKind::PropertyRead, {}, ResultKind::Object);
    EXPECT_EQ(ReadNumberProperty(subFolders.object, "Count"), 1.0);
}

// A method call falls back to a property, a property read to a method.
TEST_F(FileSystemObjectTest, InvokeKindsAreTriedInTurn) {
    AutomationObject file = CallObjectMethod(fso_, "GetFile", folder_ / "data.bin");
    MemberResult sizeAsMethod =
        InvokeMember(file, "Size", CallKind::Method, {}, ResultKind::Number);
    EXPECT_TRUE(sizeAsMethod.ok());
    EXPECT_EQ(sizeAsMethod.number, 1234.0);

    const Text path = folder_ / "data.bin";
    MemberResult existsAsRead = InvokeMember(fso_, "FileExists", CallKind::PropertyRead,
                                             std::span<const Text>(&path, 1), ResultKind::Number);
    EXPECT_TRUE(existsAsRead.ok());
    EXPECT_EQ(existsAsRead.number, -1.0); // VARIANT_TRUE
}

// MoveFile(source, destination): reversed arguments would find no source.
TEST_F(FileSystemObjectTest, ArgumentsKeepTheirOrder) {
    const std::vector<Text> args{folder_ / "data.bin", folder_ / "moved.bin"};
    MemberResult moved = InvokeMember(fso_, "MoveFile", CallKind::Method, args, ResultKind::Number);
    EXPECT_TRUE(moved.ok());
    EXPECT_FALSE(test::Exists(folder_ / "data.bin"));
    EXPECT_TRUE(test::Exists(folder_ / "moved.bin"));
}

TEST_F(FileSystemObjectTest, FailuresYieldEmptySlotsAndZero) {
    AutomationObject folder = CallObjectMethod(fso_, "GetFolder", folder_.path());
    ASSERT_FALSE(folder.empty());

    // A call the object refuses: no such folder, a file, the empty text.
    for (const Text& path : {folder_ / "missing", folder_ / "data.bin", Text()}) {
        MemberResult r = InvokeMember(fso_, "GetFolder", CallKind::Method,
                                      std::span<const Text>(&path, 1), ResultKind::Object);
        EXPECT_FALSE(r.ok()) << path;
        EXPECT_TRUE(r.object.empty()) << path;
    }

    MemberResult missing =
        InvokeMember(fso_, "NoSuchMember", CallKind::Method, {}, ResultKind::Object);
    EXPECT_FALSE(missing.ok());
    EXPECT_TRUE(missing.object.empty());
    EXPECT_EQ(ReadNumberProperty(folder, "NoSuchMember"), 0.0);
    EXPECT_EQ(ReadNumberProperty(folder, ""), 0.0);

    // A text that is no number, and an object asked for as a number.
    MemberResult name =
        InvokeMember(folder, "Name", CallKind::PropertyRead, {}, ResultKind::Number);
    EXPECT_EQ(name.status, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(name.number, 0.0);
    EXPECT_FALSE(InvokeMember(fso_, "Drives", CallKind::PropertyRead, {}, ResultKind::Number).ok());

    AutomationObject empty;
    EXPECT_EQ(ReadNumberProperty(empty, "Size"), 0.0);
    EXPECT_TRUE(CallObjectMethod(empty, "GetFolder", folder_.path()).empty());
}

TEST_F(FileSystemObjectTest, ReleaseEmptiesTheSlot) {
    AutomationObject folder = CallObjectMethod(fso_, "GetFolder", folder_.path());
    ASSERT_FALSE(folder.empty());
    ReleaseAutomationObject(folder);
    EXPECT_TRUE(folder.empty());
    ReleaseAutomationObject(folder);
    EXPECT_TRUE(folder.empty());

    AutomationObject moved = std::move(fso_);
    EXPECT_TRUE(fso_.empty());
    EXPECT_FALSE(moved.empty());
}

} // namespace
