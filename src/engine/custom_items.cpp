#include "engine/custom_items.h"

#include <cmath>

#include "engine/cleaning_run.h"
#include "engine/files_in_use.h"
#include "engine/plugin_actions.h"
#include "engine/run_view.h"
#include "foundation/erase_primitives.h"
#include "foundation/text.h"
#include "settings/custom_items_file.h"
#include "plugins/exclusions.h"
#include "foundation/selection_profile.h"

namespace nv::engine {
namespace {

using plugins::Section;

// A root field: the number rounded to a signed 32-bit value (halves to
// even); nothing when it lies outside that range.
std::optional<LONG> RootNumber(const std::wstring& field) {
    double n = std::nearbyint(LeadingNumber(field));
    if (!(n >= -2147483648.0 && n <= 2147483647.0)) return std::nullopt;
    return static_cast<LONG>(n);
}

// Only the standard root handles name a root; any other number (0, a text
// that is no number, or the value of some open handle of this process)
// names none, and its line does nothing.
HKEY RootKey(LONG n) {
    for (HKEY k : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG})
        if (static_cast<LONG>(reinterpret_cast<LONG_PTR>(k)) == n) return k;
    return nullptr;
}

size_t FieldsNeeded(Section s) { return s == Section::regtree || s == Section::folder ? 2 : 3; }

void RunRegistryLine(RunContext& ctx, const plugins::Command& c) {
    auto number = RootNumber(c.fields[0]);
    if (!number) return;
    HKEY root = RootKey(*number);
    const std::wstring& sub = c.fields[1];
    const bool tree = c.section == Section::regtree;
    if (!root) {
        ctx.AddKeys(tree ? 5 : 1);  // names no key: nothing to do, the count still applies
        return;
    }
    ctx.AddKeys(tree ? allerase::DeleteRegTree(ctx.erase, root, sub)
                     : allerase::DeleteRegValue(ctx.erase, root, sub, c.fields[2]));
}

void RunFolderLine(RunContext& ctx, const plugins::Command& c) {
    const std::wstring& base = c.fields[0];
    std::wstring folder = (base == L"appdata"        ? ctx.env.appData
                           : base == L"localappdata" ? ctx.env.localAppData
                                                     : base) +
                          c.fields[1];
    if (plugins::ClimbsUp(folder)) {
        ctx.erase.Refuse(folder, Fate::Protected);
        return;
    }
    auto add = [&](std::optional<double> bytes) {
        if (bytes) ctx.AddBytes(*bytes);
    };
    switch (c.section) {
    case Section::file: add(allerase::DeleteFileInFolder(ctx.erase, folder, c.fields[2])); break;
    case Section::fileext: add(allerase::DeleteExtInFolder(ctx.erase, folder, c.fields[2])); break;
    case Section::folder: ctx.AddBytes(allerase::EmptyFolder(ctx.erase, folder)); break;
    default: break;
    }
}

// Counts what a plug-in removes (or, in a preview, would remove) and the
// lines the path or key rule refused, and passes everything on to the run's
// own sink, for as long as it lives.
class CountingSink : public EraseSink {
public:
    explicit CountingSink(EraseContext& erase) : erase_(erase), next_(erase.sink()) { erase.set_sink(this); }
    ~CountingSink() override { erase_.set_sink(next_); }
    CountingSink(const CountingSink&) = delete;
    CountingSink& operator=(const CountingSink&) = delete;
    void OnRemoval(const Removal& r) override {
        if (r.kind != RemovalKind::Refused) ++removed;
        if (next_) next_->OnRemoval(r);
    }
    void OnFate(const std::wstring& target, double bytes, Fate fate) override {
        if (fate == Fate::Protected || fate == Fate::Malformed) lineRefused = true;
        if (next_) next_->OnFate(target, bytes, fate);
    }
    void OnHolder(const std::wstring& target, const std::wstring& holder) override {
        if (next_) next_->OnHolder(target, holder);
    }
    void OnNotMarked(const std::wstring& target, Fate why) override {
        if (next_) next_->OnNotMarked(target, why);
    }
    // One line ran: it counts once, however many of its targets were refused.
    void EndLine() {
        if (lineRefused) ++refusedLines;
        lineRefused = false;
    }
    size_t removed = 0, refusedLines = 0;

private:
    EraseContext& erase_;
    EraseSink* next_;
    bool lineRefused = false;
};

}  // namespace

std::wstring DoneText(size_t refusedLines) {
    if (refusedLines == 0) return L"Done";
    return L"Done, " + std::to_wstring(refusedLines) + (refusedLines == 1 ? L" line refused" : L" lines refused");
}

void RunCustomItems(RunContext& ctx) {
    if (!profile::TextFlag(L"Custom", L"Custom")) return;
    const ItemVerdict verdict = ctx.Ask({L"Custom", L"Custom", L"Custom Item"});
    if (verdict.kind == ItemVerdict::Leave) return;
    ctx.view.showstatus(L"Custom Item");
    if (verdict.kind == ItemVerdict::Skip) return ctx.view.SetRowStatus(verdict.row);
    // A file that is there but cannot be read fails too: "Done" would claim
    // a clean that did not happen.
    auto entries = cusd::Read();
    if (!entries) {
        ctx.view.SetRowStatus(L"Fail, Can't find file!");
        return;
    }
    for (const cusd::Entry& e : *entries) {
        if (ctx.erase.cancelled()) break;
        if (!cusd::FoundByLookup(e.path)) continue;
        if (e.kind == cusd::kFile) ctx.AddBytes(allerase::DeleteOneFile(ctx.erase, e.path));
        else if (e.kind == cusd::kFolder) ctx.AddBytes(allerase::DeleteWholeFolder(ctx.erase, e.path));
    }
    ctx.view.SetRowStatus(EndItem(ctx, ctx.erase.stopped() ? kItemCancelled : L"Done"));
}

PluginOutcome processshell(RunContext& ctx, const plugins::Plugin& plugin, const std::vector<plugins::Command>& commands) {
    // A plug-in whose newer sections cannot be read or applied runs
    // nothing: a misread exclusion would leave its targets unguarded.
    const pathvars::Folders folders = RunFolders(ctx);
    if (!plugin.Fault(folders).empty()) return {};
    CountingSink heard(ctx.erase);
    auto outcome = [&] { return PluginOutcome{heard.removed, heard.refusedLines}; };
    std::optional<plugins::Exclusions> exclusions;
    if (!plugin.extras.excludes.empty()) exclusions.emplace(plugin.extras.excludes, folders);
    GuardScope guard(ctx.erase, exclusions ? &*exclusions : nullptr);
    auto old = [&](bool registry) {
        for (const plugins::Command& c : commands) {
            if (ctx.erase.cancelled()) return;
            const bool reg = c.section == Section::regtree || c.section == Section::reg;
            if (reg != registry || c.fields.size() < FieldsNeeded(c.section)) continue;
            if (reg) RunRegistryLine(ctx, c);
            else RunFolderLine(ctx, c);
            heard.EndLine();
        }
    };
    // Registry first, then files and folders, the original sections before
    // the newer ones of the same kind.
    old(true);
    for (const plugins::RegKey& k : plugin.extras.regkeys) {
        if (ctx.erase.cancelled()) return outcome();
        RunRegKey(ctx, k);
        heard.EndLine();
    }
    old(false);
    for (const plugins::FileKey& k : plugin.extras.filekeys) {
        if (ctx.erase.cancelled()) return outcome();
        RunFileKey(ctx, k, folders);
        heard.EndLine();
    }
    return outcome();
}

void RunPlugins(RunContext& ctx) {
    const pathvars::Folders folders = RunFolders(ctx);
    plugins::DetectCache detected;
    for (const plugins::Plugin& p : plugins::Installed()) {
        if (!p.enabled) continue;
        if (ctx.erase.cancelled()) return;
        // A plug-in for a program this machine does not have is left out,
        // as if it were not ticked.
        if (p.extras.error.empty() && !plugins::Detected(p.extras, folders, &detected)) continue;
        const ItemVerdict verdict = ctx.Ask({L"", p.name, p.name, nullptr, &p.extras.close});
        if (verdict.kind == ItemVerdict::Leave) continue;
        ctx.view.AppendRow(p.name);
        if (verdict.kind == ItemVerdict::Skip) {
            ctx.view.SetRowStatus(verdict.row);
            continue;
        }
        std::wstring why = p.Fault(folders);
        // A section read cut short would act on a line that is not there.
        const std::vector<plugins::Command> commands = why.empty() ? p.Commands(&why) : std::vector<plugins::Command>{};
        if (!why.empty()) {
            ctx.view.SetRowStatus(L"Fail, " + why);
            continue;
        }
        ctx.view.SetRowStatus(L"Cleaning " + p.name);
        ctx.view.Pump();
        const Counters before = ctx.counters;
        const PluginOutcome done = processshell(ctx, p, commands);
        ctx.view.Pump();
        ctx.view.SetRowStatus(EndItem(ctx, ctx.erase.stopped() ? kItemCancelled : DoneText(done.refusedLines)));
        // A plug-in that removed nothing counts nothing, not even the fixed
        // amount of a plug-in run or the count of lines that name no key.
        if (done.removed == 0) {
            ctx.counters = before;
            continue;
        }
        ctx.AddKeys(1);
        ctx.AddBytes(50000);
    }
}

}  // namespace nv::engine
