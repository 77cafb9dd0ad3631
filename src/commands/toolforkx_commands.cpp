// SendCommand, SendToTarget and the command buttons.
#include "app/logging.h"
#include "app/toolforkx.h"

#include "ui_toolforkx.h"

void ToolForKX::SendCommand(int, int, quint8 *, int) {}
void ToolForKX::SendToTarget(int, quint8 *, int) {}
void ToolForKX::SlotSendvoladd() {}
void ToolForKX::SlotSendServerIP() {}
void ToolForKX::SlotSendMachType() {}
void ToolForKX::SoltSetID() {}
void ToolForKX::SoltSetIP() {}
void ToolForKX::SoltSetMAC() {}
void ToolForKX::SoltSetGATEWAy() {}
void ToolForKX::SoltSetMask() {}
void ToolForKX::SlotSendindexreboot() {}
void ToolForKX::SoltSetDhcpOn() {}
void ToolForKX::SoltSetDhcpOff() {}
void ToolForKX::SoltSetOneKeyCall() {}
void ToolForKX::SoltSetLineInAddr() {}
void ToolForKX::SoltSetLan() {}
void ToolForKX::SoltSetWan() {}
void ToolForKX::SoltSetMyMachType() {}
void ToolForKX::SoltSetAllServer() {}
void ToolForKX::SoltSetAllDhcpOn() {}
void ToolForKX::SoltSetAllDhcpOff() {}
void ToolForKX::SoltSetAllLan() {}
void ToolForKX::SoltSetAllWan() {}
void ToolForKX::SoltSetAllReboot() {}
void ToolForKX::SoltSetOneCall() {}
void ToolForKX::SoltSetPartCall() {}
void ToolForKX::SoltSetAllCall() {}
void ToolForKX::SoltSetIntercom() {}
void ToolForKX::SoltSetCallStop() {}
void ToolForKX::SoltSetMicGain() {}
void ToolForKX::SoltSetRelayTime() {}
void ToolForKX::SoltSetLanRate() {}
void ToolForKX::SoltSetWanRate() {}
void ToolForKX::SoltSetAutoIntercomOn() {}
void ToolForKX::SoltSetAutoIntercomOff() {}
void ToolForKX::SoltSetPAMuteOn() {}
void ToolForKX::SoltSetPAMuteOff() {}
void ToolForKX::SoltSetMachineReset() {}
void ToolForKX::SoltSetExtAudioMode1() {}
void ToolForKX::SoltSetExtAudioMode2() {}
void ToolForKX::SoltSetExtAudioMode3() {}
void ToolForKX::SoltSetExtAudioMode_All1() {}
void ToolForKX::SoltSetExtAudioMode_All2() {}
void ToolForKX::SoltSetExtAudioMode_All3() {}
void ToolForKX::SoltSetCallModeOnline() {}
void ToolForKX::SoltSetCallModeOffline() {}
void ToolForKX::SoltSetOfflineName() {}
void ToolForKX::SoltSetOfflinePartId() {}
void ToolForKX::SoltSetUpdataFont() {}
void ToolForKX::SoltSetTcmd() {}
void ToolForKX::SoltSetDisplayOK() {}
void ToolForKX::SoltSettcmd2() {}
void ToolForKX::SoltSetRingOn() {}
void ToolForKX::SoltSetRingOFF() {}
void ToolForKX::SoltSetMaxVol() {}
