#pragma once
// The database window: a view of the server's SQLite file.
//
// Serverdb is wiring only. Its slots read the path field, call the database
// core (dbcore.h), which opens the file, works and closes it within the call,
// and write the results into the widgets. The window holds no connection and
// caches nothing between operations; what it knows is what its widgets show,
// plus the stored values of the four key columns of each listed row, which
// ride on the row itself (StoredValueRole) so a delete can bind them back
// unchanged. Messages go through warn() (usermessage.h).
#include <QMainWindow>

#include <memory>

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
    ~Serverdb() override;

    Ui::Serverdb *form() const { return ui.get(); }

    // Appends one row and marks its duplicates by searching the list; the
    // four values are the row's raw ID, IP, MAC and Name. A load marks its
    // rows in one pass instead (SoltSetDB_Init).
    void Function_AddRow(const char *id, const char *ip, const char *mac, const char *name,
                         QTreeWidgetItem *item);
    // Deletes the stored rows that the listed row stands for: 1 when the
    // statement ran, -1 when it failed.
    int Function_DeleteRow(const QTreeWidgetItem *item);

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

private:
    bool confirmed();

    std::unique_ptr<Ui::Serverdb> ui;
};
