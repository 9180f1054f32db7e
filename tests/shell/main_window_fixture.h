// The fixture of the tests that load the main window: the application
// folder in a scratch folder, the prompts and the launcher recorded, the
// program's exit counted instead of done, and the window unloaded after.
#pragma once

#include <gtest/gtest.h>

#include "foundation/app_path.h"
#include "recorders.h"
#include "sandbox.h"
#include "shell/main_window.h"

namespace nvtest {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        nv::SetAppFolderForTests(dir_.path());
        nv::frmMainCode::SetExitHook([this] { ++exits_; });
    }
    void TearDown() override {
        nv::frmMainCode::Unload();
        nv::frmMainCode::SetExitHook(nullptr);
        nv::SetAppFolderForTests(L"");
    }

    ScratchDir dir_{L"main"};
    int exits_ = 0;
    RecordingPrompter prompts_;
    RecordingLauncher launcher_;
};

}  // namespace nvtest
