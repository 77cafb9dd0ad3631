#pragma once
// The preview of a numbering pass: every packet the pass would send (row,
// old and new ID or MAC, destination), with "发送" and "取消". The plan comes
// from the core's planSharedIds / planSharedMacs on the list's rows.
#include "core/discovery/numbering.h"

#include <QDialog>

#include <vector>

class QTableWidget;
class QLabel;

class RenumberPreview : public QDialog
{
    Q_OBJECT

public:
    explicit RenumberPreview(QWidget *parent = nullptr);

    // wan: packets go to each row's address; LAN: to the multicast group.
    void setPlan(const std::vector<quenzal::IdChange> &plan, bool wan);
    void setPlan(const std::vector<quenzal::MacRepair> &plan, bool wan);

    QTableWidget *table() const { return m_table; }

private:
    void fill(const QStringList &headers, const std::vector<QStringList> &rows);

    QLabel *m_summary;
    QTableWidget *m_table;
};
