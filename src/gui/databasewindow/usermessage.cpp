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
QuestionHandler &questionHandler()
{
    static QuestionHandler h;
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

bool ask(QWidget *parent, const QString &text)
{
    if (questionHandler())
        return questionHandler()(parent, text);
    return QMessageBox::question(parent, QCoreApplication::translate("Serverdb", "提示"), text,
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

QuestionHandler setQuestionHandler(QuestionHandler h)
{
    QuestionHandler previous = std::move(questionHandler());
    questionHandler() = std::move(h);
    return previous;
}

} // namespace quenzal::serverdb
