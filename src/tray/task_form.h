// The hidden form that owns the notification-area icon.
#pragma once
#include "toolkit/form.h"

namespace kelpix {

class TTaskForm : public Form {
public:
    TTaskForm();
};

extern TTaskForm* TaskForm;

} // namespace kelpix
