// The Windows tests run with the program's application object set up, as Kelpix.exe has it.
#include "toolkit/application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    kelpix::Application::Get().Initialize(GetModuleHandleA(nullptr));
    int result = RUN_ALL_TESTS();
    kelpix::Application::Get().Shutdown();
    return result;
}
