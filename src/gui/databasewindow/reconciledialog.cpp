#include "gui/databasewindow/reconciledialog.h"

#include "gui/mainwindow/toolforkx.h"
#include "core/serverdb/dbcore.h"
#include "gui/databasewindow/usermessage.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>

using namespace quenzal;

namespace {

QString kindText(Difference::Kind kind)
{
    switch (kind) {
    case Difference::IdDiffers:
        return ReconcileDialog::tr("编号");
    case Difference::IpDiffers:
        return QStringLiteral("IP");
    case Difference::MacDiffers:
        return QStringLiteral("MAC");
    default:
        return QString();
    }
}

} // namespace

ReconcileDialog::ReconcileDialog(
    QWidget *parent, const std::vector<TerminalIdentity> &database, const std::vector<TerminalIdentity> &live)
    : QDialog(parent)
    , m_summary(new QLabel(this))
    , m_tree(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("ReconcileDialog"));
    setWindowTitle(tr("与在线终端核对"));
    m_tree->setObjectName(QStringLiteral("treeWidget_Reconcile"));
    m_tree->setColumnCount(8);
    m_tree->setHeaderLabels({ tr("数据库编号"), tr("数据库IP"), tr("数据库MAC"), tr("名称"), tr("在线编号"),
        tr("在线IP"), tr("在线MAC"), tr("不一致") });
    m_tree->setRootIsDecorated(true);
    m_tree->setUniformRowHeights(true);

    const std::vector<Difference> diffs = reconcileTerminals(database, live);
    auto *silent = new QTreeWidgetItem(m_tree);
    auto *unknown = new QTreeWidgetItem(m_tree);
    auto *differing = new QTreeWidgetItem(m_tree);
    // Differences of one pair are one row: database row -> fields that differ.
    std::map<int, QTreeWidgetItem *> pairs;
    const TerminalIdentity none;
    for (const Difference &d : diffs) {
        const TerminalIdentity &db = d.dbRow >= 0 ? database[size_t(d.dbRow)] : none;
        const TerminalIdentity &net = d.scanRow >= 0 ? live[size_t(d.scanRow)] : none;
        const QStringList cells { db.id, db.ip, db.mac, db.name, net.id, net.ip, net.mac };
        switch (d.kind) {
        case Difference::Silent:
            new QTreeWidgetItem(silent, cells);
            break;
        case Difference::Unknown:
            new QTreeWidgetItem(unknown, cells);
            break;
        default: {
            QTreeWidgetItem *&row = pairs[d.dbRow];
            if (!row)
                row = new QTreeWidgetItem(differing, cells);
            const QString field = kindText(d.kind);
            row->setText(7, row->text(7).isEmpty() ? field : row->text(7) + QStringLiteral(", ") + field);
            break;
        }
        }
    }
    m_counts[0] = silent->childCount();
    m_counts[1] = unknown->childCount();
    m_counts[2] = differing->childCount();
    silent->setText(0, tr("数据库中有、未应答的终端：%1").arg(m_counts[0]));
    unknown->setText(0, tr("已应答、数据库中没有的终端：%1").arg(m_counts[1]));
    differing->setText(0, tr("编号、IP 或 MAC 不一致：%1").arg(m_counts[2]));
    for (QTreeWidgetItem *group : { silent, unknown, differing }) {
        group->setFirstColumnSpanned(true);
        QFont f = group->font(0);
        f.setBold(true);
        group->setFont(0, f);
    }
    m_tree->expandAll();
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    m_summary->setText(tr("数据库 %1 行，在线终端 %2 台").arg(database.size()).arg(live.size()));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_tree);
    layout->addWidget(buttons);
    resize(900, 500);
}

ReconcileDialog *ReconcileDialog::openFor(QWidget *databaseWindow, const QString &databasePath)
{
    return showFor(databaseWindow, serverdb::readTerminals(databasePath));
}

ReconcileDialog *ReconcileDialog::showFor(QWidget *databaseWindow, const serverdb::TerminalListing &listing)
{
    if (!listing.ok) {
        serverdb::warn(databaseWindow, tr("数据库无法读取：") + listing.error);
        return nullptr;
    }
    std::vector<TerminalIdentity> database;
    for (const serverdb::TerminalRow &r : listing.rows) {
        database.push_back(TerminalIdentity { r.texts[serverdb::kColId], r.texts[serverdb::kColIp],
            r.texts[serverdb::kColMac], r.texts[serverdb::kColName] });
    }
    std::vector<TerminalIdentity> live;
    if (const auto *main = qobject_cast<const ToolForKX *>(databaseWindow->parentWidget())) {
        for (const TerminalTexts &row : main->terminalListRows())
            live.push_back(identityOfListRow(row));
    }
    auto *dialog = new ReconcileDialog(databaseWindow, database, live);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}
