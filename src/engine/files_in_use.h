// Files an item leaves because another program holds them: gathered while
// the item runs, their holders asked once when it ends (one Restart Manager
// session, never one per file), and with "Delete files in use at the next
// restart" on, marked for deletion at the next start.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/catalogue.h"
#include "foundation/erase_context.h"

namespace nv::engine {

class FilesInUse : public HeldTargets {
public:
    // Hears the held targets of `erase` while it lives. markAtRestart: the
    // Options box (never in a preview).
    FilesInUse(EraseContext& erase, Counters& counters, bool markAtRestart);
    ~FilesInUse() override;
    FilesInUse(const FilesInUse&) = delete;
    FilesInUse& operator=(const FilesInUse&) = delete;

    bool MarkHeldFile(const std::wstring& path) override;
    void OnHeldFile(const std::wstring& path) override;
    void OnHeldFolder(const std::wstring& path) override;

    // The item ends: the sink hears who holds its files and what could not
    // be marked, and the row's status comes back with the holders named
    // ("Done, 2 files in use by Firefox (firefox.exe, 4312)"), or as it was
    // when the system names no one or the item was cut short.
    std::wstring EndItem(const std::wstring& status);

private:
    void Mark();

    struct Target {
        std::wstring path;
        bool folder;
    };
    // Files marked as they were met (their size was never counted), and
    // why others could not be; heard by the sink when the item ends.
    std::unordered_set<std::wstring> marked_;
    std::unordered_map<std::wstring, Fate> notMarked_;
    EraseContext& erase_;
    HeldTargets* previous_;
    Counters& counters_;
    bool mark_;
    std::vector<Target> held_;  // in the order heard: a folder after its files
    std::unordered_set<std::wstring> seen_;  // an item may meet a file twice (two steps)
    size_t files_ = 0;          // held files of the item, counted past the cap too
};

// How many held targets an item keeps (more are counted, neither named nor
// marked), and how many of its files the system is asked about.
inline constexpr size_t kMaxHeld = 10000;
inline constexpr size_t kMaxAsked = 64;

// The status of the item that ends now, through ctx.inUse when there is one.
std::wstring EndItem(RunContext& ctx, const std::wstring& status);

// The end message's sentence: "3 files will be deleted at the next restart."
std::wstring AtRestartText(double files);

// The Options box "Delete files in use at the next restart".
bool AtRestartOn();

}  // namespace nv::engine
