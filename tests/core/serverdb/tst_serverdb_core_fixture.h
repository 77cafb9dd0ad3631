#pragma once
// What the tst_serverdb_core tests share: the fixture class and its helpers.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include "dbfixtures.h"
#include "core/serverdb/dbcore.h"

using namespace quenzal::serverdb;
using fixtures::Row;

namespace serverdb_core_fixture {

// A second connection that holds a lock on the file, as the server would.
class Holder
{
public:
    Holder(const QString &path, const char *begin, const char *write = nullptr)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        m_ok = sqlite3_exec(m_db, begin, nullptr, nullptr, nullptr) == SQLITE_OK
               && (!write || sqlite3_exec(m_db, write, nullptr, nullptr, nullptr) == SQLITE_OK);
    }
    ~Holder()
    {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
    }
    bool ok() const { return m_ok; }

private:
    sqlite3 *m_db = nullptr;
    bool m_ok = false;
};

inline Row terminal(QVariant id, QVariant ip, QVariant mac, QVariant name, QVariant vol = 5)
{
    return {id, vol, 0, 1, 1, 0, 1, ip, mac, name};
}

inline QStringList names(const TerminalListing &l)
{
    QStringList out;
    for (const TerminalRow &row : l.rows)
        out << row.texts[kColName];
    out.sort();
    return out;
}

inline QString u(const char *text)
{
    return QString::fromUtf8(text);
}

inline QStringList sl(std::initializer_list<const char *> texts)
{
    QStringList out;
    for (const char *t : texts)
        out << u(t);
    return out;
}

} // namespace

using namespace serverdb_core_fixture;

class TestServerdbCoreFixture : public QObject
{
    Q_OBJECT

protected:
    QTemporaryDir *m_dir = nullptr;
    QString m_db; // an old-format database in the temporary folder
    QString path(const QString &name) const { return m_dir->filePath(name); }

private Q_SLOTS:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        QDir::setCurrent(m_dir->path());
        m_db = path(QStringLiteral("Velmora.db"));
        QVERIFY(fixtures::createOldFormat(m_db));
    }
    void cleanup()
    {
        QDir::setCurrent(QDir::tempPath());
        delete m_dir;
        m_dir = nullptr;
    }
};
