#include "gui/databasewindow/serverdb.h"
#include "gui/databasewindow/reconciledialog.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "core/serverdb/logging.h"
#include "core/serverdb/dbcore.h"
#include "gui/databasewindow/operationrunner.h"
#include "gui/databasewindow/usermessage.h"
#include "ui_serverdb.h"

using namespace quenzal::serverdb;
using Shower = OperationRunner::Shower;

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

// Why a delete removed nothing, for the user.
QString deleteError(const DeleteResult &result, const QString &path)
{
    if (result.ok) // someone else deleted or changed the row since the list was read
        return QCoreApplication::translate("Serverdb", "数据库中已没有该行");
    qCDebug(lcServerdb) << "delete failed:" << result.error;
    const ReadStatus status = QFileInfo(path).isFile() ? readStatusOf(result.code) : ReadStatus::Missing;
    if (status == ReadStatus::Locked)
        return QCoreApplication::translate("Serverdb", "数据库正被服务器占用(已锁定)，请稍后再试");
    if (status == ReadStatus::Missing)
        return QCoreApplication::translate("Serverdb", "文件不存在: ") + path;
    return result.error;
}

// The layout that holds `widget`, searched from `layout` down.
QBoxLayout *layoutHolding(QLayout *layout, QWidget *widget)
{
    if (!layout)
        return nullptr;
    if (layout->indexOf(widget) >= 0)
        return qobject_cast<QBoxLayout *>(layout);
    for (int i = 0; i < layout->count(); ++i) {
        if (QBoxLayout *found = layoutHolding(layout->itemAt(i)->layout(), widget))
            return found;
    }
    return nullptr;
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
    connect(ui->but_Reconcile, &QAbstractButton::clicked, this, [this] {
        const QString path = ui->lineEdit_Serverdb->text();
        m_runner->run(tr("正在读取终端列表…"), [this, path](const OperationControl &control) -> Shower {
            auto listing = std::make_shared<const TerminalListing>(readTerminals(path, &control));
            return [this, listing] {
                ReconcileDialog::showFor(this, *listing);
                return false;
            };
        });
    });
    ui->lineEdit_Serverdb->setText(kDefaultPath);
    ui->label_DbStatus->setVisible(false);
    buildWidgets();
    SoltSetDB_Init();
    SoltSetDB_GetNetType();
}

Serverdb::~Serverdb() = default;

namespace {
constexpr int kWidthSampleRows = 200;
} // namespace

void Serverdb::buildWidgets()
{
    // Every row is one line of text: the list lays out 100,000 rows without
    // asking each for its height.
    ui->treeWidget->setUniformRowHeights(true);
    // Columns fit their contents, measured on this many rows around the
    // visible ones (every row of a smaller list): measuring 1,000 rows in
    // ten columns, as the header would, stops the window for over 100 ms.
    ui->treeWidget->header()->setResizeContentsPrecision(kWidthSampleRows);
    // The progress of a long operation and its cancel button, under the
    // message line; shown only while an operation has run for a while.
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar_Db"));
    m_cancel = new QPushButton(tr("取消"), this);
    m_cancel->setObjectName(QStringLiteral("but_SetDB_Cancel"));
    auto *row = new QHBoxLayout;
    row->addWidget(m_progress, 1);
    row->addWidget(m_cancel);
    if (QBoxLayout *around = layoutHolding(centralWidget()->layout(), ui->label_DbStatus))
        around->insertLayout(around->indexOf(ui->label_DbStatus) + 1, row);
    m_progress->hide();
    m_cancel->hide();
    m_showProgress = new QTimer(this);
    m_showProgress->setSingleShot(true);
    m_showProgress->setInterval(500);
    connect(m_showProgress, &QTimer::timeout, this, [this] {
        m_progress->show();
        m_cancel->show();
    });
    connect(m_cancel, &QAbstractButton::clicked, this, &Serverdb::cancelOperation);

    m_runner = std::make_unique<OperationRunner>();
    connect(m_runner.get(), &OperationRunner::busyChanged, this, &Serverdb::setBusy);
    connect(m_runner.get(), &OperationRunner::started, this, [this](const QString &doing) {
        m_waitedForLock = false;
        m_progress->setRange(0, 0);
        showDoing(doing);
    });
    connect(m_runner.get(), &OperationRunner::waitingForLock, this, [this](int waitedMs, int timeoutMs) {
        m_waitedForLock = true;
        showDoing(tr("数据库正被服务器占用(已锁定)，正在等待服务器释放… (%1/%2 秒)")
                      .arg(waitedMs / 1000)
                      .arg(timeoutMs / 1000));
    });
    connect(m_runner.get(), &OperationRunner::progressed, this, [this](qint64 done, qint64 total) {
        if (m_waitedForLock) {
            m_waitedForLock = false;
            showDoing(tr("服务器已释放数据库，正在读取…"));
        }
        if (total > 0) {
            m_progress->setRange(0, 1000);
            m_progress->setValue(int(done * 1000 / total));
        }
    });
    connect(m_runner.get(), &OperationRunner::cancelled, this, [this] { m_statusText = tr("操作已取消"); });
}

bool Serverdb::busy() const
{
    return m_runner->busy();
}

void Serverdb::cancelOperation()
{
    m_runner->cancel();
}

void Serverdb::closeEvent(QCloseEvent *event)
{
    m_runner->cancel();
    QMainWindow::closeEvent(event);
}

void Serverdb::setBusy(bool busy)
{
    for (QWidget *button : { static_cast<QWidget *>(ui->but_SetDB_Copy), static_cast<QWidget *>(ui->but_SetDB_Delete),
             static_cast<QWidget *>(ui->but_SetDB_Update), static_cast<QWidget *>(ui->but_SetDB_Sync),
             static_cast<QWidget *>(ui->but_Reconcile) })
        button->setEnabled(!busy);
    if (busy)
        return;
    m_showProgress->stop();
    m_progress->hide();
    m_cancel->hide();
    ui->label_DbStatus->setText(m_statusText);
    ui->label_DbStatus->setVisible(!m_statusText.isEmpty());
}

void Serverdb::showDoing(const QString &text)
{
    ui->label_DbStatus->setText(text);
    ui->label_DbStatus->setVisible(true);
    if (!m_progress->isVisible() && !m_showProgress->isActive())
        m_showProgress->start();
}

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
    m_statusText = text;
    ui->label_DbStatus->setText(text);
    ui->label_DbStatus->setVisible(!text.isEmpty());
}

void Serverdb::SoltSetDB_GetNetType()
{
    const QString path = ui->lineEdit_Serverdb->text();
    m_runner->run(tr("正在读取服务器设置…"), [this, path](const OperationControl &control) -> Shower {
        const SettingValues setting = readSetting(path, &control);
        return [this, path, setting] {
            // The server may have taken its lock between the list and this read.
            if (setting.status != ReadStatus::Ok && setting.status != ReadStatus::Missing && m_statusText.isEmpty())
                showReadStatus(int(setting.status), path, QString());
            if (!setting.ok)
                return false;
            if (setting.hasNetworkType) {
                qCDebug(lcServerdb) << "NetworkType=" << setting.networkType.bytes;
                ui->lineEdit_Serverdb_NetType->setText(networkTypeText(setting.networkType));
            }
            if (setting.hasServerIp)
                ui->lineEdit_Serverdb_Sip->setText(serverIpText(setting.serverIp));
            return false;
        };
    });
}

void Serverdb::SoltSetDB_GetSip() { }

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
    const QString target
        = backupFileName(QFileInfo(source).absolutePath(), QDateTime::currentDateTime(), QStringLiteral(".db"));
    // One backup per confirmation, also when it is cancelled.
    ui->checkBox_SetDB->setChecked(false);
    m_runner->run(tr("正在备份数据库…"), [this, source, target](const OperationControl &control) -> Shower {
        const BackupResult backup = backupDatabase(source, target, &control);
        return [this, backup] {
            if (backup.ok)
                warn(this, tr("数据库备份完成:") + backup.target);
            else
                warn(this, tr("数据库备份失败:") + backup.error);
            return false;
        };
    });
}

void Serverdb::SoltSetDB_Delete()
{
    if (!confirmed())
        return;
    const QList<QTreeWidgetItem *> selected = ui->treeWidget->selectedItems();
    if (selected.isEmpty())
        return;
    ui->checkBox_SetDB->setChecked(false);
    const QVariant key = selected.first()->data(0, StoredValueRole);
    if (!key.canConvert<TerminalKey>()) {
        SoltSetDB_Init();
        warn(this, tr("删除失败:") + tr("该行不是从数据库读出的"));
        return;
    }
    const QString path = ui->lineEdit_Serverdb->text();
    const TerminalKey values = key.value<TerminalKey>();
    m_runner->run(tr("正在删除…"), [this, path, values](const OperationControl &control) -> Shower {
        const DeleteResult result = deleteTerminalRows(path, values, &control);
        const QString error = result.ok && result.removed > 0 ? QString() : deleteError(result, path);
        return [this, error] {
            // The reload runs after the message has been read.
            SoltSetDB_Init();
            if (!error.isEmpty())
                warn(this, tr("删除失败:") + error);
            return false;
        };
    });
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
    if (!result.ok || result.removed == 0) {
        *error = deleteError(result, path);
        return -1;
    }
    qCDebug(lcServerdb) << "deleted rows:" << result.removed;
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
    m_runner->run(tr("正在转换数据库…"), [this, source, backup](const OperationControl &control) -> Shower {
        const ConversionResult result = convertDatabase(source, kReferenceDb, kOutputDb, backup, &control);
        if (result.status != ConversionResult::Done)
            qCDebug(lcServerdb) << "conversion stopped:" << result.status << result.error;
        const QString message = conversionMessage(result);
        return [this, message] {
            warn(this, message);
            return false;
        };
    });
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
