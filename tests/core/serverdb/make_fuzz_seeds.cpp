// Writes the seed corpus of fuzz_serverdb: small real databases of the old
// and the new format, as the test fixtures build them, with 512-byte pages
// so each file stays a few kilobytes.
//
//   make_fuzz_seeds <folder>      (then copy them to fuzz/corpus/serverdb)
#include <QDir>
#include <QFile>

#include <cstdio>

#include "dbfixtures.h"

using fixtures::Row;

namespace {

Row terminal(QVariant id, QVariant ip, QVariant mac, QVariant name)
{
    return {id, 5, 0, 1, 1, 0, 1, ip, mac, name};
}

bool shrink(const QString &path)
{
    return fixtures::exec(path, "PRAGMA page_size=512; VACUUM;");
}

bool fill(const QString &path, bool newFormat)
{
    bool ok = fixtures::insert(path, "Terminal",
                               {terminal(1, QByteArray("192.168.1.10"), QByteArray("AA:BB:CC:00:00:01"), QStringLiteral("大厅广播")),
                                terminal(1, QByteArray("192.168.1.11"), QByteArray("AA:BB:CC:00:00:02"), QByteArray("it's \"quoted\"")),
                                terminal(2, QVariant(), QVariant(), QVariant()),
                                terminal(QByteArray("3"), QByteArray("10.0.0.3"), QByteArray("aa:bb"), QByteArray("\xff\xfe"))})
              && fixtures::exec(path, "INSERT INTO Setting VALUES(1,'0','',8000);")
              && fixtures::insert(path, "Team", {{QByteArray("1"), QByteArray("Default Group"), QByteArray("1,2"), QVariant()}})
              && fixtures::insert(path, "User", {{QByteArray("admin"), QByteArray("pw"), QByteArray("r"), 1, 2, 3, 4, 5, 6, 7, QVariant()}})
              && fixtures::insert(path, "MusicData", {{10, QStringLiteral("歌"), QByteArray("C:/m/a.mp3"), QByteArray("3:00"), QByteArray("mp3")}});
    if (newFormat)
        return ok && fixtures::exec(path, "INSERT INTO AlarmInformation VALUES(1,'alarm');");
    return ok && fixtures::insert(path, "Solution", {{QByteArray("A"), QByteArray("B")}})
           && fixtures::insert(path, "Task", {fixtures::oldTaskRow(1), fixtures::oldTaskRow(2)});
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s folder\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;
    const QString oldFile = dir.filePath(QStringLiteral("old-format.db"));
    const QString oldEmpty = dir.filePath(QStringLiteral("old-format-empty.db"));
    const QString newFile = dir.filePath(QStringLiteral("new-format.db"));
    const QString reference = dir.filePath(QStringLiteral("reference.db"));
    for (const QString &f : {oldFile, oldEmpty, newFile, reference})
        QFile::remove(f);
    const bool ok = fixtures::createOldFormat(oldFile) && fill(oldFile, false) && shrink(oldFile)
                    && fixtures::createOldFormat(oldEmpty) && shrink(oldEmpty)
                    && fixtures::createNewFormat(newFile) && fill(newFile, true) && shrink(newFile)
                    && fixtures::createReference(reference) && shrink(reference);
    return ok ? 0 : 1;
}
