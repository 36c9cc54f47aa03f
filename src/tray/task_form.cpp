#include "tray/task_form.h"

namespace kelpix {

TTaskForm* TaskForm = nullptr;

TTaskForm::TTaskForm() {
    FormLayout layout{"TTaskForm", "TaskForm"};
    layout.clientWidth = 120;
    layout.clientHeight = 40;
    CreateForm(layout);
}

} // namespace kelpix
