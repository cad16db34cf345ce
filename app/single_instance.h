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

  private:
    UniqueKernelHandle mutex_;
    bool anotherIsRunning_ = false;
};

}  // namespace talvex
