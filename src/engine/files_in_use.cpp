#include "engine/files_in_use.h"

#include "foundation/delete_at_restart.h"
#include "foundation/file_holders.h"
#include "foundation/selection_profile.h"
#include "foundation/text.h"

namespace nv::engine {

FilesInUse::FilesInUse(EraseContext& erase, Counters& counters, bool markAtRestart)
    : erase_(erase), previous_(erase.held()), counters_(counters), mark_(markAtRestart) {
    erase.set_held(this);
}

FilesInUse::~FilesInUse() { erase_.set_held(previous_); }

bool FilesInUse::MarkHeldFile(const std::wstring& path) {
    if (!mark_ || erase_.preview()) return false;
    if (marked_.contains(path)) return true;  // met again by a later step
    if (marked_.size() + notMarked_.size() >= kMaxHeld) return false;
    const Fate fate = Normal::MarkHeldAtReboot(path, false);
    if (fate != Fate::Removed) {
        notMarked_.emplace(path, fate);
        return false;
    }
    marked_.insert(path);
    ++counters_.atRestart;
    return true;
}

void FilesInUse::OnHeldFile(const std::wstring& path) {
    if (held_.size() >= kMaxHeld) {
        ++files_;
        return;
    }
    if (!seen_.insert(path).second) return;
    ++files_;
    held_.push_back({path, false});
}

void FilesInUse::OnHeldFolder(const std::wstring& path) {
    if (held_.size() < kMaxHeld && seen_.insert(path).second) held_.push_back({path, true});
}

std::wstring FilesInUse::EndItem(const std::wstring& status) {
    std::wstring text = status;
    if (!held_.empty() && !erase_.stopped()) {
        std::vector<std::wstring> asked;
        for (const Target& t : held_)
            if (!t.folder && asked.size() < kMaxAsked) asked.push_back(t.path);
        const std::vector<holders::Holder> found = holders::Current().Find(asked);
        if (!found.empty()) {
            const std::wstring who = holders::HolderText(found);
            if (EraseSink* sink = erase_.sink())
                for (const std::wstring& f : asked) sink->OnHolder(f, who);
            text += L", " + std::to_wstring(files_) + (files_ == 1 ? L" file" : L" files") + L" in use by " + who;
        }
        if (mark_) Mark();
    } else if (!held_.empty()) {
        // Cut short: what was marked is marked; no folder is.
        for (const Target& t : held_)
            if (!t.folder && marked_.contains(t.path)) erase_.Report(RemovalKind::AtReboot, t.path);
    }
    held_.clear();
    marked_.clear();
    notMarked_.clear();
    seen_.clear();
    files_ = 0;
    return text;
}

void FilesInUse::Mark() {
    // A folder goes at restart only when everything below it does: one
    // that keeps a file (not marked) is not marked either.
    std::vector<std::wstring> kept;
    auto below = [](const std::wstring& path, const std::wstring& folder) {
        return path.size() > folder.size() && path[folder.size()] == L'\\' &&
               CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                                    static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
    };
    for (const Target& t : held_) {
        Fate fate = Fate::Removed;
        if (!t.folder) {
            // Files were marked as they were met.
            if (!marked_.contains(t.path)) {
                const auto why = notMarked_.find(t.path);
                fate = why == notMarked_.end() ? Fate::Failed : why->second;
            }
        } else {
            for (const std::wstring& k : kept)
                if (below(k, t.path)) fate = Fate::Failed;
            if (fate == Fate::Removed) fate = Normal::MarkHeldAtReboot(t.path, true);
        }
        if (fate == Fate::Removed) {
            erase_.Report(RemovalKind::AtReboot, t.path);
            continue;
        }
        kept.push_back(t.path);
        if (EraseSink* sink = erase_.sink()) sink->OnNotMarked(t.path, fate);
    }
}

std::wstring EndItem(RunContext& ctx, const std::wstring& status) {
    return ctx.inUse ? ctx.inUse->EndItem(status) : status;
}

std::wstring AtRestartText(double files) {
    return NumberText(files) + (files == 1 ? L" file" : L" files") + L" will be deleted at the next restart.";
}

bool AtRestartOn() { return profile::NumericFlag(profile::kOptions, profile::opt::atreboot); }

}  // namespace nv::engine
