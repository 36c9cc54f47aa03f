#include "options/option_dlg.h"

namespace kelpix {

TOptionDlg* OptionDlg = nullptr;

TOptionDlg::TOptionDlg() {
    FormLayout layout{"TOptionDlg", "OptionDlg"};
    layout.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    layout.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    layout.clientWidth = 300;
    layout.clientHeight = 200;
    CreateForm(layout);
}

} // namespace kelpix
