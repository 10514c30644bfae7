// Real files in temporary folders for the tests, removed again at scope exit.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

namespace quellrin::test {

// A new empty folder on the test drive (T:, set up by the test script; the
// system's temporary folder otherwise), deleted with all it holds at scope exit.
class TempFolder {
  public:
    explicit TempFolder(const std::string& tag = "t");
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    const std::string& path() const { return path_; }
    // path() + "\" + relative
    std::string operator/(const std::string& relative) const;

  private:
    std::string path_;
};

// Removes a folder tree, read-only entries included; true when it is gone.
bool RemoveTree(const std::string& path);

bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string& bytes);
// Creates every missing folder on the way.
bool MakeFolders(const std::string& path);
bool Exists(const std::string& path);
bool IsFolder(const std::string& path);

// Relative path -> content ("<dir>" for a folder), of a whole tree.
using TreeListing = std::map<std::string, std::string>;
TreeListing ListTree(const std::string& root);

// A file held open without sharing until the object goes.
class LockedFile {
  public:
    explicit LockedFile(const std::string& path);
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    ~LockedFile();
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

} // namespace quellrin::test
