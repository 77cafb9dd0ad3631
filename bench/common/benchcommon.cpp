#include "benchcommon.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <numeric>
#include <vector>

namespace bench {

qint64 monotonicNs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

long residentKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

void settle(int ms)
{
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

QList<int> sizesFromArguments(int argc, char *argv[], const QList<int> &defaults)
{
    QList<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (const int n = QByteArray(argv[i]).toInt(); n > 0)
            sizes << n;
    }
    return sizes.isEmpty() ? defaults : sizes;
}

bool writeShuffledFleet(int n, const QString &path)
{
    std::vector<int> ids(static_cast<size_t>(n));
    std::iota(ids.begin(), ids.end(), 1);
    std::shuffle(ids.begin(), ids.end(), *QRandomGenerator::global());
    QByteArray fleet = "firmware = 545\nmask = 255.255.0.0\nlink = 1\n";
    for (int i = 0; i < n; ++i) {
        const int host = i + 1;
        fleet += "[terminal]\nid = " + QByteArray::number(ids[size_t(i)]) + "\nip = 10.20."
            + QByteArray::number(host / 250) + '.' + QByteArray::number(host % 250 + 1) + "\nmac = 02:00:00:00:"
            + QByteArray::number((host >> 8) & 0xFF, 16) + ':' + QByteArray::number(host & 0xFF, 16) + '\n';
    }
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(fleet) == fleet.size();
}

void execOrExit(sqlite3 *db, const char *sql)
{
    char *err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "SQL failed: %s\n", err ? err : "?");
        std::exit(1);
    }
}

StallMeter::StallMeter(int periodMs)
    : m_period(periodMs)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        const qint64 now = monotonicNs();
        const qint64 gap = now - m_lastTick;
        m_longest = std::max(m_longest, gap);
        if (onTick)
            onTick(gap, now);
        m_lastTick = now;
    });
}

void StallMeter::start()
{
    m_longest = 0;
    m_lastTick = monotonicNs();
    m_timer.start(m_period);
}

void StallMeter::stop()
{
    m_timer.stop();
}

void waitUntilEnabled(QObject *root, const QString &name)
{
    // Read through the property, so that the benchmarks' common part needs
    // no Qt Widgets.
    QObject *child = root->findChild<QObject *>(name);
    if (!child || child->property("enabled").toBool())
        return;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (child->property("enabled").toBool())
            loop.quit();
    });
    poll.start(5);
    loop.exec();
}

} // namespace bench
