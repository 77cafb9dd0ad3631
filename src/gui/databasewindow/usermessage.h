#pragma once
// Every message the database window gives the user passes through warn(), so
// tests can watch the messages without a modal box blocking them.
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

} // namespace quenzal::serverdb
