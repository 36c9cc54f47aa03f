// A fresh main window for each test, shown as at start-up.
#pragma once
#include "main/kelpix_main.h"
#include "toolkit/application.h"

#include <gtest/gtest.h>

namespace kelpix::test {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Kelpix = new TKelpix;
        Application::Get().SetMainForm(Kelpix);
        Kelpix->ShowMainWindow(true);
    }
    void TearDown() override {
        delete Kelpix;
        Kelpix = nullptr;
        Application::Get().SetMainForm(nullptr);
        Application::Get().Reset();
    }
    TKelpix& main() { return *Kelpix; }
};

} // namespace kelpix::test
