#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "services/FileSystem.h"
#include "support/TestFiles.h"
#include "unit/FileSystemTestHelpers.h"

using namespace quellrin;
using namespace quellrin::test;

namespace {

using Names = std::vector<std::string>;

// Every name a search yields, sorted (the file system's order is its own).
Names Drain(const Text& pattern, std::uint32_t mask, bool anyNonFolder, SearchHandle& search) {
    Names names;
    for (Text name = FindFile(pattern, mask, anyNonFolder, search); !name.empty();
         name = FindFile(Text(), mask, anyNonFolder, search)) {
        names.push_back(name);
        if (names.size() > 100)
            break; // a search that never ends
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Two files and a subfolder.
class FindFileFolder {
  public:
    FindFileFolder() {
        WriteFileBytes(dir / "a.txt", "a");
        WriteFileBytes(dir / "b.txt", "bb");
        MakeFolders(dir / "sub");
    }
    TempFolder dir{"find"};
};

struct FilterCase {
    const char* label;
    std::uint32_t mask;
    bool anyNonFolder;
    Names expected;
};
void PrintTo(const FilterCase& c, std::ostream* out) {
    *out << c.label;
}

class FileSystemFindFilter : public testing::TestWithParam<FilterCase> {};

// Wine, like Windows, reports "." and ".." in every folder but a drive root,
// as folders (0x10); files made here carry the archive bit (0x20).
TEST_P(FileSystemFindFilter, YieldsThePassingNamesThenClosesTheSearch) {
    const FilterCase& c = GetParam();
    FindFileFolder folder;
    HANDLE handles = NextHandleValue();
    SearchHandle search = nullptr;
    EXPECT_EQ(Drain(folder.dir / "*.*", c.mask, c.anyNonFolder, search), c.expected) << c.label;
    EXPECT_EQ(search, nullptr);
    EXPECT_EQ(NextHandleValue(), handles);
    CloseFileSearch(search);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileSystemFindFilter,
    testing::Values(
        FilterCase{"any non-folder", 0, true, {"a.txt", "b.txt"}},
        FilterCase{"the flag wins over the mask", 16, true, {"a.txt", "b.txt"}},
        FilterCase{"folders", 16, false, {".", "..", "sub"}},
        FilterCase{"mask 0: attribute word 0 only", 0, false, {}},
        FilterCase{"bits outside 0x37 are dropped, volume bit included", 0xFFFFFFC8u, false, {}},
        FilterCase{"folders with the volume bit", 16 | 8, false, {".", "..", "sub"}},
        FilterCase{"archive", 32, false, {"a.txt", "b.txt"}},
        FilterCase{"all five bits", 0x37, false, {".", "..", "a.txt", "b.txt", "sub"}}));

TEST(FileSystem, FindFileNewPatternClosesTheUnfinishedSearch) {
    FindFileFolder folder;
    WriteFileBytes(folder.dir / "sub\\c.txt", "c");
    HANDLE none = NextHandleValue();
    SearchHandle search = nullptr;
    Text first = FindFile(folder.dir / "*.*", 0, true, search);
    EXPECT_TRUE(first == "a.txt" || first == "b.txt") << first;
    ASSERT_NE(search, nullptr);
    HANDLE one = NextHandleValue();
    EXPECT_NE(one, none);

    EXPECT_EQ(FindFile(folder.dir / "sub\\*.*", 0, true, search), "c.txt");
    EXPECT_NE(search, nullptr);
    EXPECT_EQ(NextHandleValue(), one); // the first search is gone, the second open

    EXPECT_EQ(FindFile(Text(), 0, true, search), "");
    EXPECT_EQ(search, nullptr);
    EXPECT_EQ(NextHandleValue(), none);
}

TEST(FileSystem, CloseFileSearchEndsAnAbandonedSearch) {
    FindFileFolder folder;
    HANDLE handles = NextHandleValue();
    SearchHandle search = nullptr;
    EXPECT_FALSE(FindFile(folder.dir / "*.*", 16, false, search).empty());
    CloseFileSearch(search);
    EXPECT_EQ(NextHandleValue(), handles);
    CloseFileSearch(nullptr);
}

TEST(FileSystem, FindFileContinuingOnNoneYieldsNothing) {
    SearchHandle search = nullptr;
    bool failed = false;
    EXPECT_EQ(FindFile(Text(), 0, true, search), "");
    EXPECT_EQ(FindFile(Text(), 16, false, search, failed), "");
    EXPECT_EQ(search, nullptr);
    EXPECT_FALSE(failed);
}

struct StartCase {
    const char* label;
    std::string relativePattern;
    bool failed; // the folder could not be read, as against read and empty
};
void PrintTo(const StartCase& c, std::ostream* out) {
    *out << c.label;
}

class FileSystemFindStart : public testing::TestWithParam<StartCase> {};

TEST_P(FileSystemFindStart, YieldsNothingAndLeavesNone) {
    const StartCase& c = GetParam();
    FindFileFolder folder;
    HANDLE handles = NextHandleValue();
    SearchHandle search = nullptr;
    bool failed = false;
    EXPECT_EQ(FindFile(folder.dir / c.relativePattern, 16, false, search, failed), "") << c.label;
    EXPECT_EQ(search, nullptr);
    EXPECT_EQ(failed, c.failed) << c.label;
    EXPECT_EQ(NextHandleValue(), handles);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileSystemFindStart,
                         testing::Values(StartCase{"missing folder", "missing\\*.*", true},
                                         StartCase{"nothing matches", "*.none", false},
                                         StartCase{"too long a pattern",
                                                   std::string(300, 'x') + "\\*.*", true}));

TEST(FileSystem, FindFileFailedStartReplacesAnEarlierSearch) {
    FindFileFolder folder;
    HANDLE handles = NextHandleValue();
    SearchHandle search = nullptr;
    EXPECT_FALSE(FindFile(folder.dir / "*.*", 0, true, search).empty());
    EXPECT_EQ(FindFile(folder.dir / "missing\\*.*", 0, true, search), "");
    EXPECT_EQ(search, nullptr);
    EXPECT_EQ(NextHandleValue(), handles);
}

TEST(FileSystem, CreateFolderCreatesOneLevel) {
    TempFolder dir("mkdir");
    MakeFolders(dir / "old");
    WriteFileBytes(dir / "old\\inside.txt", "x");

    EXPECT_TRUE(CreateFolder(dir / "new"));
    EXPECT_TRUE(IsFolder(dir / "new"));
    EXPECT_TRUE(CreateFolder(dir / ("新建目录" + kYun)));
    EXPECT_TRUE(IsFolder(dir / ("新建目录" + kYun)));

    EXPECT_FALSE(CreateFolder(dir / "old"));
    EXPECT_EQ(ListTree(dir / "old"), (TreeListing{{"inside.txt", "x"}}));
    EXPECT_FALSE(CreateFolder(dir / "missing\\new"));
    EXPECT_FALSE(Exists(dir / "missing"));
}

struct CopyCase {
    const char* label;
    bool destinationExists;
    bool sourceExists;
    bool result;
};
void PrintTo(const CopyCase& c, std::ostream* out) {
    *out << c.label;
}

class FileSystemCopyFile : public testing::TestWithParam<CopyCase> {};

TEST_P(FileSystemCopyFile, ReplacesOrLeavesTheDestination) {
    const CopyCase& c = GetParam();
    TempFolder dir("copy");
    if (c.sourceExists)
        WriteFileBytes(dir / "source.bin", std::string("new\0bytes", 9));
    if (c.destinationExists)
        WriteFileBytes(dir / "destination.bin", "old");
    EXPECT_EQ(CopyFileTo(dir / "source.bin", dir / "destination.bin"), c.result) << c.label;
    std::string bytes;
    bool present = ReadFileBytes(dir / "destination.bin", bytes);
    if (c.result)
        EXPECT_EQ(bytes, std::string("new\0bytes", 9));
    else
        EXPECT_EQ(present ? bytes : "<none>", c.destinationExists ? "old" : "<none>");
}

INSTANTIATE_TEST_SUITE_P(Cases, FileSystemCopyFile,
                         testing::Values(CopyCase{"new destination", false, true, true},
                                         CopyCase{"onto an ordinary file", true, true, true},
                                         CopyCase{"missing source", true, false, false}));

TEST(FileSystem, CopyFileToFailsOnASourceHeldOpenWithoutSharing) {
    TempFolder dir("copy");
    WriteFileBytes(dir / "source.bin", "new");
    WriteFileBytes(dir / "destination.bin", "old");
    LockedFile lock(dir / "source.bin");
    ASSERT_TRUE(lock.ok());
    EXPECT_FALSE(CopyFileTo(dir / "source.bin", dir / "destination.bin"));
    std::string bytes;
    ReadFileBytes(dir / "destination.bin", bytes);
    EXPECT_EQ(bytes, "old");
}

// The system decides about a read-only destination: Windows refuses it, and
// so does Wine unless it runs as root. The result must say what happened.
TEST(FileSystem, CopyFileToReadOnlyDestinationFollowsTheSystemsRule) {
    TempFolder dir("copy");
    bool refused = ReadOnlyFilesRefuseWrites(dir.path());
    WriteFileBytes(dir / "source.bin", "new");
    WriteFileBytes(dir / "destination.bin", "old");
    SetFileAttributesA((dir / "destination.bin").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(CopyFileTo(dir / "source.bin", dir / "destination.bin"), !refused);
    std::string bytes;
    ReadFileBytes(dir / "destination.bin", bytes);
    EXPECT_EQ(bytes, refused ? "old" : "new");
}

struct RenameCase {
    const char* label;
    bool folder;
    bool targetExists;
};
void PrintTo(const RenameCase& c, std::ostream* out) {
    *out << c.label;
}

class FileSystemRename : public testing::TestWithParam<RenameCase> {};

TEST_P(FileSystemRename, RenamesUnlessTheNewNameExists) {
    const RenameCase& c = GetParam();
    TempFolder dir("rename");
    std::string from = dir / "old", to = dir / ("新" + kYun);
    if (c.folder) {
        MakeFolders(from);
        WriteFileBytes(from + "\\inside.txt", "in");
    } else {
        WriteFileBytes(from, "old bytes");
    }
    if (c.targetExists)
        MakeFolders(to + "\\taken");
    TreeListing before = ListTree(dir.path());

    EXPECT_EQ(RenamePath(from, to), !c.targetExists) << c.label;
    if (c.targetExists) {
        EXPECT_EQ(ListTree(dir.path()), before);
    } else {
        EXPECT_FALSE(Exists(from));
        TreeListing inside;
        if (c.folder)
            inside["inside.txt"] = "in";
        EXPECT_EQ(ListTree(to), inside);
        if (!c.folder) {
            std::string bytes;
            ReadFileBytes(to, bytes);
            EXPECT_EQ(bytes, "old bytes");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FileSystemRename,
                         testing::Values(RenameCase{"file", false, false},
                                         RenameCase{"folder", true, false},
                                         RenameCase{"file onto an existing name", false, true},
                                         RenameCase{"folder onto an existing name", true, true}));

TEST(FileSystem, RenamePathMissingOldNameFails) {
    TempFolder dir("rename");
    EXPECT_FALSE(RenamePath(dir / "missing", dir / "new"));
    EXPECT_FALSE(Exists(dir / "new"));
}

class FileSystemDeleteRootGuard : public testing::TestWithParam<const char*> {};

// A broken guard would empty the test drive, so the witness lives on it.
TEST_P(FileSystemDeleteRootGuard, DeletesNothing) {
    TempFolder dir("root-guard");
    WriteFileBytes(dir / "witness.txt", "still here");
    EXPECT_FALSE(DeleteFolderTree(GetParam())) << "[" << GetParam() << "]";
    EXPECT_TRUE(Exists(dir / "witness.txt"));
}

INSTANTIATE_TEST_SUITE_P(Cases, FileSystemDeleteRootGuard,
                         testing::Values("T:", "T:\\", "  T:", "   T:\\", "", "   "));

// Files and nested folders, dot-named entries, and a folder whose name ends
// in a character with the trail byte 0x5C.
void BuildDeletableTree(const std::string& root) {
    MakeFolders(root + "\\a\\b\\c");
    MakeFolders(root + "\\.dotdir\\.inner");
    MakeFolders(root + "\\中文\\" + kYun);
    MakeFolders(root + "\\empty");
    WriteFileBytes(root + "\\top.txt", "top");
    WriteFileBytes(root + "\\.dotfile", "dot");
    WriteFileBytes(root + "\\a\\b\\c\\deep.txt", "deep");
    WriteFileBytes(root + "\\a\\mid.txt", "mid");
    WriteFileBytes(root + "\\.dotdir\\.inner\\x", "x");
    WriteFileBytes(root + "\\中文\\" + kYun + "\\文件.txt", "f");
}

struct DeleteCase {
    const char* label;
    const char* before; // leading spaces
    const char* after;  // trailing backslash
};
void PrintTo(const DeleteCase& c, std::ostream* out) {
    *out << c.label;
}

class FileSystemDeleteTree : public testing::TestWithParam<DeleteCase> {};

TEST_P(FileSystemDeleteTree, RemovesEverything) {
    const DeleteCase& c = GetParam();
    TempFolder dir("delete");
    std::string root = dir / "tree";
    BuildDeletableTree(root);
    HANDLE handles = NextHandleValue();
    EXPECT_TRUE(DeleteFolderTree(c.before + root + c.after)) << c.label;
    EXPECT_FALSE(Exists(root));
    EXPECT_EQ(ListTree(dir.path()), TreeListing{});
    EXPECT_EQ(NextHandleValue(), handles);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileSystemDeleteTree,
                         testing::Values(DeleteCase{"plain", "", ""},
                                         DeleteCase{"trailing backslash", "", "\\"},
                                         DeleteCase{"leading spaces", "  ", ""},
                                         DeleteCase{"both", " ", "\\"}));

TEST(FileSystem, DeleteFolderTreeReadOnlyFileStaysWithTheFoldersAboveIt) {
    TempFolder dir("delete");
    std::string root = dir / "tree";
    BuildDeletableTree(root);
    WriteFileBytes(root + "\\a\\b\\locked.txt", "ro");
    SetFileAttributesA((root + "\\a\\b\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_FALSE(DeleteFolderTree(root));
    EXPECT_EQ(ListTree(dir.path()), (TreeListing{{"tree", "<dir>"},
                                                 {"tree\\a", "<dir>"},
                                                 {"tree\\a\\b", "<dir>"},
                                                 {"tree\\a\\b\\locked.txt", "ro"}}));
    EXPECT_EQ(GetFileAttributesA((root + "\\a\\b\\locked.txt").c_str()) & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

TEST(FileSystem, DeleteFolderTreeMissingFolderIsFalse) {
    TempFolder dir("delete");
    EXPECT_FALSE(DeleteFolderTree(dir / "missing"));
    EXPECT_TRUE(IsFolder(dir.path()));
}

TEST(FileSystem, ListFolderEntriesListsDotNamesAndJoinsByCharacter) {
    TempFolder dir("list");
    std::string folder = dir / ("目录" + kYun);
    MakeFolders(folder + "\\.sub");
    WriteFileBytes(folder + "\\.dot", "");
    WriteFileBytes(folder + "\\f.txt", "");
    for (const std::string& given : {folder, folder + "\\"}) {
        std::vector<FolderEntry> entries = ListFolderEntries(given);
        std::sort(entries.begin(), entries.end(),
                  [](const FolderEntry& l, const FolderEntry& r) { return l.path < r.path; });
        ASSERT_EQ(entries.size(), 3u) << given;
        EXPECT_EQ(entries[0].path, folder + "\\.dot");
        EXPECT_FALSE(entries[0].isFolder);
        EXPECT_EQ(entries[1].path, folder + "\\.sub");
        EXPECT_TRUE(entries[1].isFolder);
        EXPECT_EQ(entries[2].path, folder + "\\f.txt");
        EXPECT_FALSE(entries[2].isFolder);
    }
    EXPECT_TRUE(ListFolderEntries(dir / "missing").empty());
}

} // namespace
