#include "main/program.h"

#include "main/kelpix_main.h"
#include "options/option_dlg.h"
#include "toolkit/application.h"
#include "toolkit/error.h"
#include "tray/task_form.h"

namespace kelpix {

int RunProgram(HINSTANCE instance) {
    Application& app = Application::Get();
    GuardedCall([&] {
        app.Initialize(instance);
        Kelpix = new TKelpix;
        app.SetMainForm(Kelpix);
        TaskForm = new TTaskForm;
        OptionDlg = new TOptionDlg;
        Kelpix->ShowMainWindow(true);
        app.Run();
    });
    GuardedCall([] {
        delete OptionDlg;
        delete TaskForm;
        delete Kelpix;
    });
    OptionDlg = nullptr;
    TaskForm = nullptr;
    Kelpix = nullptr;
    app.Shutdown();
    return 0;
}

} // namespace kelpix
