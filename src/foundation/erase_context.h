// The context every erase primitive works in: clean or preview mode, a sink
// that hears of every removal, the pump that keeps the window alive during
// long walks, and the run's cancel flag.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "foundation/preview_state.h"

namespace nv {

enum class RemovalKind {
    File,        // a file counted and deleted (bytes = its size)
    Folder,      // a folder tree deleted or emptied (bytes = what it counted)
    Key,         // a registry key deleted with the plain delete
    KeyTree,     // a registry key deleted with all its subkeys
    Value,       // a registry value deleted
    IniSection,  // a section removed from an INI file
    AtReboot,    // a file marked for deletion at the next system start
    Command,     // a program started to clean on our behalf
    RecycleBin,  // the Recycle Bin emptied
    Clipboard,   // the clipboard emptied
    RecentDocs,  // the shell's recent-documents list cleared
    UrlHistory,  // the browser's URL history store cleared
    Refused,     // a protected target or a link that was not touched
};

// Lower-case name used in the preview listing: "file", "keytree", ...
const wchar_t* RemovalKindName(RemovalKind kind);

// What became of a target, when it was not simply removed: left (and
// why), or removed without its content overwritten by secure deletion.
enum class Fate : unsigned char {
    Removed,         // removed (and overwritten first when secure deletion is on)
    InUse,           // left: another program holds it
    ReadOnly,        // left: read-only (only hidden files are unhidden)
    AccessDenied,    // left: the system refused
    Failed,          // left: any other error
    Link,            // left alone: a link, never followed
    Protected,       // left alone: a protected folder or key
    Malformed,       // left alone: a path holding a NUL or a character no path may hold
    TooDeep,         // left alone: deeper than any walk goes
    NotListed,       // left alone: a registry key that could not be listed
    KeptOtherNames,  // removed, not overwritten: other hard links keep its content
    KeptInUse,       // removed, not overwritten: it could not be opened for writing
    KeptUnmapped,    // removed, not overwritten: where its data lies is unknown (sparse, compressed)
    KeptPartly,      // removed, overwritten only in part: writing failed
};

struct Removal {
    RemovalKind kind;
    std::wstring target;  // path, "ROOT\sub\key", "ROOT\sub\key\value", command line
    double bytes = 0;
};

class EraseSink {
public:
    virtual ~EraseSink() = default;
    virtual void OnRemoval(const Removal& removal) = 0;
    // What became of a file counted before (then heard right after it) or of
    // one inside a folder being removed (heard only here); and why a
    // refused target was refused (heard right after it).
    virtual void OnFate(const std::wstring& target, double bytes, Fate fate) {}
    // At an item's end, for a file it left in use (heard before): the
    // programs that hold it, "Firefox (firefox.exe, 4312)".
    virtual void OnHolder(const std::wstring& target, const std::wstring& holder) {}
    // A file or folder left in use that was not marked for deletion at the
    // next start, and why (Link, Protected, KeptOtherNames, AccessDenied:
    // the rights are lacking, Failed).
    virtual void OnNotMarked(const std::wstring& target, Fate why) {}
};

// Hears the targets a clean leaves only because another program holds
// them, as the primitives meet them: each such file, and after its content
// each folder that would have gone but for such files below it. Only a run
// sets one; nothing in a walk costs more without it.
class HeldTargets {
public:
    virtual ~HeldTargets() = default;
    // Asked first, before the file's size is counted: true when the file is
    // now marked for deletion at the next start, which then counts nothing
    // until it is gone.
    virtual bool MarkHeldFile(const std::wstring& path) { return false; }
    virtual void OnHeldFile(const std::wstring& path) = 0;
    virtual void OnHeldFolder(const std::wstring& path) = 0;
};

// What a plug-in's exclusions keep. While a guard is set, the primitives
// leave such files, keys and values alone: not counted, not deleted, not
// heard; a folder or key that holds one is not deleted whole.
class EraseGuard {
public:
    virtual ~EraseGuard() = default;
    // A file by its full path, as the sink shows paths.
    virtual bool KeepsFile(std::wstring_view path) const = 0;
    // A key with everything below it ("HKEY_CURRENT_USER\Software\...").
    virtual bool KeepsKey(std::wstring_view keyText) const = 0;
    // Something strictly below the key, or one of its values.
    virtual bool KeepsBelow(std::wstring_view keyText) const = 0;
    virtual bool KeepsValue(std::wstring_view keyText, std::wstring_view name) const = 0;
};

class EraseContext {
public:
    EraseContext() = default;
    explicit EraseContext(bool preview) : preview_(preview) {}

    // In preview mode nothing is deleted, created or written; every count
    // still comes out as a clean on the same state would report it.
    bool preview() const { return preview_; }
    // What this preview has already counted as removed (preview mode only).
    PreviewState& removed() {
        if (!removed_) removed_ = std::make_unique<PreviewState>();
        return *removed_;
    }

    void set_sink(EraseSink* sink) { sink_ = sink; }
    bool has_sink() const { return sink_ != nullptr; }
    EraseSink* sink() const { return sink_; }
    void Report(RemovalKind kind, std::wstring target, double bytes = 0) const {
        if (sink_) sink_->OnRemoval({kind, std::move(target), bytes});
    }
    void ReportFate(const std::wstring& target, double bytes, Fate fate) const {
        if (sink_) sink_->OnFate(target, bytes, fate);
    }
    // A target left alone: heard as refused, with the reason.
    void Refuse(const std::wstring& target, Fate why) const {
        Report(RemovalKind::Refused, target);
        ReportFate(target, 0, why);
    }

    // Secure deletion: every file deleted is overwritten first (files only;
    // a preview just tells).
    void set_secure(bool on) { secure_ = on; }
    bool secure() const { return secure_; }

    // The pump processes pending window messages. MaybePump() calls it when
    // about 15 ms have passed since the last call: pumping after every file
    // would make walks several times slower for no visible gain.
    void set_pump(std::function<void()> pump) { pump_ = std::move(pump); }
    void MaybePump();

    // Walks and loops ask cancelled() and stop when it says so; stopped()
    // then tells the run that the current item was cut short.
    void set_cancel_flag(const bool* flag) { cancel_ = flag; }
    bool cancelled() const {
        if (cancel_ && *cancel_) stopped_ = true;
        return cancel_ && *cancel_;
    }
    bool stopped() const { return stopped_; }

    void set_guard(const EraseGuard* guard) { guard_ = guard; }
    const EraseGuard* guard() const { return guard_; }

    void set_held(HeldTargets* held) { held_ = held; }
    HeldTargets* held() const { return held_; }

private:
    bool preview_ = false;
    bool secure_ = false;
    std::unique_ptr<PreviewState> removed_;
    EraseSink* sink_ = nullptr;
    std::function<void()> pump_;
    const bool* cancel_ = nullptr;
    mutable bool stopped_ = false;
    const EraseGuard* guard_ = nullptr;
    HeldTargets* held_ = nullptr;
    DWORD lastPump_ = 0;
};

}  // namespace nv
