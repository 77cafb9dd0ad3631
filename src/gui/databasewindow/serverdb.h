#pragma once
// The database window: a view of the server's SQLite file.
//
// Serverdb is wiring only. Its slots read the path field and hand the work
// to an OperationRunner (operationrunner.h), which calls the database core
// (dbcore.h) on a worker thread, one operation at a time; the core opens the
// file, works and closes it within the call, and the result is written into
// the widgets back on the GUI thread (a long list in slices). While an
// operation runs, the buttons that would start another are disabled, the
// message line says what it does (and that it waits for the server's lock),
// and a progress bar with a cancel button shows once it takes a while.
// Closing the window cancels it. The window holds no connection and
// caches nothing between operations; what it knows is what its widgets show,
// plus the stored values of the four key columns of each listed row, which
// ride on the row itself (StoredValueRole) so a delete can bind them back
// unchanged. Messages go through warn() (usermessage.h), except why a file
// could not be read: that goes to the status line `label_DbStatus` in the
// window itself, so that a server holding its lock for a moment at every
// refresh does not bury the user in message boxes.
#include <QMainWindow>

#include <memory>

class OperationRunner;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidgetItem;

namespace Ui {
class Serverdb;
}

class Serverdb : public QMainWindow
{
    Q_OBJECT

public:
    // Item data role under which a listed row keeps, in column 0, the
    // stored values of its ID, IP, MAC and Name (a TerminalKey).
    static constexpr int StoredValueRole = Qt::UserRole + 1;
    // The background of a cell whose text another row shares.
    static QColor duplicateColor();

    explicit Serverdb(QWidget *parent = nullptr);
    // Creates one more window on `parent` and shows it. The window deletes
    // itself when it is closed, so windows opened and closed over a long
    // session do not pile up under the main window.
    static Serverdb *openWindow(QWidget *parent);
    ~Serverdb() override;

    Ui::Serverdb *form() const { return ui.get(); }
    // An operation runs or waits for its turn.
    bool busy() const;
    // Stops the running operation; the widgets keep what they show.
    void cancelOperation();

    // Appends one row and marks its duplicates by searching the list; the
    // four values are the row's raw ID, IP, MAC and Name. A load marks its
    // rows in one pass instead (SoltSetDB_Init).
    void Function_AddRow(const char *id, const char *ip, const char *mac, const char *name, QTreeWidgetItem *item);
    // Deletes the stored rows that the listed row stands for: 1 when rows
    // were deleted, -1 when the statement failed or found no row (the reason,
    // for the user, goes to *error).
    int Function_DeleteRow(const QTreeWidgetItem *item, QString *error = nullptr);

public Q_SLOTS:
    void SoltSetDB_Init();
    void SoltSetDB_GetNetType();
    void SoltSetDB_GetSip();
    void SoltSetDB_Copy();
    void SoltSetDB_Delete();
    void SoltSetDB_Update();
    void SoltSetSelect();
    void but_SetDB_Sync();
    void Function_GetDate(const char *src, int num, QTreeWidgetItem *item);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct ListLoad;
    bool confirmed();
    void buildWidgets();
    void setBusy(bool busy);
    void showDoing(const QString &text);
    // One slice of a loaded list into the widgets; true while more is left.
    bool showListSlice(const QString &path, ListLoad &load);

    // The status line under the list: why the file could not be read, or
    // nothing.
    void showReadStatus(int status, const QString &path, const QString &error);

    std::unique_ptr<Ui::Serverdb> ui;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_cancel = nullptr;
    QTimer *m_showProgress = nullptr;
    QString m_statusText; // the read status under the list, without what runs
    bool m_waitedForLock = false;
    // Last member: destroyed first, so the worker stops before the widgets go.
    std::unique_ptr<OperationRunner> m_runner;
};
