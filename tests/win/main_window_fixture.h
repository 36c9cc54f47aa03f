// A fresh program (main window and notification-area window) for each test, shown as at start-up
// with the default settings: what an earlier test chose is forgotten.
#pragma once
#include "app/program.h"
#include "toolkit/application.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace kelpix::test {

inline void StopProgram(std::unique_ptr<Program>& program) {
    program.reset();
    Application::Get().SetMainForm(nullptr);
    Application::Get().Reset();
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileW(DefaultSettingsPath().c_str());
        program_ = StartProgram();
    }
    void TearDown() override { StopProgram(program_); }
    Program& program() { return *program_; }
    MainWindow& main() { return program_->Main(); }
    TrayWindow& tray() { return program_->Tray(); }
    const core::CaptureSession& session() { return program_->Session(); }
    // Gives the session an event as a window would.
    void Send(core::Event event) { program_->Send(std::move(event)); }
    // The release of a drag, with the screen as the program finds it.
    void Release() { Send(core::Released{program_->SceneAtRelease()}); }
    // Runs a command as its menu item or shortcut does.
    void Run(core::Command command) {
        SendMessageA(main().Handle(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 0), 0);
    }

    std::unique_ptr<Program> program_;
};

} // namespace kelpix::test
