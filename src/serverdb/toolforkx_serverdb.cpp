// The main window's door to the database window.
#include "app/toolforkx.h"
#include "serverdb/serverdb.h"

// Each click opens one more window; the main window keeps no reference, the
// window is its child and goes with it.
void ToolForKX::SoltSetCheckServer_db()
{
    auto *window = new Serverdb(this);
    window->show();
}
