#pragma once
// "按计划配置…": bring the site to a plan from the window.
//
// The plan is a file (CSV or JSON, as `quenzal-cli apply` reads it) or the
// file of an open database window (its Terminal rows). "扫描并比较" scans
// through the main window and shows one row per terminal: its status
// (coloured), the changes as "now → planned" and why. "应用" asks first, then
// runs the rounds (PlanSiteRun, the core's PlanRun): progress in the dialog,
// "取消" stops between terminals, and each row ends "已确认", "未确认" or
// "跳过". "保存报告…" writes the report `quenzal-cli apply --report` writes.
// Nothing is sent while the comparison shows a problem.
#include "core/plan/planrun.h"

#include <QColor>
#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class PlanSiteRun;
class ToolForKX;

class PlanDialog : public QDialog
{
    Q_OBJECT

public:
    enum Column { ColMac, ColStatus, ColChanges, ColReason, ColResult, ColumnCount };

    explicit PlanDialog(ToolForKX *window);

    // The plan file, as the file dialog of "选择计划文件…" gives it.
    void setPlanFile(const QString &path);
    // The file of the open database window as the plan; false (and a
    // message) when no database window is open.
    bool useDatabaseWindowFile();
    // The buttons' work, for the buttons and for tests.
    void startDryRun();
    void startApply();
    void cancelRun();
    bool saveReport(const QString &path);

    bool running() const;
    // The rows as the table and the report show them: after a dry run the
    // first comparison, after an apply the final statuses.
    std::vector<quenzal::ApplyRow> rows() const;
    QTableWidget *table() const { return m_table; }
    QString statusText() const;

    // The background of a row by its status.
    static QColor statusColor(quenzal::PlanStatus status);
    // "已确认", "未确认", "跳过".
    static QString confirmedText();
    static QString unconfirmedText();
    static QString skippedText();

Q_SIGNALS:
    // A dry run or an apply came to its end.
    void runFinished();

protected:
    void reject() override;

private:
    void buildWidgets();
    void choosePlanFile();
    void chooseReportFile();
    void showRows();
    enum class Result { None, Confirmed, Unconfirmed, Skipped };
    Result result(size_t row, const quenzal::ApplyRow &r) const;
    void updateButtons();
    void say(const QString &text);

    ToolForKX *m_window;
    PlanSiteRun *m_run;
    bool m_fromDatabase = false;
    QLineEdit *m_planPath;
    QLabel *m_source;
    QPushButton *m_choose;
    QPushButton *m_fromDb;
    QPushButton *m_dryRun;
    QPushButton *m_apply;
    QPushButton *m_cancel;
    QPushButton *m_report;
    QTableWidget *m_table;
    QProgressBar *m_progress;
    QLabel *m_status;
};
