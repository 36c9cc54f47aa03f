// The options dialog.
#pragma once
#include "toolkit/form.h"

namespace kelpix {

class TOptionDlg : public Form {
public:
    TOptionDlg();
};

extern TOptionDlg* OptionDlg;

} // namespace kelpix
