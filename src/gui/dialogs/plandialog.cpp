// The plan dialog: its widgets, the table of rows and the report.
#include "gui/dialogs/plandialog.h"

#include "core/plan/planread.h"
#include "gui/databasewindow/serverdb.h"
#include "gui/databasewindow/usermessage.h"
#include "gui/dialogs/plansiterun.h"
#include "gui/mainwindow/toolforkx.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui_serverdb.h"

using namespace quenzal;
using quenzal::serverdb::ask;
using quenzal::serverdb::warn;

namespace {

QString statusName(PlanStatus status)
{
    switch (status) {
    case PlanStatus::Ok:
        return PlanDialog::tr("一致");
    case PlanStatus::Change:
        return PlanDialog::tr("需修改");
    case PlanStatus::Missing:
        return PlanDialog::tr("未找到");
    case PlanStatus::Clone:
        return PlanDialog::tr("MAC 重复");
    case PlanStatus::Unplanned:
        return PlanDialog::tr("计划外");
    case PlanStatus::Problem:
        return PlanDialog::tr("问题");
    }
    return QString();
}

QString fieldText(PlanField field)
{
    switch (field) {
    case PlanField::Id:
        return PlanDialog::tr("编号");
    case PlanField::Ip:
        return PlanDialog::tr("IP");
    case PlanField::Mask:
        return PlanDialog::tr("子网掩码");
    case PlanField::Gateway:
        return PlanDialog::tr("网关");
    case PlanField::Server:
        return PlanDialog::tr("服务器");
    }
    return QString();
}

// "编号 1 → 101；IP 198.18.1.200 → 198.18.2.1"
QString changesText(const std::vector<PlanChange> &changes)
{
    QStringList parts;
    for (const PlanChange &c : changes)
        parts << QStringLiteral("%1 %2 → %3")
                     .arg(fieldText(c.field), c.now.isEmpty() ? QStringLiteral("-") : c.now, c.planned);
    // The separators are the language's: "；" and "，" in Chinese.
    return parts.join(PlanDialog::tr("；"));
}

} // namespace

PlanDialog::PlanDialog(ToolForKX *window)
    : QDialog(window)
    , m_window(window)
    , m_run(new PlanSiteRun(window, this))
{
    setObjectName(QStringLiteral("PlanDialog"));
    setWindowTitle(tr("按计划配置"));
    buildWidgets();
    connect(m_run, &PlanSiteRun::scanning, this,
        [this](int round) { say(round == 0 ? tr("正在扫描…") : tr("第 %1 轮：正在扫描核对…").arg(round)); });
    connect(m_run, &PlanSiteRun::progress, this, [this](int round, int sent, int total) {
        m_progress->setMaximum(total);
        m_progress->setValue(sent);
        say(tr("第 %1 轮：已发送 %2 / %3").arg(round).arg(sent).arg(total));
    });
    connect(m_run, &PlanSiteRun::sendFailed, this,
        [this](const QString &to, const QString &why) { warn(this, tr("发往 %1 的命令未能发送：%2").arg(to, why)); });
    connect(m_run, &PlanSiteRun::compared, this, [this] {
        showRows();
        updateButtons();
        Q_EMIT runFinished();
    });
    connect(m_run, &PlanSiteRun::finished, this, [this] {
        showRows();
        updateButtons();
        Q_EMIT runFinished();
    });
    updateButtons();
}

void PlanDialog::buildWidgets()
{
    m_planPath = new QLineEdit(this);
    m_planPath->setObjectName(QStringLiteral("lineEdit_PlanFile"));
    m_source = new QLabel(tr("计划文件："), this);
    m_choose = new QPushButton(tr("选择计划文件…"), this);
    m_choose->setObjectName(QStringLiteral("but_PlanChoose"));
    m_fromDb = new QPushButton(tr("使用数据库窗口的文件"), this);
    m_fromDb->setObjectName(QStringLiteral("but_PlanFromDb"));
    m_dryRun = new QPushButton(tr("扫描并比较"), this);
    m_dryRun->setObjectName(QStringLiteral("but_PlanDryRun"));
    m_apply = new QPushButton(tr("应用"), this);
    m_apply->setObjectName(QStringLiteral("but_PlanApply"));
    m_cancel = new QPushButton(tr("取消"), this);
    m_cancel->setObjectName(QStringLiteral("but_PlanCancel"));
    m_report = new QPushButton(tr("保存报告…"), this);
    m_report->setObjectName(QStringLiteral("but_PlanReport"));
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("tableWidget_Plan"));
    m_table->setHorizontalHeaderLabels({ tr("MAC"), tr("状态"), tr("变更（现在 → 计划）"), tr("原因"), tr("结果") });
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->setVisible(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar_Plan"));
    m_progress->setValue(0);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("label_PlanStatus"));

    auto *source = new QHBoxLayout;
    source->addWidget(m_source);
    source->addWidget(m_planPath, 1);
    source->addWidget(m_choose);
    source->addWidget(m_fromDb);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_dryRun);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    buttons->addWidget(m_report);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(source);
    layout->addLayout(buttons);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    resize(900, 480);

    connect(m_planPath, &QLineEdit::textEdited, this, [this] {
        m_fromDatabase = false;
        m_source->setText(tr("计划文件："));
    });
    connect(m_choose, &QPushButton::clicked, this, &PlanDialog::choosePlanFile);
    connect(m_fromDb, &QPushButton::clicked, this, &PlanDialog::useDatabaseWindowFile);
    connect(m_dryRun, &QPushButton::clicked, this, &PlanDialog::startDryRun);
    connect(m_apply, &QPushButton::clicked, this, &PlanDialog::startApply);
    connect(m_cancel, &QPushButton::clicked, this, &PlanDialog::cancelRun);
    connect(m_report, &QPushButton::clicked, this, &PlanDialog::chooseReportFile);
}

void PlanDialog::setPlanFile(const QString &path)
{
    m_planPath->setText(path);
    m_fromDatabase = false;
    m_source->setText(tr("计划文件："));
}

bool PlanDialog::useDatabaseWindowFile()
{
    // The newest database window that names a file.
    const QList<Serverdb *> windows = m_window->findChildren<Serverdb *>();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        const QString path = (*it)->form()->lineEdit_Serverdb->text();
        if (!path.isEmpty()) {
            m_planPath->setText(path);
            m_fromDatabase = true;
            m_source->setText(tr("数据库文件："));
            return true;
        }
    }
    warn(this, tr("没有打开的数据库窗口"));
    return false;
}

void PlanDialog::choosePlanFile()
{
    const QString path = QFileDialog::getOpenFileName(
        this, tr("选择计划文件"), m_planPath->text(), tr("计划 (*.csv *.json);;所有文件 (*)"));
    if (!path.isEmpty())
        setPlanFile(path);
}

void PlanDialog::chooseReportFile()
{
    const QString path
        = QFileDialog::getSaveFileName(this, tr("保存报告"), QString(), tr("CSV 文件 (*.csv);;JSON 文件 (*.json)"));
    if (!path.isEmpty())
        saveReport(path);
}

void PlanDialog::startDryRun()
{
    if (running())
        return;
    const QString path = m_planPath->text();
    if (path.isEmpty()) {
        warn(this, tr("请先选择计划文件"));
        return;
    }
    const PlanReadResult plan = m_fromDatabase ? readPlanDatabase(path) : readPlanFile(path);
    if (!plan.ok) {
        say(tr("计划无法读取：%1").arg(plan.error));
        warn(this, tr("计划无法读取：%1").arg(plan.error));
        return;
    }
    m_table->setRowCount(0);
    m_progress->setValue(0);
    m_run->dryRun(plan.entries);
    updateButtons();
}

void PlanDialog::startApply()
{
    const PlanRun *run = m_run->run();
    if (running() || !run || m_run->applied())
        return;
    if (run->first().problems) {
        warn(this, tr("计划有问题，不会发送任何命令。请先修改计划。"));
        return;
    }
    int toChange = 0;
    for (const PlanRow &row : run->first().rows)
        toChange += row.status == PlanStatus::Change;
    if (!ask(this, tr("将按计划修改 %1 台终端的设置，确认应用？").arg(toChange)))
        return;
    m_run->apply();
    updateButtons();
}

void PlanDialog::cancelRun()
{
    m_run->cancel();
    if (m_run->cancelled() && running())
        say(tr("正在停止：当前终端的命令发完后停止"));
}

bool PlanDialog::saveReport(const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(applyReport(rows(), path)) < 0 || !file.commit()) {
        warn(this, tr("报告无法保存：%1").arg(file.errorString()));
        return false;
    }
    say(tr("报告已保存：%1").arg(path));
    return true;
}

bool PlanDialog::running() const
{
    return m_run->running();
}

std::vector<ApplyRow> PlanDialog::rows() const
{
    const PlanRun *run = m_run->run();
    if (!run || (m_run->running() && !m_run->applied()))
        return {};
    return run->rows(!m_run->applied());
}

QString PlanDialog::statusText() const
{
    return m_status->text();
}

QColor PlanDialog::statusColor(PlanStatus status)
{
    switch (status) {
    case PlanStatus::Ok:
        return QColor(200, 240, 200);
    case PlanStatus::Change:
        return QColor(255, 240, 170);
    case PlanStatus::Missing:
        return QColor(220, 220, 220);
    case PlanStatus::Clone:
    case PlanStatus::Problem:
        return QColor(255, 200, 200);
    case PlanStatus::Unplanned:
        return QColor(200, 220, 255);
    }
    return QColor();
}

QString PlanDialog::confirmedText()
{
    return tr("已确认");
}

QString PlanDialog::unconfirmedText()
{
    return tr("未确认");
}

QString PlanDialog::skippedText()
{
    return tr("跳过");
}

// After an apply: a planned terminal the last scan shows as planned is
// confirmed unless a send to it failed; one whose sends a cancel left out,
// one nothing was sent to (a clone, a problem) and a terminal the plan does
// not name are skipped; the rest (still differs, missing) is unconfirmed.
PlanDialog::Result PlanDialog::result(size_t row, const ApplyRow &r) const
{
    if (!m_run->applied() || m_run->running())
        return Result::None;
    const int index = int(row);
    if (r.row.entry < 0 || m_run->skippedRows().contains(index) || r.row.status == PlanStatus::Clone
        || r.row.status == PlanStatus::Problem)
        return Result::Skipped;
    if (r.status == PlanStatus::Ok && !m_run->failedRows().contains(index))
        return Result::Confirmed;
    return Result::Unconfirmed;
}

void PlanDialog::showRows()
{
    const std::vector<ApplyRow> all = rows();
    m_table->setRowCount(int(all.size()));
    int counts[6] = {};
    int results[4] = {}; // by Result
    for (size_t i = 0; i < all.size(); ++i) {
        const ApplyRow &r = all[i];
        ++counts[int(r.status)];
        const Result result = this->result(i, r);
        ++results[int(result)];
        const QString resultTexts[] = { QString(), confirmedText(), unconfirmedText(), skippedText() };
        const QStringList cells { r.row.mac, statusName(r.status), changesText(r.row.changes), r.reason,
            resultTexts[int(result)] };
        const QBrush background(statusColor(r.status));
        for (int c = 0; c < ColumnCount; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setBackground(background);
            m_table->setItem(int(i), c, item);
        }
    }
    m_table->resizeColumnsToContents();
    const PlanRun *run = m_run->run();
    if (m_run->applied()) {
        m_progress->setValue(m_progress->maximum());
        say(tr("%1：已确认 %2，未确认 %3，跳过 %4；%5 个数据包，%6 轮，%7 次扫描")
                .arg(m_run->cancelled() ? tr("已停止") : tr("完成"))
                .arg(results[int(Result::Confirmed)])
                .arg(results[int(Result::Unconfirmed)])
                .arg(results[int(Result::Skipped)])
                .arg(m_run->datagrams())
                .arg(run->rounds())
                .arg(m_run->scans()));
        return;
    }
    QStringList parts;
    for (int s = 0; s < 6; ++s)
        if (counts[s])
            parts << QStringLiteral("%1 %2").arg(statusName(PlanStatus(s))).arg(counts[s]);
    QString text
        = tr("计划 %1 台，回复 %2 个：%3").arg(run->plan().size()).arg(run->firstReplies()).arg(parts.join(tr("，")));
    if (run->first().problems)
        text += tr("；计划有问题，不能应用");
    say(text);
}

void PlanDialog::updateButtons()
{
    const bool busy = running();
    const PlanRun *run = m_run->run();
    m_choose->setEnabled(!busy);
    m_fromDb->setEnabled(!busy);
    m_planPath->setEnabled(!busy);
    m_dryRun->setEnabled(!busy);
    m_apply->setEnabled(!busy && run && !m_run->applied() && !run->first().problems);
    m_cancel->setEnabled(busy && m_run->applied());
    m_report->setEnabled(!busy && run);
}

void PlanDialog::say(const QString &text)
{
    m_status->setText(text);
}

void PlanDialog::reject()
{
    // Closing while the rounds run stops them first, between terminals; a
    // dry run sends nothing and goes with the dialog.
    if (running() && m_run->applied()) {
        cancelRun();
        return;
    }
    QDialog::reject();
}
