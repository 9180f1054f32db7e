#include "shell/cli.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "engine/cleaning_run.h"
#include "engine/files_in_use.h"
#include "engine/running_programs.h"
#include "foundation/prompts.h"
#include "foundation/text.h"
#include "plugins/plugin_files.h"
#include "plugins/winapp2_import.h"

namespace nv::cli {
namespace {

Writer g_out = nullptr;
Writer g_err = nullptr;

// Standard output or standard error; started from a console as a window
// program, that console.
HANDLE Stream(DWORD which) {
    HANDLE h = GetStdHandle(which);
    if (h && h != INVALID_HANDLE_VALUE) return h;
    static HANDLE console = [] {
        if (AttachConsole(ATTACH_PARENT_PROCESS))
            return CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        return INVALID_HANDLE_VALUE;
    }();
    return console;
}

void Write(DWORD stream, const std::wstring& line) {
    std::string utf8 = ToUtf8(line);
    if (Writer w = stream == STD_ERROR_HANDLE ? g_err : g_out) {
        w(utf8);
        return;
    }
    HANDLE h = Stream(stream);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD mode, written;
    if (GetConsoleMode(h, &mode)) {
        std::wstring text = line + L"\r\n";
        WriteConsoleW(h, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
    } else {
        utf8 += "\r\n";
        WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
}


// A run shown as lines: the result rows are kept and printed at the end.
class ConsoleRunView : public engine::WindowlessRunView {
public:
    struct Row {
        std::wstring item, status;
    };
    void BeginRun() override { rows.clear(); }
    void showstatus(const std::wstring& label) override { rows.push_back({label, L"Cleaning " + label + L" ......"}); }
    void AppendRow(const std::wstring& item) override { rows.push_back({item, L""}); }
    void SetRowStatus(const std::wstring& text) override {
        if (!rows.empty()) rows.back().status = text;
    }

    void PrintRows() const {
        for (const Row& r : rows) WriteLine(r.item + L"\t" + r.status);
    }
    std::vector<Row> rows;
};

// A refused target is printed once its reason is heard (right after it),
// as a fourth field: "refused TAB target TAB 0 TAB protected".
class PrintingSink : public EraseSink {
public:
    ~PrintingSink() override { Flush(); }
    void OnRemoval(const Removal& r) override {
        Flush();
        std::wstring line = std::wstring(RemovalKindName(r.kind)) + L"\t" + r.target + L"\t" + NumberText(r.bytes);
        if (r.kind == RemovalKind::Refused) {
            pending_ = std::move(line);
            pendingTarget_ = r.target;
        } else {
            WriteLine(line);
        }
    }
    void OnFate(const std::wstring& target, double, Fate fate) override {
        if (pending_.empty() || target != pendingTarget_) return;
        const wchar_t* why = fate == Fate::Link        ? L"link"
                             : fate == Fate::Protected ? L"protected"
                             : fate == Fate::Malformed ? L"malformed"
                             : fate == Fate::TooDeep   ? L"too deep"
                             : fate == Fate::NotListed ? L"not listed"
                                                       : L"";
        WriteLine(pending_ + L"\t" + why);
        pending_.clear();
    }
    void Flush() {
        if (!pending_.empty()) WriteLine(pending_);
        pending_.clear();
    }

private:
    std::wstring pending_, pendingTarget_;
};

void Usage(void (*write)(const std::wstring&)) {
    for (const wchar_t* line : {
             L"Norvale System Cleaner 6.00",
             L"Usage: cleaner.exe [min | /clean [/close-running] | /preview | /import-winapp2 FILE | /?]",
             L"  min        start in the notification area (the start-with-Windows entry uses it)",
             L"  /clean     perform one cleaning run with the current selection and print its",
             L"             result rows (item TAB status) and the end message; items whose program",
             L"             is running are skipped (\"Skipped: <program> is running\")",
             L"  /clean /close-running",
             L"             first ask those programs to close as a user would (never by force)",
             L"             and wait up to 10 s for each; one that stays open is skipped",
             L"  /preview   print what a cleaning run would remove (kind TAB path or key TAB bytes),",
             L"             then the result rows and the totals; nothing is removed, created or written",
             L"  /import-winapp2 FILE",
             L"             make plug-ins (off until ticked) of the entries of a Winapp2.ini file that",
             L"             apply on this computer; print how many, with the reasons for skipped",
             L"             entries on standard error",
             L"  /?         show this help",
             L"Exit codes: 0 the run completed, 1 bad switch, 3 another cleaning run was in progress,",
             L"            4 the run completed but its totals could not be saved to prisd.dat;",
             L"            /import-winapp2: 0 imported, 1 not a Winapp2 file or plug-ins not written,",
             L"            3 a cleaning run or another import was in progress (nothing imported).",
         })
        write(line);
}

int CleanOrPreview(bool preview, bool closeRunning = false) {
    prompts::ConsolePrompter console;
    prompts::Install(&console);
    ConsoleRunView view;
    PrintingSink sink;
    engine::Environment env = engine::LoadEnvironment();
    if (closeRunning) engine::CloseRunningPrograms(engine::RunningProgramsOfSelection(env));
    engine::Counters counters;
    int unattended = 1;
    engine::RunOptions options;
    options.preview = preview;
    if (preview) options.sink = &sink;
    engine::RunEnd end = engine::CleanNow(view, env, counters, unattended, options);
    prompts::Install(nullptr);
    sink.Flush();
    if (end == engine::RunEnd::Refused) {
        WriteError(L"Another cleaning run is in progress.");
        return kRunInProgress;
    }
    view.PrintRows();
    if (end != engine::RunEnd::Completed && end != engine::RunEnd::TotalsNotSaved) return kCompleted;
    // The run's own counters, whatever the profile holds.
    if (preview)
        WriteLine(L"Preview: Cleaned Registry Keys: " + NumberText(counters.regCount) + L" Released HD Space:" +
                  MegabytesText(counters.bytes) + L"MB");
    else
        WriteLine(engine::EndMessage(counters.regCount, counters.bytes));
    if (counters.atRestart > 0) WriteLine(engine::AtRestartText(counters.atRestart));
    if (end == engine::RunEnd::TotalsNotSaved) {
        WriteError(engine::kTotalsNotSaved);
        return kTotalsNotSaved;
    }
    return kCompleted;
}

// Plug-ins of the entries of a Winapp2 file that apply here.
int ImportWinapp2(const std::wstring& file) {
    const winapp2::Result r = winapp2::Import(file, plugins::PluginFolder(), {});
    if (r.refused) {
        WriteError(r.error + L"; nothing was imported.");
        return r.busy ? kRunInProgress : kNotImported;
    }
    WriteLine(winapp2::Summary(r, L"reasons on standard error"));
    for (const std::wstring& why : r.skipped) WriteError(L"skipped " + why);
    for (const std::wstring& why : r.dropped) WriteError(L"dropped " + why);
    for (const std::wstring& f : r.leftAlone) WriteError(L"left alone (changed or renamed since imported): " + f);
    for (const std::wstring& f : r.unwritten) WriteError(L"cannot write or remove " + f);
    return r.unwritten.empty() ? kCompleted : kNotImported;
}

// The arguments as the C runtime splits them (quotes group, blanks and tabs
// separate).
std::vector<std::wstring> SplitArguments(const std::wstring& args) {
    std::vector<std::wstring> out;
    if (args.find_first_not_of(L" \t") == std::wstring::npos) return out;
    // A stand-in program name: the first word follows rules of its own.
    int n = 0;
    LPWSTR* argv = CommandLineToArgvW((L"x " + args).c_str(), &n);
    if (!argv) return {args};
    for (int i = 1; i < n; ++i) out.emplace_back(argv[i]);
    LocalFree(argv);
    return out;
}

bool LooksLikeSwitch(const std::wstring& arg) {
    size_t first = arg.find_first_not_of(L" \t");
    return first != std::wstring::npos && (arg[first] == L'/' || arg[first] == L'-');
}

}  // namespace

void WriteLine(const std::wstring& line) { Write(STD_OUTPUT_HANDLE, line); }
void WriteError(const std::wstring& line) { Write(STD_ERROR_HANDLE, line); }

void SetWriters(Writer out, Writer err) {
    g_out = out;
    g_err = err;
}

std::optional<int> Run(const std::wstring& args) {
    const std::vector<std::wstring> argv = SplitArguments(args);
    if (std::none_of(argv.begin(), argv.end(), LooksLikeSwitch)) return std::nullopt;
    // A switch stands alone and exactly as written: "/clean extra", " /clean"
    // or "/clean<TAB>" in one quoted argument are no switch to guess at.
    if (argv.size() == 2 && (ToLower(argv[0]) == L"/import-winapp2" || ToLower(argv[0]) == L"-import-winapp2") &&
        !LooksLikeSwitch(argv[1]))
        return ImportWinapp2(argv[1]);
    if (argv.size() == 2 && (ToLower(argv[0]) == L"/clean" || ToLower(argv[0]) == L"-clean") &&
        (ToLower(argv[1]) == L"/close-running" || ToLower(argv[1]) == L"-close-running"))
        return CleanOrPreview(false, true);
    const std::wstring s = argv.size() == 1 ? ToLower(argv[0]) : std::wstring();
    if (s.size() > 1 && (s[0] == L'/' || s[0] == L'-')) {
        const std::wstring name = s.substr(1);
        if (name == L"clean") return CleanOrPreview(false);
        if (name == L"preview") return CleanOrPreview(true);
        if (name == L"?" || name == L"help" || name == L"h") {
            Usage(WriteLine);
            return kCompleted;
        }
    }
    WriteError(L"Unknown switch: " + TrimBlanks(args));
    Usage(WriteError);
    return kBadSwitch;
}

}  // namespace nv::cli
