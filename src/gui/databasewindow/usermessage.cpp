#include "gui/databasewindow/usermessage.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace quenzal::serverdb {

namespace {
WarningHandler &handler()
{
    static WarningHandler h;
    return h;
}
} // namespace

void warn(QWidget *parent, const QString &text)
{
    if (handler()) {
        handler()(parent, text);
        return;
    }
    QMessageBox::warning(
        parent, QCoreApplication::translate("Serverdb", "提示"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

WarningHandler setWarningHandler(WarningHandler h)
{
    WarningHandler previous = std::move(handler());
    handler() = std::move(h);
    return previous;
}

} // namespace quenzal::serverdb
