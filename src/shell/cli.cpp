#include "shell/cli.h"

#include <windows.h>
#include <objbase.h>

#include <vector>

#include "engine/CleanNow.h"
#include "foundation/prompts.h"
#include "foundation/text.h"

namespace nv::cli {
namespace {

Writer g_writer = nullptr;

HANDLE Output() {
    static HANDLE out = [] {
        HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
        if (h && h != INVALID_HANDLE_VALUE) return h;
        // Started from a console as a window program: write to that console.
        if (AttachConsole(ATTACH_PARENT_PROCESS))
            return CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        return INVALID_HANDLE_VALUE;
    }();
    return out;
}

void WriteLine(const std::wstring& line) {
    std::string utf8 = ToUtf8(line);
    if (g_writer) {
        g_writer(utf8);
        return;
    }
    HANDLE h = Output();
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
class ConsoleRunView : public engine::RunView {
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
    void SetProgress(int) override {}
    void SetAction(const std::wstring&) override {}
    void Pump() override {}
    void EndRun() override {}
    void Notify(const std::wstring&, const std::wstring&, const std::wstring&) override {}
    void Announce(const std::wstring&, const std::wstring&) override {}
    void ShowTotals(const std::wstring&, double, double) override {}
    void ShowMainWindow() override {}
    void ExitProgram() override {}
    void* OwnerWindow() override { return nullptr; }

    void PrintRows() const {
        for (const Row& r : rows) WriteLine(r.item + L"\t" + r.status);
    }
    std::vector<Row> rows;
};

class PrintingSink : public EraseSink {
public:
    void OnRemoval(const Removal& r) override {
        WriteLine(std::wstring(RemovalKindName(r.kind)) + L"\t" + r.target + L"\t" + NumberText(r.bytes));
    }
};

void Usage() {
    for (const wchar_t* line : {
             L"Norvale System Cleaner 6.00",
             L"Usage: cleaner.exe [min | /clean | /preview | /?]",
             L"  min        start in the notification area (the start-with-Windows entry uses it)",
             L"  /clean     perform one cleaning run with the current selection and print its",
             L"             result rows (item TAB status) and the end message",
             L"  /preview   print what a cleaning run would remove (kind TAB path or key TAB bytes),",
             L"             then the result rows and the totals; nothing is removed, created or written",
             L"  /?         show this help",
             L"Exit codes: 0 the run completed, 1 bad switch, 3 another cleaning run was in progress.",
         })
        WriteLine(line);
}

int CleanOrPreview(bool preview) {
    prompts::ConsolePrompter console;
    prompts::Install(&console);
    ConsoleRunView view;
    PrintingSink sink;
    engine::Environment env = engine::LoadEnvironment();
    engine::Counters counters;
    int unattended = 1;
    engine::RunOptions options;
    options.preview = preview;
    if (preview) options.sink = &sink;
    engine::RunEnd end = engine::CleanNow(view, env, counters, unattended, options);
    prompts::Install(nullptr);
    if (end == engine::RunEnd::Refused) {
        std::fprintf(stderr, "Another cleaning run is in progress.\n");
        return kRunInProgress;
    }
    view.PrintRows();
    if (end != engine::RunEnd::Completed) return kCompleted;
    if (preview)
        WriteLine(L"Preview: Cleaned Registry Keys: " + NumberText(counters.regCount) + L" Released HD Space:" +
                  MegabytesText(counters.bytes) + L"MB");
    else
        WriteLine(engine::EndMessage(counters.regCount, counters.bytes));
    return kCompleted;
}

}  // namespace

void SetWriter(Writer w) { g_writer = w; }

std::optional<int> Run(const std::wstring& args) {
    std::wstring a = TrimBlanks(args);
    if (a.empty() || (a[0] != L'/' && a[0] != L'-')) return std::nullopt;
    std::wstring s = ToLower(a.substr(1));
    if (s == L"clean") return CleanOrPreview(false);
    if (s == L"preview") return CleanOrPreview(true);
    if (s == L"?" || s == L"help" || s == L"h") {
        Usage();
        return kCompleted;
    }
    std::fprintf(stderr, "Unknown switch: %s\n", ToUtf8(a).c_str());
    Usage();
    return kBadSwitch;
}

}  // namespace nv::cli
