// The run lock: one cleaning run or Winapp2 import at a time, in this
// process (a run yields to the message loop, so a menu or timer could ask
// for another) and across processes (a second cleaner.exe /clean or
// /import-winapp2).
#pragma once

#include "foundation/handles.h"

namespace nv {

class RunLock {
public:
    RunLock();
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;
    // False when a run or an import was already in progress.
    bool held() const { return held_; }

private:
    ScopedHandle mutex_;
    bool held_ = false;
};

// True while a run or an import is in progress in any process of this
// user session.
bool RunInProgressAnywhere();

}  // namespace nv
