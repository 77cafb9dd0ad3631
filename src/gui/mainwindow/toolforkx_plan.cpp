// The main window's door to commissioning from a plan.
#include "gui/dialogs/plandialog.h"
#include "gui/mainwindow/toolforkx.h"

// One dialog at a time: it scans and sends through this window, and two runs
// would take each other's scans. It stays open beside the window (the list
// shows every scan it makes) and is deleted when it is closed.
void ToolForKX::SlotApplyPlan()
{
    PlanDialog *dialog = findChild<PlanDialog *>();
    if (!dialog) {
        dialog = new PlanDialog(this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
