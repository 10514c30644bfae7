// The win32-thread MinGW has no std::mutex or std::condition_variable, which
// gtest's Notification uses; only gtest's own thread tests need that class.
#pragma once

#include <atomic>

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
  public:
    Notification() : notified_(false) {}
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { notified_.store(true); }
    void WaitForNotification() {
        while (!notified_.load())
            Sleep(1);
    }

  private:
    std::atomic<bool> notified_;
};

} // namespace internal
} // namespace testing
