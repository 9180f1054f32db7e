// The cleaning catalogue as data: groups of items in run order, each item
// with its profile section and key, result-list label, gate, steps and the
// progress value set after it. Items with logic of their own name a step
// function.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "foundation/erase.h"

namespace nv::engine {

class RunView;

// Base folders, from the main window's state at the start of the run.
// An empty folder is unknown: nothing is done below it.
struct Environment {
    std::wstring appData;
    std::wstring localAppData;
    std::wstring windowsFolder;
    int ieMajor = 0;
};

// The base folders as the main window works them out at load.
Environment LoadEnvironment();

struct Counters {
    double regCount = 0;  // "Cleaned Registry Keys"
    double bytes = 0;     // "Released HD Space", in bytes
};

// Everything a step works with.
struct RunContext {
    const Environment& env;
    RunView& view;
    EraseContext& erase;
    Counters& counters;
    void AddKeys(double n) { counters.regCount += n; }
    void AddBytes(double n) { counters.bytes += n; }
};

enum class Base { Absolute, AppData, LocalAppData, Windows, Personal };
enum class Root { HKCU, HKLM, HKU };
HKEY RootKey(Root r);
const wchar_t* RootName(Root r);

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
};

enum class Gate { Text, Numeric };

struct Item {
    const wchar_t* key;
    const wchar_t* label;
    std::span<const Step> steps;
    int progress = -1;  // value of the progress bar after the item; -1 = unchanged
    Gate gate = Gate::Text;
    // Items whose steps are not part of the program yet: never performed,
    // but their progress value still applies.
    bool pending = false;
};

struct Group {
    const wchar_t* name;
    const wchar_t* section;
    std::span<const Item> items;
};

// The fifteen built-in groups in run order (custom items and plug-ins
// follow them in the run).
std::span<const Group> Catalogue();

// Performs one step, adding its results to the counters.
void RunStep(RunContext& ctx, const Step& step);

// The folder a step names: base + path; "" when the base is unknown.
std::wstring StepFolder(const RunContext& ctx, const Step& step);

}  // namespace nv::engine
