// Verification after send (checkBox_Verify): after a single-terminal command
// that changes what a status reply shows, the terminal is queried up to three
// times, one second apart, and the status bar says whether a reply shows the
// new value. Unticked, nothing here sends anything. The queries' rhythm,
// which reply speaks for the terminal and what it must show are the core's
// (Verifier, verify.h), the same for quenzal-cli's `set`; every row the list
// appends is offered to the verifier.
#include "core/commands/logging.h"
#include "gui/mainwindow/toolforkx.h"
#include "core/discovery/scanrange.h"

#include <QStatusBar>

#include "ui_toolforkx.h"

using namespace quenzal;

void ToolForKX::setupVerifier()
{
    m_verifier = new Verifier(this);
    connect(m_verifier, &Verifier::queryDue, this, &ToolForKX::sendVerifyQuery);
    connect(m_verifier, &Verifier::confirmed, this,
        [this](const QString &shown) { showStatus(tr("已确认：终端显示 %1").arg(shown)); });
    connect(m_verifier, &Verifier::notConfirmed, this, [this] {
        const QString expected = m_verifier->target().expected.text;
        if (m_verifier->seen().isEmpty())
            showStatus(tr("未确认：3 秒内终端没有回复（期望 %1）").arg(expected));
        else
            showStatus(tr("未确认：期望 %1，终端显示 %2").arg(expected, m_verifier->seen().join(QStringLiteral("、"))));
    });
}

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
    const VerifyTarget target = verifyTargetFor(
        lan, ui->lineEdit_rebootid->text(), m_selectedMac, parseAddressText(selectedTerminalAddress()), expected);
    qCDebug(lcCommands) << "verifying column" << expected.column << "=" << expected.text;
    showStatus(tr("正在确认：期望 %1").arg(expected.text));
    m_verifier->start(target);
}

void ToolForKX::sendVerifyQuery()
{
    const VerifyTarget &target = m_verifier->target();
    if (target.lan) {
        QByteArray query = composeLanQuery(m_one);
        char group[] = "239.0.0.2";
        LanPacketSend(query.data(), int(query.size()), group);
    } else {
        QByteArray query = composeWanQuery(m_one);
        QByteArray address = target.address.toString().toLatin1();
        WanPacketSend(query.data(), int(query.size()), address.data());
    }
}
