#include "serverdb/usermessage.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace quenzal::serverdb {

namespace {

// The database window's messages, for the translation. A message that is
// one of these followed by a detail (a path, an error) is translated by its
// start; the detail stays as it is.
const char *const kMessages[] = {
    QT_TRANSLATE_NOOP("Serverdb", "数据库转换完成,当前目录下数据库名称为:Velmora_new.db"),
    QT_TRANSLATE_NOOP("Serverdb", "当前数据库版本已经是最新的不需要转换"),
    QT_TRANSLATE_NOOP("Serverdb", "数据库无法读取，未转换:"),
    QT_TRANSLATE_NOOP("Serverdb", "数据库不能是Velmora_new.db或LS_New.db本身，未转换"),
    QT_TRANSLATE_NOOP("Serverdb", "数据库备份失败，未转换:"),
    QT_TRANSLATE_NOOP("Serverdb", "无法用LS_New.db重建Velmora_new.db，未转换:"),
    QT_TRANSLATE_NOOP("Serverdb", "数据库转换失败，未生成Velmora_new.db:"),
    QT_TRANSLATE_NOOP("Serverdb", "请勾选确认操作"),
    QT_TRANSLATE_NOOP("Serverdb", "数据库备份完成:"),
    QT_TRANSLATE_NOOP("Serverdb", "数据库备份失败:"),
    QT_TRANSLATE_NOOP("Serverdb", "删除失败:"),
    QT_TRANSLATE_NOOP("Serverdb", "请将423以下版本数据库复制到当前目录下，数据库名称必须为:Velmora.db"),
    QT_TRANSLATE_NOOP("Serverdb",
        "参考数据库不存在，请将423以上版本空白数据库复制到当前目录下，数据库名称必须为:LS_New.db"),
};

QString translated(const QString &text)
{
    for (const char *message : kMessages) {
        const QString key = QString::fromUtf8(message);
        if (text == key)
            return QCoreApplication::translate("Serverdb", message);
        if (key.endsWith(QLatin1Char(':')) && text.startsWith(key))
            return QCoreApplication::translate("Serverdb", message) + text.mid(key.size());
    }
    return text;
}

WarningHandler &handler()
{
    static WarningHandler h;
    return h;
}
} // namespace

void warn(QWidget *parent, const QString &text)
{
    if (handler()) {
        handler()(parent, translated(text));
        return;
    }
    QMessageBox::warning(parent, QCoreApplication::translate("Serverdb", "提示"), translated(text), QMessageBox::Ok,
        QMessageBox::NoButton);
}

WarningHandler setWarningHandler(WarningHandler h)
{
    WarningHandler previous = std::move(handler());
    handler() = std::move(h);
    return previous;
}

} // namespace quenzal::serverdb
