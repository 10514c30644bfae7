// How long one GetFolderSize blocks the window thread, as the progress timer
// calls it on every 100 ms tick.
//
//   foldersize measure EMPTY-FOLDER (LABEL PATH FILES BYTES NATIVE-MS)...
//     per tree: GetFolderSize, the find walk alone, two cheaper-looking walks
//     (the basic find level with large fetches; whole directory blocks through
//     GetFileInformationByHandleEx), and GetFolderSize of an empty folder (the
//     automation part);
//     each call timed, the mean, the worst and the per-file cost printed, with
//     the ratio to a native walk of the same tree (measured by the script).
//   foldersize grow SOURCE DEST-ALONE DEST-MEASURED
//     copies SOURCE with CopyFileA on a worker thread three times: alone,
//     while this thread measures the destination every 100 ms, alone again;
//     prints the ticks, the worst tick and the copy's wall time against the
//     plain copy (DEST-ALONE-1 and -2).
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "job/FolderSize.h"
#include "services/Text.h"

using namespace quellrin;

namespace {

constexpr double kTickMs = 100.0; // the progress timer's period

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Timing {
    int calls = 0;
    double first = 0, total = 0, worst = 0;
    std::int64_t result = 0;
    void add(double ms, std::int64_t value) {
        if (calls == 0)
            first = ms;
        ++calls;
        total += ms;
        worst = std::max(worst, ms);
        result = value;
    }
    double mean() const { return calls ? total / calls : 0; }
};

// The same walk as the fallback, but asking for the basic find level (no
// short names) and large fetches: a cheaper walk, if the system has one.
std::int64_t TotalWithBasicFind(const Text& path) {
    std::string pending = path;
    std::vector<std::size_t> starts{0};
    std::string folder;
    std::int64_t total = 0;
    WIN32_FIND_DATAA entry;
    while (!starts.empty()) {
        folder.assign(pending, starts.back());
        pending.resize(starts.back());
        starts.pop_back();
        if (!EndsWithBackslash(folder))
            folder += '\\';
        const std::size_t base = folder.size();
        folder += '*';
        HANDLE h = FindFirstFileExA(folder.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                    nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        do {
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                const char* n = entry.cFileName;
                if ((n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) ||
                    (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                    continue;
                starts.push_back(pending.size());
                pending.append(folder, 0, base).append(n);
            } else {
                total += static_cast<std::int64_t>(
                    (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow);
            }
        } while (FindNextFileA(h, &entry));
        FindClose(h);
    }
    return total;
}

// Whole directory blocks through a directory handle, sizes and names without
// the find layer's per-entry copy: the cheapest listing the system offers.
std::int64_t TotalWithDirectoryInfo(const Text& path) {
    std::vector<std::string> pending{path};
    std::int64_t total = 0;
    alignas(8) static char block[65536];
    while (!pending.empty()) {
        std::string folder = std::move(pending.back());
        pending.pop_back();
        HANDLE h = CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        while (GetFileInformationByHandleEx(h, FileFullDirectoryInfo, block, sizeof block)) {
            for (char* p = block;;) {
                const auto* e = reinterpret_cast<const FILE_FULL_DIR_INFO*>(p);
                const int units = static_cast<int>(e->FileNameLength / sizeof(WCHAR));
                if (!(e->FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    total += e->EndOfFile.QuadPart;
                } else if (!(units == 1 && e->FileName[0] == L'.') &&
                           !(units == 2 && e->FileName[0] == L'.' && e->FileName[1] == L'.') &&
                           !(e->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                    char name[MAX_PATH * 2];
                    int n = WideCharToMultiByte(CP_ACP, 0, e->FileName, units, name, sizeof name,
                                                nullptr, nullptr);
                    pending.push_back(WithTrailingBackslash(folder) + std::string(name, n));
                }
                if (!e->NextEntryOffset)
                    break;
                p += e->NextEntryOffset;
            }
        }
        CloseHandle(h);
    }
    return total;
}

int Measure(int argc, char** argv) {
    const Text empty = argv[2];
    std::printf("%-5s %6s %-28s %5s %9s %9s %9s %10s %8s %10s\n", "tree", "files", "call", "calls",
                "first ms", "mean ms", "worst ms", "us/file", "x native", "worst/tick");
    bool allRight = true;
    for (int i = 3; i + 4 < argc; i += 5) {
        const char* label = argv[i];
        const Text path = argv[i + 1];
        const double files = std::atof(argv[i + 2]);
        const std::int64_t bytes = std::atoll(argv[i + 3]);
        const double nativeMs = std::atof(argv[i + 4]);
        const int rounds = files <= 2000 ? 40 : files <= 20000 ? 15 : 5;

        struct Variant {
            const char* name;
            std::function<std::int64_t()> call;
            bool perFile;
            Timing timing;
        } variants[] = {
            {"GetFolderSize", [&] { return GetFolderSize(path); }, true, {}},
            {"find walk (fallback)", [&] { return TotalFolderFiles(path); }, true, {}},
            {"basic find walk (peer)", [&] { return TotalWithBasicFind(path); }, true, {}},
            {"directory-info walk (peer)", [&] { return TotalWithDirectoryInfo(path); }, true, {}},
            {"automation part (empty)", [&] { return GetFolderSize(empty); }, false, {}},
        };
        // Interleaved, so drift on a shared machine falls on all alike.
        for (int r = 0; r < rounds; ++r) {
            for (Variant& v : variants) {
                double t0 = NowMs();
                std::int64_t value = v.call();
                v.timing.add(NowMs() - t0, value);
            }
        }
        for (const Variant& v : variants) {
            const Timing& t = v.timing;
            char perFile[32] = "-", ratio[32] = "-";
            if (v.perFile) {
                std::snprintf(perFile, sizeof perFile, "%.2f", 1000.0 * t.mean() / files);
                if (nativeMs > 0)
                    std::snprintf(ratio, sizeof ratio, "%.1f", t.mean() / nativeMs);
                if (t.result != bytes) {
                    std::printf("  !! %s gave %lld bytes, expected %lld\n", v.name,
                                static_cast<long long>(t.result), static_cast<long long>(bytes));
                    allRight = false;
                }
            }
            std::printf("%-5s %6.0f %-28s %5d %9.1f %9.1f %9.1f %10s %8s %10.2f\n", label, files,
                        v.name, t.calls, t.first, t.mean(), t.worst, perFile, ratio,
                        t.worst / kTickMs);
        }
        std::fflush(stdout);
    }
    return allRight ? 0 : 1;
}

// A plain recursive copy with CopyFileA, the system call the tree copy uses.
void CopyTree(const std::string& from, const std::string& to, long& files) {
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA entry;
    HANDLE h = FindFirstFileA((from + "\\*").c_str(), &entry);
    if (h == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::string> folders;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            folders.push_back(name);
        } else if (CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE)) {
            ++files;
        }
    } while (FindNextFileA(h, &entry));
    FindClose(h);
    for (const std::string& name : folders)
        CopyTree(from + "\\" + name, to + "\\" + name, files);
}

struct CopyJob {
    std::string from, to;
    long files = 0;
    double ms = 0;
};

DWORD WINAPI RunCopy(void* param) {
    CopyJob* job = static_cast<CopyJob*>(param);
    double t0 = NowMs();
    CopyTree(job->from, job->to, job->files);
    job->ms = NowMs() - t0;
    return 0;
}

int Grow(char** argv) {
    // The plain copy before and after the measured one, so that a warmer cache
    // or a busier machine does not favour either side.
    CopyJob before{argv[2], std::string(argv[3]) + "-1"};
    RunCopy(&before);

    CopyJob measured{argv[2], argv[4]};
    HANDLE worker = CreateThread(nullptr, 0, RunCopy, &measured, 0, nullptr);
    Timing ticks;
    int over = 0;
    double next = NowMs() + kTickMs;
    for (;;) {
        // A timer tick: at most every 100 ms, at once when the last one overran.
        double wait = next - NowMs();
        if (WaitForSingleObject(worker, wait > 0 ? static_cast<DWORD>(wait) : 0) == WAIT_OBJECT_0)
            break;
        double t0 = NowMs();
        std::int64_t size = GetFolderSize(argv[4]);
        double ms = NowMs() - t0;
        ticks.add(ms, size);
        if (ms > kTickMs)
            ++over;
        next = std::max(next + kTickMs, NowMs());
    }
    CloseHandle(worker);
    CopyJob after{argv[2], std::string(argv[3]) + "-2"};
    RunCopy(&after);
    CopyJob alone{argv[2], argv[3], (before.files + after.files) / 2, (before.ms + after.ms) / 2};

    std::printf("copy of %ld files alone (mean of 2):  %8.0f ms\n", alone.files, alone.ms);
    std::printf("copy of %ld files, measured 100 ms:  %8.0f ms (x%.2f)\n", measured.files,
                measured.ms, alone.ms > 0 ? measured.ms / alone.ms : 0);
    std::printf("ticks %d: mean %.1f ms, worst %.1f ms, over 100 ms: %d; window thread busy "
                "%.0f%% of the copy\n",
                ticks.calls, ticks.mean(), ticks.worst, over,
                measured.ms > 0 ? 100.0 * ticks.total / measured.ms : 0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // As on the program's window thread: COM initialised, the measurement there.
    if (FAILED(OleInitialize(nullptr)))
        return 2;
    int rc = 2;
    if (argc >= 8 && std::string(argv[1]) == "measure")
        rc = Measure(argc, argv);
    else if (argc == 5 && std::string(argv[1]) == "grow")
        rc = Grow(argv);
    else
        std::fprintf(stderr, "usage: see the comment at the top of bench/foldersize.cpp\n");
    OleUninitialize();
    return rc;
}
