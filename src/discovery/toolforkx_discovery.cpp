// Scan and selection.
#include "app/logging.h"
#include "app/toolforkx.h"

#include "ui_toolforkx.h"

void ToolForKX::SoltSetScan() {}
void ToolForKX::slotTimer() {}
void ToolForKX::SoltSettest() {}
