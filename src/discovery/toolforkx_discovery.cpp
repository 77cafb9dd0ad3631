// Scan, selection and the automatic numbering passes.
#include "app/logging.h"
#include "app/toolforkx.h"

#include "ui_toolforkx.h"

void ToolForKX::SoltSetScan() {}
void ToolForKX::slotTimer() {}
void ToolForKX::SoltSettest() {}
void ToolForKX::SoltSetAutoId() {}
void ToolForKX::SetDefalutID(int, int, const QString &) {}
void ToolForKX::SoltSetAutoMac() {}
