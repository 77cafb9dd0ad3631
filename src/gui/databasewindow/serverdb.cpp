#include "gui/databasewindow/serverdb.h"
#include "gui/databasewindow/reconciledialog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>

#include "core/serverdb/logging.h"
#include "core/serverdb/dbcore.h"
#include "gui/databasewindow/usermessage.h"
#include "ui_serverdb.h"

using namespace quenzal::serverdb;

namespace {

const QString kDefaultPath = QStringLiteral("C:/IP-SERVER/Velmora.db");
const QString kReferenceDb = QStringLiteral("LS_New.db");
const QString kOutputDb = QStringLiteral("Velmora_new.db");

QString conversionMessage(const ConversionResult &r)
{
    switch (r.status) {
    case ConversionResult::Done: {
        QString text = QCoreApplication::translate("Serverdb", "数据库转换完成,当前目录下数据库名称为:Velmora_new.db");
        for (const TableCopyResult &t : r.tables) {
            if (t.skipped > 0)
                text += QCoreApplication::translate("Serverdb", "\n%1表有%2行未复制").arg(t.table).arg(t.skipped);
        }
        return text;
    }
    case ConversionResult::AlreadyNewFormat:
        return QCoreApplication::translate("Serverdb", "当前数据库版本已经是最新的不需要转换");
    case ConversionResult::SourceUnreadable:
        return QCoreApplication::translate("Serverdb", "数据库无法读取，未转换:") + r.error;
    case ConversionResult::SameFile:
        return QCoreApplication::translate("Serverdb", "数据库不能是Velmora_new.db或LS_New.db本身，未转换");
    case ConversionResult::BackupFailed:
        return QCoreApplication::translate("Serverdb", "数据库备份失败，未转换:") + r.error;
    case ConversionResult::OutputNotReplaced:
        return QCoreApplication::translate("Serverdb", "无法用LS_New.db重建Velmora_new.db，未转换:") + r.error;
    case ConversionResult::Failed:
        break;
    }
    return QCoreApplication::translate("Serverdb", "数据库转换失败，未生成Velmora_new.db:") + r.error;
}

} // namespace

QColor Serverdb::duplicateColor()
{
    return QColor(0, 255, 255, 255);
}

Serverdb::Serverdb(QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::Serverdb>())
{
    ui->setupUi(this);
    connect(ui->but_SetDB_Copy, &QAbstractButton::clicked, this, &Serverdb::SoltSetDB_Copy);
    connect(ui->but_SetDB_Delete, &QAbstractButton::clicked, this, &Serverdb::SoltSetDB_Delete);
    connect(ui->but_SetDB_Sync, &QAbstractButton::clicked, this, &Serverdb::but_SetDB_Sync);
    connect(ui->but_SetDB_Update, &QAbstractButton::clicked, this, &Serverdb::SoltSetDB_Update);
    connect(ui->treeWidget, &QAbstractItemView::pressed, this, &Serverdb::SoltSetSelect);
    connect(ui->but_Reconcile, &QAbstractButton::clicked, this,
        [this] { ReconcileDialog::openFor(this, ui->lineEdit_Serverdb->text()); });
    ui->lineEdit_Serverdb->setText(kDefaultPath);
    ui->label_DbStatus->setVisible(false);
    SoltSetDB_Init();
    SoltSetDB_GetNetType();
}

Serverdb::~Serverdb() = default;

Serverdb *Serverdb::openWindow(QWidget *parent)
{
    auto *window = new Serverdb(parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

void Serverdb::showReadStatus(int status, const QString &path, const QString &error)
{
    QString text;
    switch (ReadStatus(status)) {
    case ReadStatus::Ok:
    case ReadStatus::Missing:
        break;
    case ReadStatus::Locked:
        text = tr("数据库正被服务器占用(已锁定)，未能读取，请稍后刷新: %1").arg(path);
        break;
    case ReadStatus::NotADatabase:
        text = tr("不是数据库文件，未能读取: %1").arg(path);
        break;
    case ReadStatus::Unreadable:
        text = tr("数据库无法读取: ") + path;
        if (!error.isEmpty())
            text += QStringLiteral(" (%1)").arg(error);
        break;
    }
    ui->label_DbStatus->setText(text);
    ui->label_DbStatus->setVisible(!text.isEmpty());
}

void Serverdb::SoltSetDB_Init()
{
    QTreeWidget *list = ui->treeWidget;
    list->clear();
    const QString path = ui->lineEdit_Serverdb->text();
    qCDebug(lcServerdb) << "ServerDataBase Path :" << path;
    ui->lineEdit_Serverdb_Num->setText(QStringLiteral("0"));

    const TerminalListing listing = readTerminals(path);
    if (listing.ok) {
        ui->lineEdit_DB_Version->setText(listing.newFormat ? newFormatText() : oldFormatText());
        ui->lineEdit_Serverdb_Num->setText(QString::number(listing.rows.size()));

        const std::vector<std::uint8_t> marks = duplicateMarks(listing.rows);
        const QBrush mark(duplicateColor());
        QList<QTreeWidgetItem *> items;
        items.reserve(qsizetype(listing.rows.size()));
        for (std::size_t r = 0; r < listing.rows.size(); ++r) {
            const TerminalRow &row = listing.rows[r];
            auto *item = new QTreeWidgetItem(QStringList(row.texts.begin(), row.texts.end()));
            item->setData(0, StoredValueRole, QVariant::fromValue(row.key));
            for (std::size_t k = 0; k < kKeyColumns.size(); ++k) {
                if (marks[r] & (1u << k))
                    item->setBackground(kKeyColumns[k], mark);
            }
            items.append(item);
        }
        // Inserting into a sorted list places each row by itself; one insert
        // and one sort afterwards give the same order far faster.
        const bool sorting = list->isSortingEnabled();
        list->setSortingEnabled(false);
        list->addTopLevelItems(items);
        list->setSortingEnabled(sorting);
    } else {
        qCDebug(lcServerdb) << "Terminal list not read:" << listing.error;
    }
    // A list left empty by a file that could not be read must not pass for a
    // server without terminals.
    showReadStatus(int(listing.status), path, listing.error);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
}

void Serverdb::SoltSetDB_GetNetType()
{
    const QString path = ui->lineEdit_Serverdb->text();
    const SettingValues setting = readSetting(path);
    // The server may have taken its lock between the list and this read.
    if (setting.status != ReadStatus::Ok && setting.status != ReadStatus::Missing
        && ui->label_DbStatus->text().isEmpty())
        showReadStatus(int(setting.status), path, QString());
    if (!setting.ok)
        return;
    if (setting.hasNetworkType) {
        qCDebug(lcServerdb) << "NetworkType=" << setting.networkType.bytes;
        ui->lineEdit_Serverdb_NetType->setText(networkTypeText(setting.networkType));
    }
    if (setting.hasServerIp)
        ui->lineEdit_Serverdb_Sip->setText(serverIpText(setting.serverIp));
}

void Serverdb::SoltSetDB_GetSip() {}

bool Serverdb::confirmed()
{
    if (ui->checkBox_SetDB->isChecked())
        return true;
    warn(this, tr("请勾选确认操作"));
    return false;
}

void Serverdb::SoltSetDB_Copy()
{
    if (!confirmed())
        return;
    const QString source = ui->lineEdit_Serverdb->text();
    // Beside the source, so a backup never lands in a folder that only
    // exists on the server's own machine.
    const QString target = backupFileName(QFileInfo(source).absolutePath(),
                                          QDateTime::currentDateTime(), QStringLiteral(".db"));
    const BackupResult backup = backupDatabase(source, target);
    ui->checkBox_SetDB->setChecked(false);
    if (backup.ok)
        warn(this, tr("数据库备份完成:") + backup.target);
    else
        warn(this, tr("数据库备份失败:") + backup.error);
}

void Serverdb::SoltSetDB_Delete()
{
    if (!confirmed())
        return;
    const QList<QTreeWidgetItem *> selected = ui->treeWidget->selectedItems();
    if (selected.isEmpty())
        return;
    QString error;
    const int deleted = Function_DeleteRow(selected.first(), &error);
    SoltSetDB_Init();
    ui->checkBox_SetDB->setChecked(false);
    if (deleted != 1)
        warn(this, tr("删除失败:") + error);
}

int Serverdb::Function_DeleteRow(const QTreeWidgetItem *item, QString *error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    const QVariant key = item->data(0, StoredValueRole);
    if (!key.canConvert<TerminalKey>()) {
        *error = tr("该行不是从数据库读出的"); // not a row of a load
        return -1;
    }
    const QString path = ui->lineEdit_Serverdb->text();
    const DeleteResult result = deleteTerminalRows(path, key.value<TerminalKey>());
    if (!result.ok) {
        qCDebug(lcServerdb) << "delete failed:" << result.error;
        const ReadStatus status = QFileInfo(path).isFile() ? readStatusOf(result.code) : ReadStatus::Missing;
        if (status == ReadStatus::Locked)
            *error = tr("数据库正被服务器占用(已锁定)，请稍后再试");
        else if (status == ReadStatus::Missing)
            *error = tr("文件不存在: ") + path;
        else
            *error = result.error;
        return -1;
    }
    qCDebug(lcServerdb) << "deleted rows:" << result.removed;
    if (result.removed == 0) {
        // Someone else deleted or changed the row since the list was read.
        *error = tr("数据库中已没有该行");
        return -1;
    }
    return 1;
}

void Serverdb::SoltSetDB_Update()
{
    const QString source = ui->lineEdit_Serverdb->text();
    if (!QFileInfo(source).isFile()) {
        warn(this, tr("请将423以下版本数据库复制到当前目录下，数据库名称必须为:Velmora.db"));
        return;
    }
    if (!QFileInfo(kReferenceDb).isFile()) {
        warn(this, tr("参考数据库不存在，请将423以上版本空白数据库复制到当前目录下，数据库名称必须为:LS_New.db"));
        return;
    }
    const QString backup = backupFileName(QString(), QDateTime::currentDateTime(), QStringLiteral("_41X.db"));
    const ConversionResult result = convertDatabase(source, kReferenceDb, kOutputDb, backup);
    if (result.status != ConversionResult::Done)
        qCDebug(lcServerdb) << "conversion stopped:" << result.status << result.error;
    warn(this, conversionMessage(result));
}

void Serverdb::SoltSetSelect()
{
    // Selecting a row only prepares a delete, which reads the selection
    // itself when it runs.
    const QList<QTreeWidgetItem *> selected = ui->treeWidget->selectedItems();
    Q_UNUSED(selected);
}

void Serverdb::but_SetDB_Sync()
{
    SoltSetDB_Init();
    SoltSetDB_GetNetType();
}

void Serverdb::Function_AddRow(const char *id, const char *ip, const char *mac, const char *name,
                               QTreeWidgetItem *item)
{
    ui->treeWidget->addTopLevelItem(item);
    ui->treeWidget->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Function_GetDate(id, kColId, item);
    Function_GetDate(ip, kColIp, item);
    Function_GetDate(mac, kColMac, item);
    Function_GetDate(name, kColName, item);
}

void Serverdb::Function_GetDate(const char *src, int num, QTreeWidgetItem *item)
{
    const QString text = cellText(num, QByteArray(src));
    const QList<QTreeWidgetItem *> found = ui->treeWidget->findItems(text, Qt::MatchExactly, num);
    if (found.size() <= 1)
        return;
    const QBrush mark(duplicateColor());
    item->setBackground(num, mark);
    for (QTreeWidgetItem *other : found)
        other->setBackground(num, mark);
}
