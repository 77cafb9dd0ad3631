#pragma once
// "与在线终端核对": the database's Terminal rows against the main window's
// terminal list. Three groups, each with its count: terminals in the
// database that did not answer, terminals that answered but are not in the
// database, and pairs whose ID, IP or MAC disagree. The pairing and the
// comparison are the core's (reconcile.h), the same as quenzal-cli's
// `reconcile`; the dialog only reads the file once and shows the result.
#include "core/discovery/reconcile.h"
#include "core/serverdb/dbcore.h"

#include <QDialog>

#include <vector>

class QLabel;
class QTreeWidget;

class ReconcileDialog : public QDialog
{
    Q_OBJECT

public:
    ReconcileDialog(QWidget *parent, const std::vector<quenzal::TerminalIdentity> &database,
        const std::vector<quenzal::TerminalIdentity> &live);

    // Reads the Terminal table of `databasePath`, takes the rows of the main
    // window that opened `databaseWindow` (its parent) and shows the dialog.
    // A database that cannot be read gives a message instead.
    static ReconcileDialog *openFor(QWidget *databaseWindow, const QString &databasePath);
    // The same with the Terminal rows already read (the database window
    // reads them on its worker).
    static ReconcileDialog *showFor(QWidget *databaseWindow, const quenzal::serverdb::TerminalListing &listing);

    QTreeWidget *tree() const { return m_tree; }
    // Rows in each group: silent, unknown, differing.
    int silentCount() const { return m_counts[0]; }
    int unknownCount() const { return m_counts[1]; }
    int differingCount() const { return m_counts[2]; }

private:
    QLabel *m_summary;
    QTreeWidget *m_tree;
    int m_counts[3] = { 0, 0, 0 };
};
