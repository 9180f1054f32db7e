// The fixture of the tests that drive whole cleaning runs: the application
// folder and the application-data folders in scratch folders, the launcher
// and the prompts recorded, and a run through CleanNow with a recording view.
#pragma once

#include <gtest/gtest.h>

#include "engine/cleaning_run.h"
#include "foundation/app_path.h"
#include "recorders.h"
#include "recording_view.h"
#include "sandbox.h"

namespace nvtest {

class RunTest : public ::testing::Test {
protected:
    void SetUp() override {
        nv::SetAppFolderForTests(app_.path());
        env_.appData = data_ / L"Roaming";
        env_.localAppData = data_ / L"Local";
        env_.windowsFolder = data_ / L"Windows";
    }
    void TearDown() override { nv::SetAppFolderForTests(L""); }

    // One run shown in view_, which starts empty unless keepView_ is set
    // (its records and hooks then carry over from what came before).
    nv::engine::RunEnd Run(bool preview = false, nv::EraseSink* sink = nullptr, const bool* cancel = nullptr) {
        if (!keepView_) view_ = RecordingView();
        nv::engine::RunOptions o;
        o.preview = preview;
        o.sink = sink;
        o.cancel = cancel;
        return nv::engine::CleanNow(view_, env_, counters_, unattended_, o);
    }

    ScratchDir app_{L"app"};
    ScratchDir data_{L"data"};
    RecordingLauncher launcher_;
    RecordingPrompter prompts_;
    RecordingView view_;
    bool keepView_ = false;
    nv::engine::Environment env_;
    nv::engine::Counters counters_;
    int unattended_ = 0;
};

}  // namespace nvtest
