// One copy of the program at a time, per session.
#pragma once

#include <windows.h>

#include "platform/unique_handle.h"

namespace talvex {

class SingleInstance {
  public:
    // Creating the named mutex is atomic: of several copies started at the same moment,
    // exactly one finds it new. The mutex lives as long as the object.
    SingleInstance();

    bool AnotherIsRunning() const { return anotherIsRunning_; }

    // Sends `message` to the running copy's window of class `windowClass`, letting it take
    // the foreground: the user who starts the program again is looking for it (hidden, with
    // its icon perhaps out of sight in the notification area's overflow). Waits a few
    // seconds at most for the answer; nothing happens when no such window is found.
    static void BringRunningCopyForward(const wchar_t* windowClass, UINT message);

  private:
    UniqueKernelHandle mutex_;
    bool anotherIsRunning_ = false;
};

}  // namespace talvex
