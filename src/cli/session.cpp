#include "cli/session.h"

#include "cli/output.h"
#include "core/platform.h"
#include "core/discovery/scanrange.h"
#include "core/discovery/scanrun.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHash>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <deque>

namespace quenzal::cli {

Session::Session()
{
    m_packet.writeStartupBytes();
    m_clock.start();
}

bool Session::open(bool wan, const QNetworkInterface &iface)
{
    m_wan = wan;
    UdpTransport::Config config;
    config.multicastInterface = iface;
    const UdpTransport::Status st = m_transport.open(config);
    if (wan && !st.wanBound) {
        printError(QStringLiteral("cannot bind UDP port %1: %2").arg(WanPort).arg(st.wanError));
        return false;
    }
    if (!wan && !st.lanBound) {
        printError(QStringLiteral("cannot bind UDP port %1: %2").arg(LanPort).arg(st.lanError));
        return false;
    }
    // Bound beside another socket: the system shares the replies out.
    if (st.lanPortShared || st.wanPortShared)
        printError(QStringLiteral("UDP port %1 is already bound by another program (another copy of this tool?): "
                                  "some replies may go to it")
                       .arg(st.lanPortShared ? LanPort : WanPort));
    if (!wan && !st.joined) {
        printError(
            QStringLiteral("cannot join the multicast group %1: %2").arg(QLatin1String(MulticastGroup), st.joinError));
        return false;
    }
    return true;
}

bool Session::noteSend(bool ok, const QString &why)
{
    if (!ok) {
        ++m_sendFailures;
        m_lastSendError = why;
    }
    return ok;
}

bool Session::sendLan(const QByteArray &bytes, QString *error)
{
    QString why;
    const bool ok = m_transport.send(UdpTransport::Lan, bytes.constData(), bytes.size(),
                        QHostAddress(QLatin1String(MulticastGroup)), LanPort, &why)
        == bytes.size();
    if (error)
        *error = why;
    return noteSend(ok, QStringLiteral("to %1:%2: %3").arg(QLatin1String(MulticastGroup)).arg(LanPort).arg(why));
}

bool Session::sendWan(const QByteArray &bytes, const QHostAddress &to, QString *error)
{
    QString why;
    const bool ok
        = m_transport.send(UdpTransport::Wan, bytes.constData(), bytes.size(), to, WanPort, &why) == bytes.size();
    if (error)
        *error = why;
    return noteSend(ok, QStringLiteral("to %1:%2: %3").arg(to.toString()).arg(WanPort).arg(why));
}

bool Session::collect(int ms, const std::function<bool(const QByteArray &, const QHostAddress &)> &reply)
{
    const UdpTransport::Socket mode = m_wan ? UdpTransport::Wan : UdpTransport::Lan;
    QEventLoop loop;
    bool stopped = false;
    std::deque<UdpTransport::Datagram> batch;
    auto drain = [&] {
        m_transport.take(batch, INT_MAX);
        while (!batch.empty() && !stopped) {
            const UdpTransport::Datagram d = std::move(batch.front());
            batch.pop_front();
            if (d.source == mode && reply(d.data, d.sender)) {
                stopped = true;
                loop.quit();
            }
        }
        batch.clear();
    };
    QObject context;
    QObject::connect(&m_transport, &UdpTransport::datagramsReady, &context, drain);
    QTimer::singleShot(qMax(0, ms), &context, [&loop] { loop.quit(); });
    drain();
    if (!stopped)
        loop.exec();
    return stopped;
}

bool Session::verify(Verifier &verifier, const VerifyTarget &target)
{
    const UdpTransport::Socket mode = m_wan ? UdpTransport::Wan : UdpTransport::Lan;
    QEventLoop loop;
    QObject context;
    bool confirmed = false;
    QObject::connect(&verifier, &Verifier::queryDue, &context, [&] {
        if (target.lan)
            sendLan(composeLanQuery(m_packet));
        else
            sendWan(composeWanQuery(m_packet), target.address);
    });
    QObject::connect(&verifier, &Verifier::confirmed, &context, [&] {
        confirmed = true;
        loop.quit();
    });
    QObject::connect(&verifier, &Verifier::notConfirmed, &loop, &QEventLoop::quit);
    std::deque<UdpTransport::Datagram> batch;
    auto drain = [&] {
        m_transport.take(batch, INT_MAX);
        for (const UdpTransport::Datagram &d : batch) {
            if (!verifier.active())
                break;
            if (d.source == mode)
                verifier.offer(decodeStatusReply(d.data).texts, d.sender);
        }
        batch.clear();
    };
    QObject::connect(&m_transport, &UdpTransport::datagramsReady, &context, drain);
    verifier.start(target);
    drain(); // what came before the first query
    if (verifier.active())
        loop.exec();
    return confirmed;
}

ScanResult Session::scan(const ScanOptions &options)
{
    ScanResult result;
    const UdpTransport::Socket mode = options.wan ? UdpTransport::Wan : UdpTransport::Lan;
    const bool progress = stderrIsTerminal();

    // The pace, the end of the sending, the replies counted and the quiet
    // wait are the window's (ScanRun); the wait here is --wait milliseconds
    // after the last reply of this scan.
    ScanRun run;
    run.setStepTimerType(Qt::PreciseTimer);
    run.setQuietMs(options.waitMs);

    // Whatever arrived before this scan's first query (late answers to an
    // earlier scan of the run) is no answer to it.
    m_transport.discardWaiting();
    const quint64 droppedBefore = m_transport.dropped();
    const quint64 systemDroppedBefore = m_transport.systemDropped();

    const bool trace = qEnvironmentVariableIsSet("QUENZAL_CLI_TRACE");
    // Every reply is a record, as every reply is a row of the window's list:
    // two terminals that share a MAC (and so often an address) both show.
    auto take = [&] {
        std::deque<UdpTransport::Datagram> batch;
        m_transport.take(batch, INT_MAX);
        int counted = 0;
        for (UdpTransport::Datagram &d : batch) {
            if (d.source != mode || !isStatusReply(d.data))
                continue;
            ++counted;
            StatusRow row = decodeStatusReply(d.data);
            result.records.push_back(ScanRecord { std::move(row.texts), d.sender });
        }
        run.countReplies(counted);
        if (trace && !batch.empty())
            std::fprintf(stderr, "trace %lld ms: took %d, queued %d\n", static_cast<long long>(m_clock.elapsed()),
                int(batch.size()), m_transport.queued());
        return counted > 0;
    };

    const int failuresBefore = m_sendFailures;
    QEventLoop loop;
    QObject context;
    QObject::connect(&run, &ScanRun::quiet, &loop, &QEventLoop::quit);
    QObject::connect(&m_transport, &UdpTransport::datagramsReady, &context, [&] {
        if (take())
            run.datagramsArrived();
    });

    QElapsedTimer shown;
    shown.start();
    auto showProgress = [&](const QString &text, bool force) {
        if (progress && (force || shown.elapsed() >= 100)) {
            std::fprintf(stderr, "\r%-70s", qPrintable(text));
            std::fflush(stderr);
            shown.restart();
        }
    };

    QObject::connect(&run, &ScanRun::lanQueryDue, &context, [this] { sendLan(composeLanQuery(m_packet)); });
    QObject::connect(&run, &ScanRun::wanQueryDue, &context, [&](const QByteArray &address) {
        const QHostAddress to = parseAddressText(address);
        const QByteArray query = composeWanQuery(m_packet);
        if (!to.isNull()) // an address past octet 255 is skipped, and still counts
            sendWan(query, to);
        showProgress(QStringLiteral("querying %1 (%2/%3), %4 replies")
                         .arg(QString::fromLatin1(address))
                         .arg(run.done())
                         .arg(options.count)
                         .arg(run.replies()),
            run.done() == options.count);
    });
    if (!options.wan)
        run.startLan();
    else
        run.startWan(options.count, [&options] { return options.range; });
    QTimer progressTimer;
    if (progress && !options.wan) {
        progressTimer.setInterval(100);
        QObject::connect(&progressTimer, &QTimer::timeout, &context,
            [&] { showProgress(QStringLiteral("%1 replies").arg(run.replies()), true); });
        progressTimer.start();
    }
    loop.exec();
    result.waitEndedMs = m_clock.elapsed();
    while (take()) { }
    result.replies = run.replies();
    result.dropped = m_transport.dropped() - droppedBefore;
    result.systemDropped = m_transport.systemDropped() - systemDroppedBefore;
    result.sendFailures = m_sendFailures - failuresBefore;
    if (result.sendFailures)
        result.sendError = m_lastSendError;
    if (progress) {
        std::fprintf(stderr, "\r%-70s\r", "");
        std::fflush(stderr);
    }
    return result;
}

bool reportLosses(const ScanResult &result)
{
    if (result.dropped)
        printError(QStringLiteral("%1 replies were lost: the receive queue was full").arg(result.dropped));
    if (result.systemDropped)
        printError(
            QStringLiteral("%1 replies were lost: the system's receive buffer was full").arg(result.systemDropped));
    return result.dropped || result.systemDropped;
}

int scanOutcome(const ScanResult &result, const ScanOptions &options)
{
    if (result.sendFailures) {
        printError(QStringLiteral("%1 queries could not be sent (%2)").arg(result.sendFailures).arg(result.sendError));
        return ExitFailure;
    }
    if ((result.dropped || result.systemDropped) && !options.allowLoss) {
        printError(QStringLiteral("the scan lost replies; --allow-loss accepts that"));
        return ExitFailure;
    }
    return ExitOk;
}

std::vector<TerminalTexts> inArrivalOrder(const ScanResult &result)
{
    std::vector<TerminalTexts> rows;
    rows.reserve(result.records.size());
    for (const ScanRecord &r : result.records)
        rows.push_back(r.texts);
    return rows;
}

std::vector<TerminalTexts> sortedById(const ScanResult &result)
{
    // The ID read once per record, not once per comparison.
    std::vector<std::pair<qlonglong, size_t>> keys;
    keys.reserve(result.records.size());
    for (size_t i = 0; i < result.records.size(); ++i)
        keys.emplace_back(result.records[i].texts[ColId].toLongLong(), i);
    std::stable_sort(keys.begin(), keys.end(), [&result](const auto &a, const auto &b) {
        if (a.first != b.first)
            return a.first < b.first;
        const TerminalTexts &x = result.records[a.second].texts, &y = result.records[b.second].texts;
        if (x[ColIp] != y[ColIp])
            return x[ColIp] < y[ColIp];
        return x[ColMac] < y[ColMac];
    });
    std::vector<TerminalTexts> rows;
    rows.reserve(keys.size());
    for (const auto &k : keys)
        rows.push_back(result.records[k.second].texts);
    return rows;
}

} // namespace quenzal::cli
