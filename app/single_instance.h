// One copy of the program at a time, per session.
#pragma once

#include <windows.h>

namespace talvex {

class SingleInstance {
  public:
    // Creating the named mutex is atomic: of several copies started at the same moment,
    // exactly one finds it new.
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    bool AnotherIsRunning() const { return anotherIsRunning_; }

  private:
    HANDLE mutex_ = nullptr;
    bool anotherIsRunning_ = false;
};

}  // namespace talvex
