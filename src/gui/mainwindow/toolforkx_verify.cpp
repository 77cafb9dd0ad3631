// Verification after send (checkBox_Verify): after a single-terminal command
// that changes what a status reply shows, the terminal is queried up to three
// times, one second apart, and the status bar says whether a reply shows the
// new value. Unticked, nothing here sends anything. Which reply speaks for
// the terminal and what it must show is decided by the core (verify.h), the
// same for quenzal-cli's `set`.
#include "core/commands/logging.h"
#include "gui/mainwindow/toolforkx.h"
#include "core/discovery/scanrange.h"

#include <QStatusBar>
#include <QTimer>

#include "ui_toolforkx.h"

using namespace quenzal;

void ToolForKX::verifyAfterCommand(TerminalCommand command, const QStringList &fields)
{
    if (!ui->checkBox_Verify->isChecked())
        return;
    const ExpectedValue expected = expectedAfterCommand(command, fields);
    if (!expected.verifiable)
        return;
    const bool lan = !isWanMode();
    if (!lan && m_selectedAddress[0] == 0)
        return; // nothing went out
    m_verify = Verification();
    m_verify.active = true;
    m_verify.target = verifyTargetFor(
        lan, ui->lineEdit_rebootid->text(), m_selectedMac, parseAddressText(selectedTerminalAddress()), expected);
    qCDebug(lcCommands) << "verifying column" << expected.column << "=" << expected.text;
    showStatus(tr("正在确认：期望 %1").arg(expected.text));
    sendVerifyQuery();
}

void ToolForKX::sendVerifyQuery()
{
    ++m_verify.attempts;
    if (m_verify.target.lan) {
        QByteArray query = composeLanQuery(m_one);
        char group[] = "239.0.0.2";
        LanPacketSend(query.data(), int(query.size()), group);
    } else {
        QByteArray query = composeWanQuery(m_one);
        QByteArray address = m_verify.target.address.toString().toLatin1();
        WanPacketSend(query.data(), int(query.size()), address.data());
    }
    m_verifyTimer->start();
}

void ToolForKX::verifyTick()
{
    if (!m_verify.active)
        return;
    if (m_verify.attempts < VerifyAttempts) {
        sendVerifyQuery();
        return;
    }
    m_verify.active = false;
    if (m_verify.seen.isEmpty())
        showStatus(tr("未确认：3 秒内终端没有回复（期望 %1）").arg(m_verify.target.expected.text));
    else
        showStatus(tr("未确认：期望 %1，终端显示 %2")
                       .arg(m_verify.target.expected.text, m_verify.seen.join(QStringLiteral("、"))));
}
