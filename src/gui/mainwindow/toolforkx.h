#pragma once
// The main window of the tool.
//
// ToolForKX is wiring: it owns the form and the timers, and its slots read
// the widgets, call the core (packets, reply decoding, numbering, command
// encoding, verification in src/core/) and write the widgets or send through
// the core's UdpTransport. Its slots live beside this file, one file per
// subsystem (toolforkx_transport.cpp, toolforkx_discovery.cpp,
// toolforkx_commands.cpp, ...); the list feed is in gui/terminallist/, the
// database window in gui/databasewindow/. docs/architecture.md is the map:
// the layers, the road of a reply to a row and of a button to a datagram,
// the threads.
// Everything here runs on the GUI thread; commands never wait for an answer,
// a terminal's new state shows when its next status reply appends a row.

#include <QHostAddress>
#include <QMainWindow>

#include <memory>

#include "core/commands/verifier.h"
#include "core/discovery/scanrun.h"
#include "core/transport/packets.h"
#include "core/transport/statusreply.h"
#include "core/transport/udptransport.h"

#include <vector>

class QTimer;
class QTreeWidgetItem;

namespace Ui {
class ToolForKX;
}

class ToolForKX : public QMainWindow
{
    Q_OBJECT

public:
    explicit ToolForKX(QWidget *parent = nullptr);
    // interfaceName: the interface to join the group on and send multicast
    // out of from the start (the command line's --interface); empty: the
    // system's choice, the last address in the fields, as always.
    explicit ToolForKX(const QString &interfaceName, QWidget *parent = nullptr);
    ~ToolForKX() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

public:
    // Read access for tests and for the parts of the window that only look.
    Ui::ToolForKX *form() const { return ui.get(); }
    const quenzal::SingleTerminalPacket &singleTerminalPacket() const { return m_one; }
    const quenzal::AllTerminalsPacket &allTerminalsPacket() const { return m_all; }
    QByteArray selectedTerminalAddress() const;
    // The two sockets (LAN 12682, WAN 12685) and the replies they receive.
    quenzal::UdpTransport *transport() const { return m_transport; }
    bool isWanMode() const;
    // The rows of the terminal list in list order, hidden rows included.
    std::vector<quenzal::TerminalTexts> terminalListRows() const;
    // The same, only the ID, IP and MAC of each row.
    std::vector<std::array<QString, 3>> terminalListKeys() const;
    // Writes the whole list to `path`: JSON when it ends in .json, else CSV.
    bool exportTerminalList(const QString &path, QString *error = nullptr);
    // The status bar's current text.
    QString statusText() const;
    bool scanRunning() const;
    // The scan of the "扫描设备" button, for the parts of the window that
    // scan through it (the plan dialog), and the WAN range in the fields.
    quenzal::ScanRun *scanRun() const { return m_scan; }
    quenzal::ScanFields scanRange() const;
    // Replies are still on their way into the list.
    bool terminalListBusy() const;
    // A numbering pass over a list of more than `fromRows` rows runs in
    // steps of `packetsPerStep` packets (default: 2000 rows, 500 packets).
    void setNumberingSteps(int fromRows, int packetsPerStep);
    // A numbering pass is under way (only a pass in steps outlasts its click).
    bool numberingRunning() const;

Q_SIGNALS:
    // A numbering pass has ended: its packets are sent and the list shows it.
    void numberingFinished();

public Q_SLOTS:
    void slotSysTimer();
    void SlotSendReboot();
    void SlotSendChinese();
    void SlotSendEnglish();
    void SlotSendGetMachineMessage();
    void SlotSendvoladd();
    void SlotSendvoldel();
    void SlotSendServerIP();
    void SlotSendMachType();
    void recv_slot();
    void SoltSetID();
    void SoltSetIP();
    void SoltSetMAC();
    void SoltSetGATEWAy();
    void SoltSetMask();
    void SlotSendreset();
    void SlotSendindexreboot();
    void SoltSetDhcpOn();
    void SoltSetDhcpOff();
    void SoltSetScan();
    void SoltSettest();
    void SoltSetOneKeyCall();
    void SoltSetLineInAddr();
    void SoltSetAllMachSAddr();
    void SoltSetLan();
    void SoltSetWan();
    void SoltSetMyMachType();
    void SoltSetAllServer();
    void SoltSetAllDhcpOn();
    void SoltSetAllDhcpOff();
    void SoltSetAllLan();
    void SoltSetAllWan();
    void SoltSetAllReboot();
    void SoltSetOneCall();
    void SoltSetPartCall();
    void SoltSetAllCall();
    void SoltSetIntercom();
    void SoltSetCallStop();
    void SoltSetMicGain();
    void SoltSetRelayTime();
    void SoltSetLanRate();
    void SoltSetWanRate();
    void SoltSetAutoIntercomOn();
    void SoltSetAutoIntercomOff();
    void SoltSetPAMuteOn();
    void SoltSetPAMuteOff();
    void SoltSetMode();
    void WanPacketSend(char *szBuff, int len, char *ip);
    void LanPacketSend(char *szBuff, int len, char *ip);
    void slotTimer();
    void SoltSetAutoId();
    void SoltSetAutoMac();
    void SoltSetMachineReset();
    void SoltSetExtAudioMode1();
    void SoltSetExtAudioMode2();
    void SoltSetExtAudioMode3();
    void SoltSetExtAudioMode_All1();
    void SoltSetExtAudioMode_All2();
    void SoltSetExtAudioMode_All3();
    void SoltSetCallModeOnline();
    void SoltSetCallModeOffline();
    void SoltSetOfflineName();
    void SoltSetOfflinePartId();
    void SoltSetUpdataFont();
    void SoltSetTcmd();
    void SoltSetDisplayOK();
    void SoltSettcmd2();
    void SoltSetCheckServer_db();
    void SoltSetRingOn();
    void SoltSetRingOFF();
    void SoltSetMaxVol();

    // Field tools beside the slots above.
    void SlotInterfaceChosen(int index);
    void SlotStopScan();
    void SlotFilterChanged();
    void SlotExport();
    void SlotCopyRows();
    void SlotApplyPlan();

public:
    // Routes one packet by the transport mode: the multicast group in LAN
    // mode, the selected terminal's address in WAN mode.
    void SendPacket(const quint8 *data, int len);
    // Factory reset (code 177) for the terminal with the given ID.
    void SendResetById(int id);
    // mode 1: the selected terminal, mode 2: all terminals.
    void SendCommand(int mode, int code, quint8 *buffer, int len);
    void SendToTarget(int code, quint8 *buffer, int len);
    // Builds and sends one ID-change packet (code 178).
    void SetDefalutID(int oldId, int newId, const QString &mac);
    // Rewrites one cell of the terminal list. Everything that changes a cell
    // of an existing row goes through here, so the list's lookup indexes stay
    // in step with the texts.
    void setTerminalListCellText(QTreeWidgetItem *item, int column, const QString &text);
    // Makes the list's next sort by `column` compare ranks, not texts.
    void prepareTerminalListSort(int column);
    // After a single-terminal command went out: when checkBox_Verify is
    // ticked and the command changes what a reply shows, query the terminal
    // and say in the status bar whether it took the value.
    void verifyAfterCommand(quenzal::TerminalCommand command, const QStringList &fields);

private:
    void connectButtons();
    void setupNetwork();
    void setupFieldTools();
    void refreshInterfaces();
    void useLocalAddress(const QString &text);
    void showStatus(const QString &text);
    void keepFormWidth();
    // The status bar's line for the replies lost so far, in the tool's queue
    // and in the system's receive buffers.
    void showDrops();
    // The interface a LAN query leaves by, as the status bar names it.
    QString queryInterfaceText() const;
    // The status bar's line for a datagram that did not leave.
    void showSendFailure(const QHostAddress &to, quint16 port, const QString &why);
    void reportTransportStatus();
    void applyFilter(int row, const QString &needle) const;
    void scanFinished(bool stopped);
    void onRowAppended(const quenzal::TerminalTexts &row, const QHostAddress &from, QTreeWidgetItem *item);
    void setupScan();
    void setupVerifier();
    void sendVerifyQuery();
    bool previewRenumbering(bool macs);
    void startNumbering(bool macs);
    void sendNumberingSlice();
    void finishNumbering();

    std::unique_ptr<Ui::ToolForKX> ui;
    QString m_startInterface;

    // transport
    quenzal::UdpTransport *m_transport = nullptr;
    int m_formWidth = 0; // the form's width, which the window opens at
    quint64 m_systemDropsShown = 0; // the system's drops the status bar has told of
    QHostAddress m_lanDestination;
    QHostAddress m_wanDestination;
    quenzal::SingleTerminalPacket m_one;
    quenzal::AllTerminalsPacket m_all;
    char m_selectedAddress[32] = {};

    // terminal list
    QTimer *m_sysTimer = nullptr;
    int m_sortCountdown = 0;

    // scan: its pace, the replies it counts and the end of its replies are
    // the core's; the quiet wait counts the system timer's ticks
    quenzal::ScanRun *m_scan = nullptr;
    char m_scanAddress[32] = {};

    // selection: the MAC of the selected row, for the verification
    QString m_selectedMac;

    // verification after send
    quenzal::Verifier *m_verifier = nullptr;

    // --- terminal list and scan helpers (discovery) ---
    // Turns status replies into rows (duplicate index, column fitting); made
    // on first use, once the sockets exist. A function-pointer
    // deleter, so this header needs no definition of the class.
    class TerminalListFeed &listFeed();
    std::unique_ptr<class TerminalListFeed, void (*)(class TerminalListFeed *)> m_listFeed { nullptr, nullptr };

    // --- numbering passes (numbering) ---
    struct NumberingRun;
    std::unique_ptr<NumberingRun, void (*)(NumberingRun *)> m_numbering { nullptr, nullptr };
    int m_numberingStepRows = 2000;
    int m_numberingStepPackets = 500;

    // --- command helpers (commands) ---

    // --- database window helpers (serverdb) ---
};
