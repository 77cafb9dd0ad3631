#include "gui/dialogs/renumberpreview.h"

#include "core/transport/packets.h"
#include "core/transport/statusreply.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace quenzal;

RenumberPreview::RenumberPreview(QWidget *parent)
    : QDialog(parent)
    , m_summary(new QLabel(this))
    , m_table(new QTableWidget(this))
{
    setObjectName(QStringLiteral("RenumberPreview"));
    setWindowTitle(tr("预览"));
    m_table->setObjectName(QStringLiteral("tableWidget_Plan"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->setVisible(false);
    m_table->horizontalHeader()->setStretchLastSection(true);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *send = buttons->addButton(tr("发送"), QDialogButtonBox::AcceptRole);
    send->setObjectName(QStringLiteral("but_PreviewSend"));
    QPushButton *cancel = buttons->addButton(tr("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("but_PreviewCancel"));
    cancel->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(640, 400);
}

void RenumberPreview::fill(const QStringList &headers, const std::vector<QStringList> &rows)
{
    m_table->clear();
    m_table->setColumnCount(int(headers.size()));
    m_table->setHorizontalHeaderLabels(headers);
    m_table->setRowCount(int(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c)
            m_table->setItem(int(r), c, new QTableWidgetItem(rows[r].at(c)));
    }
    m_table->resizeColumnsToContents();
    m_summary->setText(rows.empty() ? tr("没有需要发送的数据包。") : tr("将发送 %1 个数据包：").arg(rows.size()));
}

void RenumberPreview::setPlan(const std::vector<IdChange> &plan, bool wan)
{
    std::vector<QStringList> rows;
    for (const IdChange &c : plan) {
        rows.push_back({ QString::number(c.row + 1), idText(c.oldId), idText(c.newId),
            wan ? c.address : QLatin1String(MulticastGroup) });
    }
    fill({ tr("行"), tr("原编号"), tr("新编号"), tr("目的地址") }, rows);
}

void RenumberPreview::setPlan(const std::vector<MacRepair> &plan, bool wan)
{
    std::vector<QStringList> rows;
    for (const MacRepair &r : plan) {
        rows.push_back(
            { QString::number(r.row + 1), r.oldMac, r.newMac, wan ? r.address : QLatin1String(MulticastGroup) });
    }
    fill({ tr("行"), tr("原MAC"), tr("新MAC"), tr("目的地址") }, rows);
}
