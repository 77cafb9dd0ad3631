// libFuzzer target: any bytes as a quenzal-cli command line (split at zero
// bytes into arguments, read as UTF-8) through the argument reading. Nothing
// may crash, and every refusal is one short line, as stderr shows it.
#include "cli/cliargs.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The parsers' help texts name the program through the application.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QStringList args { QStringLiteral("quenzal-cli") };
    const char *bytes = reinterpret_cast<const char *>(data);
    size_t start = 0;
    for (size_t i = 0; i <= size && args.size() < 64; ++i) {
        if (i == size || bytes[i] == '\0') {
            args << QString::fromUtf8(bytes + start, qsizetype(i - start));
            start = i + 1;
        }
    }
    const quenzal::cli::Command c = quenzal::cli::parseCommandLine(args);
    if (c.kind == quenzal::cli::Command::Invalid
        && (c.error.isEmpty() || c.error.size() > 303 || c.error.contains(QLatin1Char('\n'))
            || c.error.contains(QLatin1Char('\r'))))
        std::abort();
    if (c.kind == quenzal::cli::Command::Scan && (c.scan.waitMs < 0 || c.scan.waitMs > 3600 * 1000))
        std::abort();
    if (c.kind == quenzal::cli::Command::Scan && c.scan.wan && c.scan.count < 1)
        std::abort();
    return 0;
}
