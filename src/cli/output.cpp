#include "cli/output.h"

#include "cli/cliargs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quenzal::cli {

namespace {

// The reason of the first write to stdout that failed; empty while none did.
QString g_outputError;

int displayWidth(const QString &text)
{
    int w = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // CJK, Hangul, full-width forms: two columns on a terminal.
        w += ((u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3)
                 || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60)
                 || (u >= 0xFFE0 && u <= 0xFFE6))
            ? 2
            : 1;
    }
    return w;
}

} // namespace

void printError(const QString &text)
{
    const QByteArray line = QStringLiteral("quenzal-cli: %1\n").arg(oneLine(text)).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

void printNote(const QString &text)
{
    const QByteArray line = (oneLine(text) + QLatin1Char('\n')).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

bool writeOut(const QByteArray &bytes)
{
    errno = 0;
    const bool ok
        = (bytes.isEmpty() || std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size()))
        && std::fflush(stdout) == 0;
    if (!ok && g_outputError.isEmpty())
        g_outputError = errno ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("write error");
    return ok;
}

int finishOutput(int code)
{
    if (g_outputError.isEmpty() && std::fflush(stdout) != 0)
        g_outputError = errno ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("write error");
    if (g_outputError.isEmpty())
        return code;
    printError(QStringLiteral("cannot write the output: %1").arg(g_outputError));
    return ExitFailure;
}

QByteArray textTable(const QStringList &header, const std::vector<QStringList> &rows)
{
    std::vector<int> widths(size_t(header.size()), 0);
    auto measure = [&widths](const QStringList &cells) {
        for (int c = 0; c < cells.size() && c < int(widths.size()); ++c)
            widths[size_t(c)] = qMax(widths[size_t(c)], displayWidth(cells.at(c)));
    };
    measure(header);
    for (const QStringList &r : rows)
        measure(r);
    QByteArray out;
    auto line = [&](const QStringList &cells) {
        QString text;
        for (int c = 0; c < int(widths.size()); ++c) {
            const QString cell = oneLine(cells.value(c));
            text += cell;
            if (c + 1 < int(widths.size()))
                text += QString(widths[size_t(c)] - displayWidth(cell) + 2, QLatin1Char(' '));
        }
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        out += text.toUtf8();
        out += '\n';
    };
    line(header);
    for (const QStringList &r : rows)
        line(r);
    return out;
}

} // namespace quenzal::cli
