// Scan and selection.
#include "core/discovery/logging.h"
#include "gui/mainwindow/toolforkx.h"
#include "core/discovery/scanrange.h"
#include "core/discovery/selection.h"
#include "core/discovery/terminalexport.h"
#include "core/transport/statusreply.h"
#include "gui/terminallist/terminallistfeed.h"

#include <QTimer>

#include <cstring>

#include "ui_toolforkx.h"

using namespace quenzal;

namespace {

ScanFields scanFields(const Ui::ToolForKX &ui)
{
    ScanFields f;
    f.s1 = fieldNumber(ui.lineEdit_ScanIP1->text());
    f.s2 = fieldNumber(ui.lineEdit_ScanIP2->text());
    f.s3 = fieldNumber(ui.lineEdit_ScanIP3->text());
    f.s4 = fieldNumber(ui.lineEdit_ScanIP4->text());
    f.e1 = fieldNumber(ui.lineEdit_ScanIP5->text());
    f.e2 = fieldNumber(ui.lineEdit_ScanIP6->text());
    f.e3 = fieldNumber(ui.lineEdit_ScanIP7->text());
    f.e4 = fieldNumber(ui.lineEdit_ScanIP8->text());
    return f;
}

void setOctetFields(const QString &column, std::initializer_list<QLineEdit *> fields)
{
    const QStringList texts = octetFieldTexts(column);
    int i = 0;
    for (QLineEdit *field : fields)
        field->setText(texts.value(i++));
}

void highlight(std::initializer_list<QPushButton *> group, QPushButton *on)
{
    for (QPushButton *b : group)
        b->setStyleSheet(QString());
    if (on)
        on->setStyleSheet(QLatin1String(HighlightStyle));
}

} // namespace

void ToolForKX::setupScan()
{
    m_scan = new ScanRun(this);
    // The end of the replies is told by the system tick: the sort comes on
    // the second tick after the last datagram, the summary two ticks later.
    m_scan->setQuietTicks(4, 3);
    connect(m_scan, &ScanRun::lanQueryDue, this, [this] {
        const QByteArray query = composeLanQuery(m_one);
        SendPacket(reinterpret_cast<const quint8 *>(query.constData()), int(query.size()));
    });
    connect(m_scan, &ScanRun::wanQueryDue, this, &ToolForKX::slotTimer);
    connect(m_scan, &ScanRun::sendingFinished, this, &ToolForKX::scanFinished);
    connect(m_scan, &ScanRun::quiet, this, [this](bool stopped) {
        // The end of a scan, once its replies have stopped: what the list holds.
        const std::optional<SharedCounts> counted = m_listFeed ? m_listFeed->sharedCounts() : std::nullopt;
        const SharedCounts c = counted ? *counted : countSharedKeys(terminalListKeys());
        QString text = (stopped ? tr("扫描已停止：%1 台终端，编号重复 %2，IP 重复 %3，MAC 重复 %4")
                                : tr("扫描结束：%1 台终端，编号重复 %2，IP 重复 %3，MAC 重复 %4"))
                           .arg(c.rows)
                           .arg(c.sharedId)
                           .arg(c.sharedIp)
                           .arg(c.sharedMac);
        // Nobody answered the LAN query: say where it went out.
        if (c.rows == 0 && !isWanMode())
            text += tr("；查询经由 %1").arg(queryInterfaceText());
        showStatus(text);
    });
}

void ToolForKX::SoltSetScan()
{
    // What arrived before this scan's query is no answer to it.
    m_transport->discardWaiting();
    ui->treeWidget->clear();
    if (!isWanMode()) {
        m_scan->startLan();
    } else {
        // No query here: the first goes out at the first step. The query is
        // still written into the packet (and its byte 6 stays there for the
        // next command, even when the range turns out empty).
        composeWanQuery(m_one);
        m_scan->startWan(scanAddressCount(scanFields(*ui)), [this] {
            // The fields are read afresh at every step: edits during a scan count.
            return scanFields(*ui);
        });
        ui->progressBar->setMaximum(scanProgressMaximum(m_scan->count()));
        ui->but_StopScan->setEnabled(true);
        qCDebug(lcDiscovery) << "WAN scan of" << m_scan->count() << "addresses";
    }
    m_sortCountdown = 5;
    showStatus(isWanMode() ? tr("跨网扫描开始：%1 个地址").arg(m_scan->count()) : tr("子网扫描：已发送查询"));
}

// One step of a WAN scan: the query to the step's address.
void ToolForKX::slotTimer()
{
    const QByteArray address = m_scan->address().left(int(sizeof m_scanAddress) - 1);
    std::memset(m_scanAddress, 0, sizeof m_scanAddress);
    std::memcpy(m_scanAddress, address.constData(), size_t(address.size()));
    QByteArray query = composeWanQuery(m_one);
    WanPacketSend(query.data(), int(query.size()), m_scanAddress);
    ui->progressBar->setValue(m_scan->done());
    ui->progressBar->setFormat(QString::fromLatin1(m_scanAddress));
    ui->progressBar->setAlignment(Qt::AlignRight | Qt::AlignHCenter | Qt::AlignVCenter);
    showStatus(tr("跨网扫描：%1 / %2（%3），已收到 %4 个回复")
                   .arg(m_scan->done())
                   .arg(m_scan->count())
                   .arg(QString::fromLatin1(m_scanAddress))
                   .arg(m_scan->replies()));
}

void ToolForKX::SlotStopScan()
{
    // No further query; the rows found so far stay.
    m_scan->stop();
}

ScanFields ToolForKX::scanRange() const
{
    return scanFields(*ui);
}

bool ToolForKX::scanRunning() const
{
    return m_scan && m_scan->stepping();
}

void ToolForKX::scanFinished(bool stopped)
{
    ui->but_StopScan->setEnabled(false);
    if (stopped)
        showStatus(tr("扫描已停止：已查询 %1 / %2 个地址").arg(m_scan->done()).arg(m_scan->count()));
}

void ToolForKX::SoltSettest()
{
    const QList<QTreeWidgetItem *> selected = ui->treeWidget->selectedItems();
    if (selected.isEmpty())
        return;
    const QTreeWidgetItem *row = selected.first();

    ui->lineEdit_rebootid->setText(row->text(ColId));
    m_selectedMac = row->text(ColMac);
    ui->lineEdit_Zhujiao->setText(row->text(ColId));

    const QByteArray address = selectedAddressBytes(row->text(ColIp));
    std::memset(m_selectedAddress, 0, sizeof m_selectedAddress);
    std::memcpy(m_selectedAddress, address.constData(), size_t(address.size()));
    setOctetFields(row->text(ColIp), { ui->lineEdit_Cip, ui->lineEdit_Cip_2, ui->lineEdit_Cip_3, ui->lineEdit_Cip_4 });
    setOctetFields(
        row->text(ColMask), { ui->lineEdit_CMask, ui->lineEdit_CMask_2, ui->lineEdit_CMask_3, ui->lineEdit_CMask_4 });
    setOctetFields(row->text(ColGateway),
        { ui->lineEdit_Cgateway, ui->lineEdit_Cgateway_2, ui->lineEdit_Cgateway_3, ui->lineEdit_Cgateway_4 });
    setOctetFields(row->text(ColServer),
        { ui->lineEdit_CServerip, ui->lineEdit_CServerip_2, ui->lineEdit_CServerip_3, ui->lineEdit_CServerip_4 });
    ui->lineEdit_MyMachType->setText(modelFieldText(row->text(ColModelText)));

    highlight({ ui->but_SetPAMuteOn, ui->but_SetPAMuteOff },
        amplifierOnHighlighted(row->text(ColAmplifier)) ? ui->but_SetPAMuteOn : ui->but_SetPAMuteOff);
    QPushButton *const ext[] = { ui->but_SetExtMute, ui->but_SetExtLINEIN, ui->but_SetExtMIC };
    const int extOn = extAudioHighlight(row->text(ColExtAudio));
    highlight({ ui->but_SetExtMute, ui->but_SetExtLINEIN, ui->but_SetExtMIC }, extOn >= 0 ? ext[extOn] : nullptr);
    const int callOn = callModeHighlight(row->text(ColMicMode));
    highlight({ ui->but_SetCallModeOnline, ui->but_SetCallModeOffline },
        callOn == 1       ? ui->but_SetCallModeOnline
            : callOn == 0 ? ui->but_SetCallModeOffline
                          : nullptr);
    highlight({ ui->but_SetAuto1, ui->but_SetAuto0 },
        autoAnswerManualHighlighted(row->text(ColAutoAnswer)) ? ui->but_SetAuto0 : ui->but_SetAuto1);
    highlight(
        { ui->but_DhcpOn, ui->but_DhcpOff }, dhcpOnHighlighted(row->text(ColDhcp)) ? ui->but_DhcpOn : ui->but_DhcpOff);
    highlight({ ui->but_LAN, ui->but_WAN }, lanModeHighlighted(row->text(ColNetMode)) ? ui->but_LAN : ui->but_WAN);
}
