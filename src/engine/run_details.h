// What a run found or did, target by target and row by row: the data
// behind Analyze's row estimates and the details view. It listens to the
// run's erase sink and learns the rows from the view (DetailsView).
//
// Memory is bounded per target: folders are kept once, as a tree of names,
// and each target holds its kind, size, folder and own name. The listing
// stops at a fixed number of targets (the tallies go on counting).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/run_view.h"
#include "foundation/erase_context.h"

namespace nv::engine {

// What the targets of one row (or of the whole run) add up to.
struct RowTally {
    uint32_t files = 0, folders = 0, registry = 0, sections = 0, atReboot = 0, commands = 0, refused = 0;
    uint32_t left = 0, readOnly = 0;  // files that stay (readOnly: of them, read-only ones)
    uint32_t notOverwritten = 0;      // removed, but secure deletion could not overwrite them
    uint32_t notMarked = 0;           // in use, and not marked for deletion at restart
    bool recycleBin = false, clipboard = false, recentDocs = false, urlHistory = false;
    double bytes = 0;

    void Add(RemovalKind kind, double size);
    void Add(Fate fate);
    bool Empty() const;
};

// A row's estimate: "12 files, 3.40 MB", "5 registry entries",
// "Will ask the browser to clear", "Nothing to clean".
std::wstring EstimateText(const RowTally& tally);

// "512 bytes", "4.00 KB", "3.40 MB", "1.20 GB".
std::wstring SizeText(double bytes);

class RunDetails;
// What became of one listed target: "To be removed", "Removed (secure)",
// "Left: in use by another program", ...
std::wstring ResultText(const RunDetails& details, size_t target);

class RunDetails : public EraseSink {
public:
    // preview: the run removes nothing (Analyze); secure: files are
    // overwritten before they are deleted. maxListed bounds the listing.
    RunDetails(bool preview, bool secure, size_t maxListed = 1'000'000);

    // A result row starts: what is heard from now on belongs to it.
    void BeginRow(const std::wstring& label);
    // The rows that follow (the run's last row) stand for the whole run.
    void EndItems();
    // The open row's status as the run gave it ("Done, 1 line refused").
    void SetRowStatus(const std::wstring& text);
    void OnRemoval(const Removal& removal) override;
    void OnFate(const std::wstring& target, double bytes, Fate fate) override;
    void OnHolder(const std::wstring& target, const std::wstring& holder) override;
    void OnNotMarked(const std::wstring& target, Fate why) override;

    struct Row {
        std::wstring label;
        size_t first = 0, last = 0;  // its targets, [first, last) of the listing
        RowTally tally;
        bool wholeRun = false;       // the run's last row: every target
        std::wstring note;           // what the row's status adds to "Done": "1 line refused"
    };
    size_t RowCount() const { return rows_.size(); }
    const Row& row(size_t i) const { return rows_[i]; }
    const RowTally& total() const { return total_; }
    bool preview() const { return preview_; }
    bool secure() const { return secure_; }
    // True when some targets were counted but not listed (the listing is full).
    bool truncated() const { return truncated_; }

    // The listing, in the order the run heard it.
    size_t TargetCount() const { return entries_.size(); }
    RemovalKind Kind(size_t i) const { return entries_[i].kind; }
    double Bytes(size_t i) const { return entries_[i].bytes; }
    Fate FateOf(size_t i) const { return entries_[i].fate; }
    // Who holds a target left in use ("Firefox (firefox.exe, 4312)"); "" when no one was named.
    std::wstring HolderOf(size_t i) const;
    std::wstring Target(size_t i) const;
    // Orders two targets by path: folder by folder, then by name, letter case ignored.
    bool PathBefore(size_t a, size_t b) const;

private:
    static constexpr uint32_t kNoFolder = UINT32_MAX;
    struct Name {
        uint32_t at = 0;  // in pool_
        uint16_t length = 0;
    };
    struct Folder {
        uint32_t parent;
        Name name;
    };
    struct Entry {
        double bytes;
        uint32_t folder;
        Name name;
        RemovalKind kind;
        Fate fate = Fate::Removed;
    };

    Name Keep(std::wstring_view s);
    std::wstring_view View(Name n) const { return {pool_.data() + n.at, n.length}; }
    uint32_t FolderOf(std::wstring_view folder);
    void AppendFolder(std::wstring& out, uint32_t folder) const;
    bool Append(RemovalKind kind, const std::wstring& target, double bytes, Fate fate);
    Row* OpenRow() { return !rows_.empty() && !rows_.back().wholeRun ? &rows_.back() : nullptr; }
    const std::vector<uint32_t>& FolderRanks() const;

    bool preview_, secure_;
    size_t maxListed_;
    bool truncated_ = false;
    bool afterItems_ = false;
    bool lastHeard_ = false;  // the last entry was heard just now: a fate may follow for it
    std::vector<Row> rows_;
    RowTally total_;
    std::vector<Entry> entries_;
    std::vector<wchar_t> pool_;
    std::vector<Folder> folders_;
    std::unordered_map<std::wstring, uint32_t> folderIndex_;  // parent number + name -> folder
    std::wstring lastFolder_;
    uint32_t lastFolderIndex_ = kNoFolder;
    mutable std::vector<uint32_t> ranks_;  // folders in path order, made when first sorted
    std::vector<uint32_t> inUse_;           // the open row's targets left in use, in the order heard
    std::unordered_multimap<std::wstring, uint32_t> inUseByPath_;  // of them, those looked up so far
    size_t inUseIndexed_ = 0;
    std::vector<std::wstring> holders_;
    std::unordered_map<uint32_t, uint32_t> holderOf_;  // target -> holders_
};

// A run view that tells RunDetails where each result row starts and passes
// everything on to the real view. For Analyze it also shows, instead of the
// clean's texts, what a clean would remove: "Analyzing ..." while a row
// works, its estimate when it is done, and no end box or popup.
class DetailsView : public RunView {
public:
    enum class Mode { Clean, Analyze };
    DetailsView(RunView& inner, RunDetails& details, Mode mode) : inner_(inner), details_(details), mode_(mode) {}

    void BeginRun() override { inner_.BeginRun(); }
    void showstatus(const std::wstring& label) override;
    void AppendRow(const std::wstring& item) override;
    void SetRowStatus(const std::wstring& text) override;
    void SetProgress(int value) override { inner_.SetProgress(value); }
    void SetAction(const std::wstring& text) override;
    void Pump() override { inner_.Pump(); }
    void EndRun() override;
    void Notify(const std::wstring& key, const std::wstring& title, const std::wstring& description) override;
    void Announce(const std::wstring& title, const std::wstring& text) override;
    void ShowTotals(const std::wstring& lastClean, double regCount, double bytes) override {
        inner_.ShowTotals(lastClean, regCount, bytes);
    }
    void ShowMainWindow() override { inner_.ShowMainWindow(); }
    void ExitProgram() override { inner_.ExitProgram(); }
    void* OwnerWindow() override { return inner_.OwnerWindow(); }

private:
    bool analyze() const { return mode_ == Mode::Analyze; }
    void FinishRow();  // Analyze: the open row shows its estimate

    RunView& inner_;
    RunDetails& details_;
    Mode mode_;
    bool rowOpen_ = false;
    bool ended_ = false;    // EndRun came: what follows is the run's last row
    std::wstring runText_;  // the last status the run gave the open row
};

inline constexpr wchar_t kAnalysisComplete[] = L"Analysis complete";
inline constexpr wchar_t kAnalysisCancelled[] = L"Analysis cancelled";

}  // namespace nv::engine
