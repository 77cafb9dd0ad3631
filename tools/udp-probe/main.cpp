// quenzal-udp-probe: listens on one UDP port (optionally in a multicast
// group) for a bounded time and logs every datagram it receives, one line
// each: "<hex bytes> <source address> <source port>". Tests read the log to
// see exactly what the tool sent. Prints "ready" once it listens.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include <cstdio>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("UDP port to listen on"), QStringLiteral("port"));
    const QCommandLineOption groupOption(QStringLiteral("group"), QStringLiteral("multicast group to join"), QStringLiteral("address"));
    const QCommandLineOption logOption(QStringLiteral("log"), QStringLiteral("log file (default stdout)"), QStringLiteral("file"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"), QStringLiteral("run time limit"), QStringLiteral("s"),
                                           QStringLiteral("20"));
    parser.addOptions({portOption, groupOption, logOption, secondsOption});
    parser.process(app);

    const quint16 port = quint16(parser.value(portOption).toUInt());
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        std::fprintf(stderr, "bind to port %u failed: %s\n", port, qPrintable(socket.errorString()));
        return 1;
    }
    if (parser.isSet(groupOption) && !socket.joinMulticastGroup(QHostAddress(parser.value(groupOption)))) {
        std::fprintf(stderr, "join failed: %s\n", qPrintable(socket.errorString()));
        return 1;
    }

    QFile log;
    if (parser.isSet(logOption)) {
        log.setFileName(parser.value(logOption));
        if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            return 1;
    } else if (!log.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return 1;
    }

    QObject::connect(&socket, &QUdpSocket::readyRead, &app, [&] {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram d = socket.receiveDatagram();
            log.write(d.data().toHex(' ') + ' ' + d.senderAddress().toString().toLatin1() + ' '
                      + QByteArray::number(d.senderPort()) + '\n');
        }
    });
    QTimer::singleShot(parser.value(secondsOption).toInt() * 1000, &app, &QCoreApplication::quit);
    if (::write(STDOUT_FILENO, "ready\n", 6) != 6)
        return 1;
    return app.exec();
}
