#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "job/TreeCopy.h"
#include "services/Text.h"
#include "support/TestFiles.h"
#include "unit/FileSystemTestHelpers.h"

using namespace quellrin;
using namespace quellrin::test;

namespace {

std::string Bytes(std::size_t size, unsigned seed) {
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        out[i] = static_cast<char>(seed >> 16);
    }
    return out;
}

// Several depths with files at every level, a folder with only subfolders,
// empty folders, dot names, Chinese names, names ending in 運 (trail byte
// 0x5C), and a file larger than the system's copy buffer.
void BuildSampleTree(const std::string& root) {
    for (const char* folder : {"empty", "onlyfolders\\z", ".dotdir\\.emptydot"})
        MakeFolders(root + "\\" + folder);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a.txt", "alpha"},
        {".dotfile", "dot"},
        {"big.bin", Bytes(300 * 1024 + 7, 1)},
        {"zero.bin", ""},
        {"level1\\b.bin", std::string("b\0b\r\n", 5)},
        {"level1\\level2\\mid.txt", "mid"},
        {"level1\\level2\\level3\\deep.txt", "deep"},
        {"onlyfolders\\x\\y.txt", "y"},
        {".dotdir\\inside.txt", "inside"},
        {"中文目录\\文件.txt", "中文内容"},
        {kYun + "\\" + kYun + ".txt", "yun"},
        {kYun + "\\子" + kYun + "\\f.txt", "f"},
    };
    for (const auto& [relative, bytes] : files) {
        std::string path = root + "\\" + relative;
        MakeFolders(path.substr(0, FindLastBackslash(path)));
        WriteFileBytes(path, bytes);
    }
}

struct TreeCase {
    const char* label;
    std::string source;      // below the test folder
    std::string destination; // below the test folder
};
void PrintTo(const TreeCase& c, std::ostream* out) {
    *out << c.label;
}

class TreeCopyWhole : public testing::TestWithParam<TreeCase> {};

TEST_P(TreeCopyWhole, CopiesTheWholeTree) {
    const TreeCase& c = GetParam();
    TempFolder dir("copytree");
    std::string sourceRoot = WithoutTrailingBackslashes(dir / c.source);
    BuildSampleTree(sourceRoot);
    TreeListing expected = ListTree(sourceRoot);
    ASSERT_EQ(expected.size(), 24u);

    Text source = dir / c.source, destination = dir / c.destination;
    HANDLE handles = NextHandleValue();
    CopyReport report = CopyDirectoryTree(source, destination);

    EXPECT_TRUE(report.complete()) << c.label << ": " << report.firstFailure;
    EXPECT_EQ(report.firstFailure, "");
    EXPECT_EQ(ListTree(WithoutTrailingBackslashes(dir / c.destination)), expected) << c.label;
    EXPECT_EQ(ListTree(sourceRoot), expected);
    EXPECT_EQ(source, WithTrailingBackslash(dir / c.source));
    EXPECT_EQ(destination, WithTrailingBackslash(dir / c.destination));
    EXPECT_EQ(NextHandleValue(), handles);
}

INSTANTIATE_TEST_SUITE_P(Cases, TreeCopyWhole,
                         testing::Values(TreeCase{"no trailing backslashes", "source", "copy"},
                                         TreeCase{"trailing backslashes", "source\\", "copy\\"},
                                         TreeCase{"one of each", "source", "copy\\"},
                                         TreeCase{"both ending in a trail byte 0x5C", "源" + kYun,
                                                  "目标" + kYun}));

TEST(TreeCopy, ReplacesExistingDestinationFiles) {
    TempFolder dir("copytree");
    BuildSampleTree(dir / "source");
    MakeFolders(dir / "copy\\level1");
    WriteFileBytes(dir / "copy\\a.txt", "old and longer than the new one");
    WriteFileBytes(dir / "copy\\.dotfile", "old");
    WriteFileBytes(dir / "copy\\level1\\b.bin", "old");
    WriteFileBytes(dir / "copy\\extra.txt", "not in the source");

    Text source = dir / "source", destination = dir / "copy";
    CopyReport report = CopyDirectoryTree(source, destination);

    EXPECT_TRUE(report.complete()) << report.firstFailure;
    TreeListing expected = ListTree(dir / "source");
    expected["extra.txt"] = "not in the source"; // a copy adds and replaces, never removes
    EXPECT_EQ(ListTree(dir / "copy"), expected);
}

TEST(TreeCopy, MissingSourceIsCountedAndTheDestinationMade) {
    TempFolder dir("copytree");
    Text source = dir / "missing", destination = dir / "copy";
    CopyReport report = CopyDirectoryTree(source, destination);
    EXPECT_EQ(report.unlistedFolders, 1);
    EXPECT_EQ(report.failures(), 1);
    EXPECT_EQ(report.firstFailure, dir / "missing\\");
    EXPECT_TRUE(IsFolder(dir / "copy"));
}

// One fixture that a copy cannot take whole: the source in src, the
// destination in dst, both below the test folder.
struct Scene {
    std::string source, destination;
    std::vector<std::unique_ptr<LockedFile>> locks;
};

struct FailureCase {
    const char* label;
    void (*arrange)(Scene&);
    std::int64_t files, folders, unlisted;
    std::string firstFailure; // below the test folder
};
void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.label;
}

// 한 (U+D55C) has no place in code page 936.
const std::wstring kHangul = L"\xD55C";
const std::string kLongName(120, 'n');

const FailureCase kFailureCases[] = {
    {"source file held open without sharing",
     [](Scene& s) {
         WriteFileBytes(s.source + "\\held.txt", "held");
         s.locks.push_back(std::make_unique<LockedFile>(s.source + "\\held.txt"));
     },
     1, 0, 0, "src\\held.txt"},
    {"destination file held open without sharing",
     [](Scene& s) {
         WriteFileBytes(s.source + "\\held.txt", "new");
         MakeFolders(s.destination);
         WriteFileBytes(s.destination + "\\held.txt", "old");
         s.locks.push_back(std::make_unique<LockedFile>(s.destination + "\\held.txt"));
     },
     1, 0, 0, "src\\held.txt"},
    {"a file where the destination folder goes",
     [](Scene& s) {
         MakeFolders(s.source + "\\sub");
         WriteFileBytes(s.source + "\\sub\\f.txt", "f");
         MakeFolders(s.destination);
         WriteFileBytes(s.destination + "\\sub", "a file");
     },
     1, 1, 0, "dst\\sub\\"},
    {"source file path too long",
     [](Scene& s) {
         std::string folder = s.source + "\\" + kLongName;
         MakeFolders(folder);
         WriteFileWide(LongWidePath(folder + "\\" + std::string(150, 'f')), "long");
     },
     1, 0, 0, "src\\" + kLongName + "\\" + std::string(150, 'f')},
    {"source folder path too long to list",
     [](Scene& s) {
         std::wstring deep = LongWidePath(s.source + "\\" + kLongName + "\\" + kLongName);
         CreateDirectoryW(LongWidePath(s.source + "\\" + kLongName).c_str(), nullptr);
         CreateDirectoryW(deep.c_str(), nullptr);
         WriteFileWide(deep + L"\\lost.txt", "lost");
     },
     0, 1, 1, "dst\\" + kLongName + "\\" + kLongName + "\\"},
    {"file name that code page 936 cannot hold",
     [](Scene& s) { WriteFileWide(LongWidePath(s.source) + L"\\" + kHangul + L".txt", "k"); }, 1, 0,
     0, "src\\?.txt"},
    {"folder name that code page 936 cannot hold",
     [](Scene& s) {
         std::wstring folder = LongWidePath(s.source) + L"\\" + kHangul;
         CreateDirectoryW(folder.c_str(), nullptr);
         WriteFileWide(folder + L"\\inside.txt", "k");
     },
     0, 0, 1, "src\\?"},
};

class TreeCopyFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(TreeCopyFailure, IsCountedAndTheRestCopied) {
    const FailureCase& c = GetParam();
    TempFolder dir("copyfail");
    Scene scene{dir / "src", dir / "dst", {}};
    MakeFolders(scene.source + "\\later");
    WriteFileBytes(scene.source + "\\ok.txt", "ok");
    WriteFileBytes(scene.source + "\\later\\ok2.txt", "ok2");
    c.arrange(scene);

    Text source = scene.source, destination = scene.destination;
    HANDLE handles = NextHandleValue();
    CopyReport report = CopyDirectoryTree(source, destination);
    EXPECT_EQ(NextHandleValue(), handles);
    scene.locks.clear();

    EXPECT_EQ(report.failedFiles, c.files) << c.label;
    EXPECT_EQ(report.failedFolders, c.folders) << c.label;
    EXPECT_EQ(report.unlistedFolders, c.unlisted) << c.label;
    EXPECT_FALSE(report.complete());
    EXPECT_EQ(report.firstFailure, dir / c.firstFailure) << c.label;
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(scene.destination + "\\ok.txt", bytes) && bytes == "ok") << c.label;
    EXPECT_TRUE(ReadFileBytes(scene.destination + "\\later\\ok2.txt", bytes) && bytes == "ok2")
        << c.label;
    RemoveTreeWide(LongWidePath(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(Cases, TreeCopyFailure, testing::ValuesIn(kFailureCases));

// Whether a read-only destination file can be replaced is the system's call
// (Wine as root replaces it); either way the report agrees with the disk.
TEST(TreeCopy, ReadOnlyDestinationFileIsCountedWhenRefused) {
    TempFolder dir("copyfail");
    bool refused = ReadOnlyFilesRefuseWrites(dir.path());
    MakeFolders(dir / "src");
    WriteFileBytes(dir / "src\\ro.txt", "new");
    MakeFolders(dir / "dst");
    WriteFileBytes(dir / "dst\\ro.txt", "old");
    SetFileAttributesA((dir / "dst\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    Text source = dir / "src", destination = dir / "dst";
    CopyReport report = CopyDirectoryTree(source, destination);

    std::string bytes;
    ReadFileBytes(dir / "dst\\ro.txt", bytes);
    EXPECT_EQ(bytes, refused ? "old" : "new");
    EXPECT_EQ(report.failedFiles, refused ? 1 : 0);
    EXPECT_EQ(report.firstFailure, refused ? dir / "src\\ro.txt" : "");
}

} // namespace
