// A fresh main window and notification-area form for each test, shown as at start-up.
#pragma once
#include "main/kelpix_main.h"
#include "toolkit/application.h"
#include "tray/task_form.h"

#include <gtest/gtest.h>

namespace kelpix::test {

// Creates the main window (with its settings file at iniPath) and the notification-area form as
// start-up does, and shows the main window.
inline TKelpix& CreateForms(const std::string& iniPath = TKelpix::DefaultIniPath()) {
    Kelpix = new TKelpix(iniPath);
    Application::Get().SetMainForm(Kelpix);
    TaskForm = new TTaskForm;
    Kelpix->ShowMainWindow(true);
    return *Kelpix;
}

inline void DestroyForms() {
    delete TaskForm;
    TaskForm = nullptr;
    delete Kelpix;
    Kelpix = nullptr;
    Application::Get().SetMainForm(nullptr);
    Application::Get().Reset();
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { CreateForms(); }
    void TearDown() override { DestroyForms(); }
    TKelpix& main() { return *Kelpix; }
};

} // namespace kelpix::test
