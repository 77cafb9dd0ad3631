// The main window's door to the database window.
#include "gui/mainwindow/toolforkx.h"
#include "gui/databasewindow/serverdb.h"

// Each click opens one more window; the main window keeps no reference. The
// window is its child, goes with it, and is deleted as soon as it is closed.
void ToolForKX::SoltSetCheckServer_db()
{
    Serverdb::openWindow(this);
}
