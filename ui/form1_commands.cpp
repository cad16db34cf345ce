// Form1: which control's notification runs which handler.
#include "ui/control_ids.h"
#include "ui/form1.h"

namespace talvex {

void Form1::OnCommand(int id, int code, HWND control) {
    (void)control;
    if (id == ids::kList1) {
        // Selection by mouse or keyboard recalls the entry.
        if (code == LBN_SELCHANGE) RunHandler([this] { OnList1Click(); });
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case ids::kCommand1: RunHandler([this] { OnCommand1Click(); }); break;
        case ids::kCommand2: RunHandler([this] { OnCommand2Click(); }); break;
        case ids::kCommand3: RunHandler([this] { OnCommand3Click(); }); break;
        case ids::kCommand4: RunHandler([this] { OnCommand4Click(); }); break;
        case ids::kButtonPlus1: RunHandler([this] { OnButtonPlus1Click(); }); break;
        case ids::kButtonPlus2: RunHandler([this] { OnButtonPlus2Click(); }); break;
        case ids::kCmdpropos: RunHandler([this] { OnCmdproposClick(); }); break;
        default:
            if (id >= ids::kKeytool0 && id < ids::kKeytool0 + 4) {
                const auto index = static_cast<short>(id - ids::kKeytool0);
                RunHandler([this, index] { OnKeytoolClick(index); });
            }
            break;
    }
}

}  // namespace talvex
