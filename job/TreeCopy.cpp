#include "job/TreeCopy.h"

#include "services/FileSystem.h"
#include "services/WindowLayer.h"

namespace quellrin {
namespace {

constexpr std::uint32_t kFolders = FILE_ATTRIBUTE_DIRECTORY;

// The search variable of one level, closed on every way out of it.
class LevelSearch {
  public:
    LevelSearch() = default;
    LevelSearch(const LevelSearch&) = delete;
    LevelSearch& operator=(const LevelSearch&) = delete;
    ~LevelSearch() { CloseFileSearch(handle); }
    SearchHandle handle = nullptr;
};

void Count(CopyReport& report, std::int64_t& counter, const Text& path) {
    ++counter;
    if (report.firstFailure.empty())
        report.firstFailure = path;
}

// The ANSI search puts the code page's default character '?' where a name
// holds a character that code page 936 has not; no real name contains one, so
// no path built from such a name reaches the entry. '?' is below the range of
// trail bytes, so a byte search finds only real characters.
bool LostCharacters(const Text& name) {
    return name.find('?') != Text::npos;
}

bool IsDotOrDotDot(const Text& name) {
    return name == "." || name == "..";
}

void CopyLevel(Text& source, Text& destination, CopyReport& report) {
    ProcessPendingEvents();
    if (!EndsWithBackslash(source))
        source += '\\';
    if (!EndsWithBackslash(destination))
        destination += '\\';
    // A folder left from an earlier copy is as good as a new one.
    if (!CreateFolder(destination) && !IsExistingFolder(destination))
        Count(report, report.failedFolders, destination);

    // The entry paths are built in two buffers that keep their capacity from
    // one entry to the next; only the name part changes.
    const std::size_t sourceBase = source.size();
    const std::size_t destinationBase = destination.size();
    Text from = source;
    Text to = destination;
    const Text pattern = source + "*.*";
    const Text next;
    LevelSearch search;
    bool unreadable = false;

    for (Text name = FindFile(pattern, 0, true, search.handle, unreadable); !name.empty();
         name = FindFile(next, 0, true, search.handle, unreadable)) {
        from.resize(sourceBase);
        from += name;
        to.resize(destinationBase);
        to += name;
        if (LostCharacters(name) || !CopyFileTo(from, to))
            Count(report, report.failedFiles, from);
    }

    for (Text name = FindFile(pattern, kFolders, false, search.handle, unreadable); !name.empty();
         name = FindFile(next, kFolders, false, search.handle, unreadable)) {
        if (IsDotOrDotDot(name))
            continue;
        from.resize(sourceBase);
        from += name;
        if (LostCharacters(name)) {
            Count(report, report.unlistedFolders, from);
            continue;
        }
        to.resize(destinationBase);
        to += name;
        CopyLevel(from, to, report);
    }

    if (unreadable)
        Count(report, report.unlistedFolders, source);
}

} // namespace

CopyReport CopyDirectoryTree(Text& source, Text& destination) {
    CopyReport report;
    CopyLevel(source, destination, report);
    return report;
}

} // namespace quellrin
