// Stand-ins for the prompt and launcher seams that record what the code
// asked for, installed for the lifetime of the object.
#pragma once

#include <string>
#include <vector>

#include "foundation/erase_context.h"
#include "foundation/launcher.h"
#include "foundation/prompts.h"

namespace nvtest {

class RecordingPrompter : public nv::prompts::Prompter {
public:
    struct Shown {
        std::wstring text, title;
        UINT flags;
    };
    RecordingPrompter() { nv::prompts::Install(this); }
    ~RecordingPrompter() override { nv::prompts::Install(nullptr); }
    int Show(const std::wstring& text, const std::wstring& title, UINT flags) override {
        shown.push_back({text, title, flags});
        return answer;
    }
    std::vector<Shown> shown;
    int answer = IDOK;
};

class RecordingLauncher : public nv::launcher::Launcher {
public:
    struct Started {
        std::wstring commandLine;
        int showCmd;
        bool waited;
    };
    RecordingLauncher() { nv::launcher::Install(this); }
    ~RecordingLauncher() override { nv::launcher::Install(nullptr); }
    DWORD Start(const std::wstring& commandLine, int showCmd) override {
        started.push_back({commandLine, showCmd, false});
        return startResult ? startedProcessId : 0;
    }
    bool StartAndWait(const std::wstring& commandLine, int showCmd, const std::function<void()>&) override {
        started.push_back({commandLine, showCmd, true});
        return startResult;
    }
    void ShellOpen(const std::wstring& target) override { opened.push_back(target); }
    std::vector<Started> started;
    std::vector<std::wstring> opened;
    bool startResult = true;
    DWORD startedProcessId = 0xFFFFFFF0;  // Start's answer: no such process
};

// Keeps every removal an erase primitive reports, as "kind<TAB>target<TAB>bytes".
class RecordingSink : public nv::EraseSink {
public:
    void OnRemoval(const nv::Removal& r) override {
        lines.push_back(std::wstring(nv::RemovalKindName(r.kind)) + L"\t" + r.target + L"\t" +
                        std::to_wstring(static_cast<long long>(r.bytes)));
        removals.push_back(r);
    }
    size_t Count(nv::RemovalKind kind) const {
        size_t n = 0;
        for (const auto& r : removals) n += r.kind == kind;
        return n;
    }
    std::vector<std::wstring> lines;
    std::vector<nv::Removal> removals;
};

}  // namespace nvtest
