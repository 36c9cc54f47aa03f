// The Windows tests run with the program's application object set up, as Kelpix.exe has it. A
// dialog box that no test expected is closed at once and fails the test that was running.
#include "test_support.h"
#include "toolkit/application.h"

#include <gtest/gtest.h>

namespace {

class UnexpectedDialogCheck : public testing::EmptyTestEventListener {
    // Called before the result is printed (end events go to the listeners in reverse order), so
    // the failure counts for the test that showed the box.
    void OnTestEnd(const testing::TestInfo&) override {
        const std::string found = kelpix::test::UnexpectedDialogs::Take();
        if (!found.empty())
            ADD_FAILURE() << "A dialog box came up that the test did not expect and was closed:\n" << found;
    }
};

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new UnexpectedDialogCheck);
    kelpix::Application::Get().Initialize(GetModuleHandleA(nullptr));
    kelpix::test::UnexpectedDialogs::StartWatching();
    int result = RUN_ALL_TESTS();
    kelpix::test::UnexpectedDialogs::StopWatching();
    kelpix::Application::Get().Shutdown();
    return result;
}
