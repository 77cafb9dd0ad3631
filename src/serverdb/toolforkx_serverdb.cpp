// The main window's door to the database window.
#include "app/toolforkx.h"

void ToolForKX::SoltSetCheckServer_db() {}
