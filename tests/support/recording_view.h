// A run view that records everything the run shows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/run_view.h"

namespace nvtest {

class RecordingView : public nv::engine::RunView {
public:
    struct Row {
        std::wstring item, status;
    };
    void BeginRun() override {
        ++begins;
        rows.clear();
    }
    void showstatus(const std::wstring& label) override {
        if (onShowStatus) onShowStatus(label);
        rows.push_back({label, L"Cleaning " + label + L" ......"});
        action = rows.back().status;
    }
    void AppendRow(const std::wstring& item) override { rows.push_back({item, L""}); }
    void SetRowStatus(const std::wstring& text) override {
        if (!rows.empty()) rows.back().status = text;
    }
    void SetProgress(int value) override { progress.push_back(value); }
    void SetAction(const std::wstring& text) override { action = text; }
    void Pump() override {
        ++pumps;
        if (onPump) onPump();
    }
    void EndRun() override { ++ends; }
    void Notify(const std::wstring& key, const std::wstring& title, const std::wstring& description) override {
        notified.push_back({key, title, description});
    }
    void Announce(const std::wstring& title, const std::wstring& text) override { announced.push_back({title, text}); }
    void ShowTotals(const std::wstring& lastClean, double reg, double bytes) override {
        totals.push_back({lastClean, reg, bytes});
    }
    void ShowMainWindow() override { ++shown; }
    void ExitProgram() override { ++exits; }
    void* OwnerWindow() override { return nullptr; }

    std::vector<std::wstring> Labels() const {
        std::vector<std::wstring> out;
        for (const Row& r : rows) out.push_back(r.item);
        return out;
    }

    struct Notified {
        std::wstring key, title, description;
    };
    struct Announced {
        std::wstring title, text;
    };
    struct Totals {
        std::wstring lastClean;
        double reg, bytes;
    };
    std::vector<Row> rows;
    std::vector<int> progress;
    std::vector<Notified> notified;
    std::vector<Announced> announced;
    std::vector<Totals> totals;
    std::wstring action;
    int begins = 0, ends = 0, pumps = 0, shown = 0, exits = 0;
    std::function<void()> onPump;
    std::function<void(const std::wstring&)> onShowStatus;
};

}  // namespace nvtest
