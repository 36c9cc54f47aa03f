// A fresh main window and notification-area form for each test, shown as at start-up.
#pragma once
#include "main/kelpix_main.h"
#include "toolkit/application.h"
#include "tray/task_form.h"

#include <gtest/gtest.h>

namespace kelpix::test {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Kelpix = new TKelpix;
        Application::Get().SetMainForm(Kelpix);
        TaskForm = new TTaskForm;
        Kelpix->ShowMainWindow(true);
    }
    void TearDown() override {
        delete TaskForm;
        TaskForm = nullptr;
        delete Kelpix;
        Kelpix = nullptr;
        Application::Get().SetMainForm(nullptr);
        Application::Get().Reset();
    }
    TKelpix& main() { return *Kelpix; }
};

} // namespace kelpix::test
