// The cleaning catalogue as data: groups of items in run order, each item
// with its profile section and key, result-list label, gate, steps and the
// progress value set after it. Items with logic of their own name a step
// function.
#pragma once

#include <windows.h>

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/item_programs.h"
#include "foundation/erase_context.h"

namespace nv::engine {

class RunView;

// Base folders, from the main window's state at the start of the run.
// An empty folder is unknown: nothing is done below it.
struct Environment {
    std::wstring appData;
    std::wstring localAppData;
    std::wstring windowsFolder;
    int ieMajor = 0;
    // Asked once per run, right before the Office items: GetOfficeVersion's
    // answer ("Office2007", "NoOffice", ...). Unset: ask the installed word
    // processor.
    std::function<std::wstring()> officeProbe;
};

// The base folders as the main window works them out at load.
Environment LoadEnvironment();

struct Counters {
    double regCount = 0;  // "Cleaned Registry Keys"
    double bytes = 0;     // "Released HD Space", in bytes
    double atRestart = 0; // files in use marked for deletion at the next restart (never in bytes)
};

class FilesInUse;

// What a run is about to run: a selected built-in item, the custom items or
// an enabled plug-in that applies here.
struct ItemAsk {
    std::wstring_view section;  // built-in: the group's profile section; "Custom"; plug-ins: ""
    std::wstring_view key;      // built-in: the item's key; "Custom"; plug-ins: the plug-in's name
    std::wstring_view label;    // the row's label
    const ItemProgram* program = nullptr;                 // built-in: whose data it is (may be none)
    const std::vector<std::wstring>* closeNames = nullptr;  // plug-ins: their [close] names
};
struct ItemVerdict {
    enum Kind { Run, Skip, Leave } kind = Run;  // Skip: a row with `row` as its status; Leave: no row
    std::wstring row;
};
// Asked before each of them; none = run everything selected (CleanNow gives
// its runs SkipRunningPrograms when they bring no filter).
using ItemFilter = std::function<ItemVerdict(const ItemAsk&)>;

// Everything a step works with.
struct RunContext {
    const Environment& env;
    RunView& view;
    EraseContext& erase;
    Counters& counters;
    std::wstring officeVersion;  // "12.0" and so on; "" for none or an unknown one
    // Why the current item failed ("" while it has not): its row then says
    // "Fail, " + why.
    std::wstring failure;
    FilesInUse* inUse = nullptr;  // a clean's files in use (files_in_use.h); none in a preview
    const ItemFilter* filter = nullptr;
    ItemVerdict Ask(const ItemAsk& a) const { return filter && *filter ? (*filter)(a) : ItemVerdict{}; }
    void AddKeys(double n) { counters.regCount += n; }
    void AddBytes(double n) { counters.bytes += n; }
    void Fail(std::wstring why) { failure = std::move(why); }
};

// Where a step's path starts. File steps: a folder, read when the step runs
// ("" = unknown: nothing is done). Registry steps: a key under the root.
enum class Base {
    Absolute,
    AppData,
    LocalAppData,
    Windows,
    Personal,          // documents folder, read anew
    Cache,             // shell folders of the browser
    Cookies,
    History,
    Favorites,
    ActiveXCache,      // the browser's downloaded program files
    UserProfile,       // USERPROFILE
    NetscapeProfiles,  // NSB profiles when they exist, else Navigator's
    Maxthon,           // install location, not expanded
    YahooHelpDir,      // type library help folder, not expanded
    MailStoreRoot,     // Windows Mail store root, not expanded
    OfficeKey,         // registry: Software\Microsoft\Office\<version>
    OfficeWizardKey,   // registry: Software\Microsoft\OfficeProfileWizard\<version>
};
// Steps that depend on the browser's or Office's version.
enum class Cond { Always, IeAbove6, Ie6, Ie8OrLater, OfficeOlderLayout, OfficeNewerLayout, Office14, OfficeNot14 };
enum class Root { HKCU, HKLM, HKU };
HKEY RootKey(Root r);

enum class Op {
    // files and folders: base + path, arg = file name / extension / folder name
    DeleteFileInTree,
    DeleteAllFilesInTree,
    DeleteExtInTree,
    DeleteFolderInTree,
    EmptyFolder,
    DeleteAllFiles,
    DeleteFileInFolder,
    DeleteExtInFolder,
    // registry: root + path, arg = value name
    DeleteRegKey,
    DeleteRegTree,
    DeleteRegValue,
    // base + path names an INI file, arg = section
    DeleteIniSection,
    // base + path names a file to delete at the next system start
    DeleteAtReboot,
    // path = a command line started without waiting (window minimized)
    StartCommand,
    // arg = the current row's new status text
    Status,
    // fixed amounts
    AddKeys,
    AddBytes,
    // a named step function
    Special,
};

using StepFunction = void (*)(RunContext&);

struct Step {
    Op op;
    Base base = Base::Absolute;
    Root root = Root::HKCU;
    const wchar_t* path = L"";
    const wchar_t* arg = L"";
    double amount = 0;
    StepFunction fn = nullptr;
    Cond when = Cond::Always;
};

enum class Gate { Text, Numeric };

struct Item {
    const wchar_t* key;
    const wchar_t* label;
    std::span<const Step> steps;
    int progress = -1;  // value of the progress bar after the item; -1 = unchanged
    Gate gate = Gate::Text;
    const wchar_t* doneText = L"Done";  // the row's final status
};

struct Group {
    const wchar_t* name;
    const wchar_t* section;
    std::span<const Item> items;
    // Runs before the group's first item in every run, selected or not.
    StepFunction prepare = nullptr;
};

// The fifteen built-in groups in run order (custom items and plug-ins
// follow them in the run).
std::span<const Group> Catalogue();

// Whether the user ticked the item (its gate's test on the profile value).
bool Selected(const Group& g, const Item& item);

// Performs one step, adding its results to the counters.
void RunStep(RunContext& ctx, const Step& step);

// The folder a step names: base + path; "" when the base is unknown.
std::wstring StepFolder(const RunContext& ctx, const Step& step);

// The subkey a registry step names; "" when it names no key (a version
// part that is unknown leaves an empty component such as "Office\\Word").
std::wstring StepKey(const RunContext& ctx, const Step& step);

}  // namespace nv::engine
