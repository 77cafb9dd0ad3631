// The automatic numbering passes: shared IDs and shared MACs.
#include "app/logging.h"
#include "app/toolforkx.h"

#include "ui_toolforkx.h"

void ToolForKX::SoltSetAutoId() {}
void ToolForKX::SetDefalutID(int, int, const QString &) {}
void ToolForKX::SoltSetAutoMac() {}
