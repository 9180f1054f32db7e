#include "engine/run_details.h"

#include <windows.h>

#include <algorithm>
#include <numeric>

#include "foundation/text.h"

namespace nv::engine {
namespace {

// Past this many characters of names the listing stops, whatever the count.
constexpr size_t kMaxPool = size_t{64} << 20;

std::wstring Count(uint32_t n, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

std::wstring Join(const std::vector<std::wstring>& parts, const wchar_t* sep) {
    std::wstring out;
    for (const auto& p : parts) {
        if (!out.empty()) out += sep;
        out += p;
    }
    return out;
}

bool LessNoCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
}

}  // namespace

void RowTally::Add(RemovalKind kind, double size) {
    switch (kind) {
    case RemovalKind::File: ++files; bytes += size; break;
    case RemovalKind::Folder: ++folders; bytes += size; break;
    case RemovalKind::Key:
    case RemovalKind::KeyTree:
    case RemovalKind::Value: ++registry; break;
    case RemovalKind::IniSection: ++sections; break;
    case RemovalKind::AtReboot: ++atReboot; break;
    case RemovalKind::Command: ++commands; break;
    case RemovalKind::RecycleBin: recycleBin = true; bytes += size; break;
    case RemovalKind::Clipboard: clipboard = true; break;
    case RemovalKind::RecentDocs: recentDocs = true; break;
    case RemovalKind::UrlHistory: urlHistory = true; break;
    case RemovalKind::Refused: ++refused; break;
    }
}

void RowTally::Add(Fate fate) {
    switch (fate) {
    case Fate::ReadOnly: ++readOnly; ++left; break;
    case Fate::InUse:
    case Fate::AccessDenied:
    case Fate::Failed: ++left; break;
    case Fate::KeptOtherNames:
    case Fate::KeptInUse:
    case Fate::KeptUnmapped:
    case Fate::KeptPartly: ++notOverwritten; break;
    default: break;  // removed, or a refusal already counted
    }
}

bool RowTally::Empty() const {
    return !files && !folders && !registry && !sections && !atReboot && !commands && !refused && !left &&
           !recycleBin && !clipboard && !recentDocs && !urlHistory && bytes == 0;
}

std::wstring SizeText(double bytes) {
    if (bytes < 1024) return Count(static_cast<uint32_t>(bytes < 0 ? 0 : bytes), L"byte", L"bytes");
    if (bytes < 1048576.0) return FixedTwo(bytes / 1024) + L" KB";
    if (bytes < 1073741824.0) return FixedTwo(bytes / 1048576.0) + L" MB";
    return FixedTwo(bytes / 1073741824.0) + L" GB";
}

std::wstring EstimateText(const RowTally& t) {
    std::vector<std::wstring> amounts, parts;
    if (t.files) amounts.push_back(Count(t.files, L"file", L"files"));
    if (t.folders) amounts.push_back(Count(t.folders, L"folder", L"folders"));
    if (t.files || t.folders || t.bytes > 0) amounts.push_back(SizeText(t.bytes));
    if (t.registry) amounts.push_back(Count(t.registry, L"registry entry", L"registry entries"));
    if (t.sections) amounts.push_back(Count(t.sections, L"INI section", L"INI sections"));
    if (!amounts.empty()) parts.push_back(Join(amounts, L", "));
    // What cannot be measured beforehand is said as what will be done.
    if (t.atReboot) parts.push_back(L"marked for deletion at restart");
    if (t.commands) parts.push_back(L"will ask the browser to clear");
    if (t.recycleBin) parts.push_back(L"will empty the Recycle Bin");
    if (t.clipboard) parts.push_back(L"will empty the clipboard");
    if (t.recentDocs) parts.push_back(L"will clear the recent documents list");
    if (t.urlHistory) parts.push_back(L"will clear the browser's history");
    if (t.readOnly) parts.push_back(Count(t.readOnly, L"read-only file", L"read-only files") + L" will stay");
    if (t.refused) parts.push_back(Count(t.refused, L"target", L"targets") + L" left alone (link or protected)");
    std::wstring text = Join(parts, L"; ");
    if (text.empty()) return L"Nothing to clean";
    text[0] = towupper(text[0]);
    return text;
}

RunDetails::RunDetails(bool preview, bool secure, size_t maxListed)
    : preview_(preview), secure_(secure), maxListed_(maxListed) {}

void RunDetails::BeginRow(const std::wstring& label) {
    Row r;
    r.label = label;
    r.wholeRun = afterItems_;
    r.first = afterItems_ ? 0 : entries_.size();
    r.last = entries_.size();
    if (afterItems_) r.tally = total_;
    rows_.push_back(std::move(r));
    inUse_.clear();
    inUseByPath_.clear();
    inUseIndexed_ = 0;
}

void RunDetails::EndItems() { afterItems_ = true; }

void RunDetails::SetRowStatus(const std::wstring& text) {
    if (Row* open = OpenRow()) open->note = text.starts_with(L"Done, ") ? text.substr(6) : std::wstring();
}

void RunDetails::OnRemoval(const Removal& r) {
    total_.Add(r.kind, r.bytes);
    if (Row* open = OpenRow()) open->tally.Add(r.kind, r.bytes);
    lastHeard_ = Append(r.kind, r.target, r.bytes, Fate::Removed);
}

void RunDetails::OnFate(const std::wstring& target, double bytes, Fate fate) {
    total_.Add(fate);
    if (Row* open = OpenRow()) open->tally.Add(fate);
    // The fate of the target heard just before belongs to it; a file inside
    // a folder being removed was not heard before and gets a line of its own.
    bool listed = false;
    if (lastHeard_ && Target(entries_.size() - 1) == target) {
        entries_.back().fate = fate;
        listed = true;
    } else if (fate != Fate::Link && fate != Fate::Protected && fate != Fate::Malformed && fate != Fate::TooDeep &&
               fate != Fate::NotListed) {
        listed = Append(RemovalKind::File, target, bytes, fate);
    }
    if (listed && fate == Fate::InUse && OpenRow()) inUse_.push_back(static_cast<uint32_t>(entries_.size() - 1));
    lastHeard_ = false;
}

void RunDetails::OnHolder(const std::wstring& target, const std::wstring& holder) {
    // Indexed once per row, when its holders come: a file may be listed twice.
    for (; inUseIndexed_ < inUse_.size(); ++inUseIndexed_)
        inUseByPath_.emplace(Target(inUse_[inUseIndexed_]), inUse_[inUseIndexed_]);
    auto [first, last] = inUseByPath_.equal_range(target);
    if (first == last) return;
    if (holders_.empty() || holders_.back() != holder) holders_.push_back(holder);
    for (auto it = first; it != last; ++it) holderOf_[it->second] = static_cast<uint32_t>(holders_.size() - 1);
}

void RunDetails::OnNotMarked(const std::wstring& target, Fate why) {
    ++total_.notMarked;
    if (Row* open = OpenRow()) ++open->tally.notMarked;
    Append(RemovalKind::AtReboot, target, 0, why);
    lastHeard_ = false;
}

std::wstring RunDetails::HolderOf(size_t i) const {
    auto it = holderOf_.find(static_cast<uint32_t>(i));
    return it == holderOf_.end() ? std::wstring() : holders_[it->second];
}

bool RunDetails::Append(RemovalKind kind, const std::wstring& target, double bytes, Fate fate) {
    if (entries_.size() >= maxListed_ || pool_.size() + target.size() > kMaxPool) {
        truncated_ = true;
        return false;
    }
    Entry e{bytes, kNoFolder, {}, kind, fate};
    std::wstring_view t(target);
    size_t cut = t.find_last_of(L'\\');
    if (cut == std::wstring_view::npos) {
        e.name = Keep(t);
    } else {
        e.folder = FolderOf(t.substr(0, cut));
        e.name = Keep(t.substr(cut + 1));
    }
    entries_.push_back(e);
    if (Row* open = OpenRow()) open->last = entries_.size();
    return true;
}

RunDetails::Name RunDetails::Keep(std::wstring_view s) {
    Name n{static_cast<uint32_t>(pool_.size()), static_cast<uint16_t>(std::min<size_t>(s.size(), UINT16_MAX))};
    pool_.insert(pool_.end(), s.begin(), s.begin() + n.length);
    return n;
}

uint32_t RunDetails::FolderOf(std::wstring_view folder) {
    // Files come folder by folder: most look-ups are the folder before.
    if (lastFolderIndex_ != kNoFolder && folder == lastFolder_) return lastFolderIndex_;
    uint32_t parent = kNoFolder;
    for (size_t start = 0;;) {
        size_t end = folder.find(L'\\', start);
        std::wstring_view name = folder.substr(start, end == std::wstring_view::npos ? end : end - start);
        std::wstring key{static_cast<wchar_t>(parent & 0xFFFF), static_cast<wchar_t>(parent >> 16)};
        key.append(name);
        auto [it, added] = folderIndex_.try_emplace(std::move(key), static_cast<uint32_t>(folders_.size()));
        if (added) folders_.push_back({parent, Keep(name)});
        parent = it->second;
        if (end == std::wstring_view::npos) break;
        start = end + 1;
    }
    lastFolder_.assign(folder);
    lastFolderIndex_ = parent;
    return parent;
}

void RunDetails::AppendFolder(std::wstring& out, uint32_t folder) const {
    std::vector<uint32_t> chain;
    for (uint32_t f = folder; f != kNoFolder; f = folders_[f].parent) chain.push_back(f);
    for (size_t i = chain.size(); i-- > 0;) {
        out.append(View(folders_[chain[i]].name));
        if (i) out += L'\\';
    }
}

std::wstring RunDetails::Target(size_t i) const {
    const Entry& e = entries_[i];
    std::wstring s;
    if (e.folder != kNoFolder) {
        AppendFolder(s, e.folder);
        s += L'\\';
    }
    s.append(View(e.name));
    return s;
}

const std::vector<uint32_t>& RunDetails::FolderRanks() const {
    if (ranks_.size() == folders_.size()) return ranks_;
    // A separator sorts before every character, so a folder's subfolders
    // follow it directly ("a", "a\b", "a b").
    std::vector<std::wstring> keys(folders_.size());
    for (uint32_t f = 0; f < folders_.size(); ++f) {
        AppendFolder(keys[f], f);
        std::replace(keys[f].begin(), keys[f].end(), L'\\', L'\x01');
    }
    std::vector<uint32_t> order(folders_.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return LessNoCase(keys[a], keys[b]); });
    ranks_.assign(folders_.size(), 0);
    for (uint32_t pos = 0; pos < order.size(); ++pos) ranks_[order[pos]] = pos;
    return ranks_;
}

bool RunDetails::PathBefore(size_t a, size_t b) const {
    const Entry& x = entries_[a];
    const Entry& y = entries_[b];
    if (x.folder != y.folder) {
        if (x.folder == kNoFolder || y.folder == kNoFolder) return x.folder == kNoFolder;
        const auto& ranks = FolderRanks();
        return ranks[x.folder] < ranks[y.folder];
    }
    if (LessNoCase(View(x.name), View(y.name))) return true;
    if (LessNoCase(View(y.name), View(x.name))) return false;
    return a < b;
}

namespace {

// A mark for deletion at the next start, or why a file in use got none.
std::wstring AtRebootText(const RunDetails& d, size_t target) {
    switch (d.FateOf(target)) {
    case Fate::Removed:
        if (d.preview()) return L"To be marked for deletion at restart";
        // What the restart deletes is in use now: nothing can overwrite it.
        return d.secure() ? L"Marked for deletion at restart, not overwritten: in use"
                          : L"Marked for deletion at restart";
    case Fate::AccessDenied: return L"Not marked for deletion at restart: administrator rights needed";
    case Fate::KeptOtherNames: return L"Not marked for deletion at restart: other hard links";
    case Fate::Link: return L"Not marked for deletion at restart: a link";
    case Fate::Protected: return L"Not marked for deletion at restart: protected";
    default: return L"Not marked for deletion at restart";
    }
}

}  // namespace

std::wstring ResultText(const RunDetails& d, size_t target) {
    const bool preview = d.preview();
    if (d.Kind(target) == RemovalKind::AtReboot) return AtRebootText(d, target);
    switch (d.FateOf(target)) {
    case Fate::InUse: {
        std::wstring holder = d.HolderOf(target);
        return holder.empty() ? L"Left: in use by another program" : L"Left: in use by " + holder;
    }
    case Fate::ReadOnly: return preview ? L"Will stay: read-only" : L"Left: read-only";
    case Fate::AccessDenied: return L"Left: access denied";
    case Fate::Failed: return L"Left: could not be deleted";
    case Fate::Link: return L"Left: a link, not followed";
    case Fate::Protected: return L"Left: protected, refused";
    case Fate::Malformed: return L"Left: malformed path, refused";
    case Fate::TooDeep: return L"Left: too deep, refused";
    case Fate::NotListed: return L"Left: the key could not be listed";
    case Fate::KeptOtherNames: return L"Removed, not overwritten: other hard links keep its content";
    case Fate::KeptInUse: return L"Removed, not overwritten: in use";
    case Fate::KeptUnmapped: return L"Removed, not overwritten: sparse or compressed";
    case Fate::KeptPartly: return L"Removed, overwritten only in part";
    case Fate::Removed: break;
    }
    const RemovalKind kind = d.Kind(target);
    if (kind == RemovalKind::Refused) return L"Left: a link or protected";
    std::wstring text = preview ? L"To be removed" : L"Removed";
    if (d.secure() && (kind == RemovalKind::File || kind == RemovalKind::Folder)) text += L" (secure)";
    return text;
}

}  // namespace nv::engine
