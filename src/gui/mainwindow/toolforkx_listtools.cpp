// Tools around the terminal list: the interface choice, the filter, export
// and copy, the stop button and the preview of the numbering passes. None of
// them changes what the specified slots do; they read the list and hand its
// rows to the core.
#include "core/discovery/logging.h"
#include "gui/mainwindow/toolforkx.h"
#include "gui/terminallist/terminallistfeed.h"
#include "core/discovery/terminalexport.h"
#include "core/transport/localaddress.h"
#include "gui/dialogs/renumberpreview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QSaveFile>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

#include "ui_toolforkx.h"

using namespace quenzal;

namespace {

// Fills the interface choice afresh whenever its list is about to open.
class RefreshOnOpen : public QObject
{
public:
    RefreshOnOpen(QObject *parent, std::function<void()> refresh)
        : QObject(parent)
        , m_refresh(std::move(refresh))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            m_refresh();
        else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Space || key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_F4)
                m_refresh();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_refresh;
};

TerminalTexts rowTexts(const QTreeWidgetItem *item)
{
    TerminalTexts texts;
    for (int c = 0; c < TerminalListColumns; ++c)
        texts[size_t(c)] = item->text(c);
    return texts;
}

} // namespace

// The window opens at the form's width (1131 pixels) in every language and
// font. Some widgets know their final size only once shown (a combo box
// sizes itself then); with some fonts the form's rows then need a pixel or
// two more than the form gives them, and the window would grow that much:
// the rows give up those few pixels instead, whenever the layout asks. Never
// more than a few: with a font so large that the rows cannot fit, the
// window grows as before.
void ToolForKX::keepFormWidth()
{
    const int menuExcess = ui->menubar->minimumSizeHint().width() - m_formWidth;
    if (menuExcess > 0)
        ui->lineEdit_Filter->setFixedWidth(qMax(ui->lineEdit_Filter->width() - menuExcess, 60));
    QWidget *central = centralWidget();
    const int need = central->minimumSizeHint().width();
    if (central->minimumWidth() != m_formWidth && need > m_formWidth && need <= m_formWidth + 16)
        central->setMinimumWidth(m_formWidth);
    // Grown by the layout before the rows gave up their pixels: back.
    if (central->minimumWidth() == m_formWidth && width() > m_formWidth && width() <= qMax(need, m_formWidth + 16))
        resize(m_formWidth, height());
}

bool ToolForKX::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == centralWidget() && event->type() == QEvent::LayoutRequest)
        QTimer::singleShot(0, this, [this] { keepFormWidth(); });
    return QMainWindow::eventFilter(watched, event);
}

void ToolForKX::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    keepFormWidth();
}

void ToolForKX::setupFieldTools()
{
    // Interface choice: the entry of the address the fields show.
    refreshInterfaces();
    // The system's choice (entry 0) unless an interface was named at start.
    const QList<LocalInterfaceAddress> entries = localIPv4Interfaces();
    const int named = m_startInterface.isEmpty() ? -1 : interfaceChoiceIndex(entries, m_startInterface);
    ui->comboBox_Interface->setCurrentIndex(named + 1);
    ui->comboBox_Interface->installEventFilter(new RefreshOnOpen(this, [this] { refreshInterfaces(); }));
    connect(ui->comboBox_Interface, &QComboBox::activated, this, &ToolForKX::SlotInterfaceChosen);

    ui->comboBox_Interface->setToolTip(ui->comboBox_Interface->currentText());
    connect(ui->comboBox_Interface, &QComboBox::currentTextChanged, ui->comboBox_Interface, &QWidget::setToolTip);

    // The filter sits in the free right end of the menu bar, above the list,
    // so that the list keeps its rows.
    ui->verticalLayout_6->removeWidget(ui->lineEdit_Filter);
    auto *corner = new QWidget(ui->menubar);
    auto *cornerLayout = new QHBoxLayout(corner);
    cornerLayout->setContentsMargins(0, 1, 8, 1);
    cornerLayout->addWidget(ui->lineEdit_Filter);
    ui->lineEdit_Filter->setFixedWidth(ui->lineEdit_Filter->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 18);
    ui->lineEdit_Filter->setMaximumHeight(ui->lineEdit_Filter->fontMetrics().height() + 6);
    ui->menubar->setCornerWidget(corner, Qt::TopRightCorner);
    m_formWidth = width();
    centralWidget()->installEventFilter(this);

    connect(ui->but_StopScan, &QAbstractButton::clicked, this, &ToolForKX::SlotStopScan);
    connect(ui->lineEdit_Filter, &QLineEdit::textChanged, this, &ToolForKX::SlotFilterChanged);
    connect(ui->actionExport, &QAction::triggered, this, &ToolForKX::SlotExport);
    connect(ui->actionApplyPlan, &QAction::triggered, this, &ToolForKX::SlotApplyPlan);
    auto *copy = new QShortcut(QKeySequence::Copy, ui->treeWidget);
    copy->setContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QShortcut::activated, this, &ToolForKX::SlotCopyRows);
}

// Hides a row in which no cell holds the filter text. Only the row's
// visibility changes; the passes, the counter and the sort see every row.
// The list is told by row number: asked by item, it looks for the item's
// row, which after a sort means a search through the list for each row.
void ToolForKX::applyFilter(int row, const QString &needle) const
{
    QTreeWidget *tree = ui->treeWidget;
    bool hide = false;
    if (!needle.isEmpty()) {
        const QTreeWidgetItem *item = tree->topLevelItem(row);
        // The list's own rows keep their texts at hand; reading them cell
        // by cell through the item costs more than the search.
        const TerminalTexts *texts = m_listFeed ? m_listFeed->textsOf(item) : nullptr;
        hide = texts ? !rowContainsText(*texts, needle) : !rowContainsText(rowTexts(item), needle);
    }
    if (tree->isRowHidden(row, QModelIndex()) != hide)
        tree->setRowHidden(row, QModelIndex(), hide);
}

void ToolForKX::SlotFilterChanged()
{
    const QString needle = ui->lineEdit_Filter->text();
    const int n = ui->treeWidget->topLevelItemCount();
    for (int i = 0; i < n; ++i)
        applyFilter(i, needle);
}

void ToolForKX::onRowAppended(const TerminalTexts &row, const QHostAddress &from, QTreeWidgetItem *item)
{
    if (!ui->lineEdit_Filter->text().isEmpty()) {
        const QString needle = ui->lineEdit_Filter->text();
        if (!rowContainsText(row, needle))
            item->setHidden(true);
    }
    m_verifier->offer(row, from);
}

bool ToolForKX::exportTerminalList(const QString &path, QString *error)
{
    const std::vector<TerminalTexts> rows = terminalListRows();
    const bool json = path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.write(json ? terminalsToJson(rows) : terminalsToCsv(rows));
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

void ToolForKX::SlotExport()
{
    QString filter;
    const QString csv = tr("CSV 表格 (*.csv)");
    const QString json = tr("JSON (*.json)");
    // Qt's own dialog: it needs no desktop portal and looks the same everywhere.
    QString path = QFileDialog::getSaveFileName(this, tr("导出终端列表"), QStringLiteral("terminals.csv"),
        csv + QStringLiteral(";;") + json, &filter, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter == json ? QStringLiteral(".json") : QStringLiteral(".csv");
    QString error;
    if (exportTerminalList(path, &error))
        showStatus(tr("已导出 %1 台终端到 %2").arg(ui->treeWidget->topLevelItemCount()).arg(path));
    else
        showStatus(tr("导出失败：%1").arg(error));
}

// The selected rows in list order as tab-separated text.
void ToolForKX::SlotCopyRows()
{
    std::vector<TerminalTexts> rows;
    const int n = ui->treeWidget->topLevelItemCount();
    for (int i = 0; i < n; ++i) {
        const QTreeWidgetItem *item = ui->treeWidget->topLevelItem(i);
        if (item->isSelected())
            rows.push_back(rowTexts(item));
    }
    if (rows.empty())
        return;
    QApplication::clipboard()->setText(terminalsToTsv(rows));
    showStatus(tr("已复制 %1 行").arg(rows.size()));
}

// Shows what a numbering pass would send, planned by the core from the
// list's rows in list order (the pass runs the same function on the same
// rows). True: go on with the pass.
bool ToolForKX::previewRenumbering(bool macs)
{
    if (!ui->checkBox_Preview->isChecked())
        return true;
    const std::vector<TerminalTexts> rows = terminalListRows();
    RenumberPreview preview(this);
    if (macs)
        preview.setPlan(planSharedMacs(rows), isWanMode());
    else
        preview.setPlan(planSharedIds(rows, fieldNumber(ui->lineEdit_ChangStatId->text())), isWanMode());
    return preview.exec() == QDialog::Accepted;
}
