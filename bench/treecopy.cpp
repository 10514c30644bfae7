// One CopyDirectoryTree, timed, with the process's peak memory afterwards.
//   treecopy.exe SOURCE DESTINATION
// Prints one line of key=value pairs; exit code 0 when the copy is complete,
// 1 when the report counts failures, 2 on bad arguments.
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "job/TreeCopy.h"

using namespace quellrin;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: treecopy SOURCE DESTINATION\n");
        return 2;
    }
    Text source = argv[1], destination = argv[2];

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    CopyReport report = CopyDirectoryTree(source, destination);
    QueryPerformanceCounter(&end);

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);

    double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                static_cast<double>(frequency.QuadPart);
    std::printf("elapsed_ms=%.1f peak_working_set_kb=%lu peak_private_kb=%lu failed_files=%lld "
                "failed_folders=%lld unlisted_folders=%lld first_failure=%s\n",
                ms, static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024),
                static_cast<unsigned long>(memory.PeakPagefileUsage / 1024),
                static_cast<long long>(report.failedFiles),
                static_cast<long long>(report.failedFolders),
                static_cast<long long>(report.unlistedFolders),
                report.firstFailure.empty() ? "-" : report.firstFailure.c_str());
    return report.complete() ? 0 : 1;
}
