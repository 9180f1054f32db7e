#include "foundation/run_lock.h"

namespace nv {
namespace {
constexpr wchar_t kRunMutex[] = L"Local\\NorvaleSystemCleaner.CleaningRun";
bool g_running = false;
}  // namespace

RunLock::RunLock() {
    if (g_running) return;
    mutex_.reset(CreateMutexW(nullptr, TRUE, kRunMutex));
    if (!mutex_) return;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Someone else created it: wait for ownership only if it is free.
        DWORD w = WaitForSingleObject(mutex_.get(), 0);
        if (w != WAIT_OBJECT_0 && w != WAIT_ABANDONED) {
            mutex_.reset();
            return;
        }
    }
    g_running = true;
    held_ = true;
}

RunLock::~RunLock() {
    if (!held_) return;
    ReleaseMutex(mutex_.get());
    g_running = false;
}

bool RunInProgressAnywhere() {
    if (g_running) return true;
    ScopedHandle m(OpenMutexW(SYNCHRONIZE, FALSE, kRunMutex));
    if (!m) return false;
    DWORD w = WaitForSingleObject(m.get(), 0);
    if (w == WAIT_OBJECT_0 || w == WAIT_ABANDONED) {
        ReleaseMutex(m.get());
        return false;
    }
    return true;
}

}  // namespace nv
