#pragma once
// Every message the database window and the plan dialog give the user passes
// through warn(), every question through ask(), so tests can watch the
// messages and answer the questions without a modal box blocking them.
#include <QString>

#include <functional>

class QWidget;

namespace quenzal::serverdb {

using WarningHandler = std::function<void(QWidget *parent, const QString &text)>;

// A modal warning titled "提示" with a single OK button, or the installed
// handler.
void warn(QWidget *parent, const QString &text);

// Installs a handler (an empty one restores the message box); returns the
// previous one.
WarningHandler setWarningHandler(WarningHandler handler);

using QuestionHandler = std::function<bool(QWidget *parent, const QString &text)>;

// A modal question titled "提示" with Yes and No (No the default); true for
// Yes. Or the installed handler's answer.
bool ask(QWidget *parent, const QString &text);

// Installs a handler (an empty one restores the message box); returns the
// previous one.
QuestionHandler setQuestionHandler(QuestionHandler handler);

} // namespace quenzal::serverdb
