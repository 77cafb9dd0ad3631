#pragma once
// The common ground of the end-to-end tests of quenzal-cli: a temporary
// folder, the terminal simulator started afresh per case with a log of its
// own, and the addresses the fleets use in the terminal namespace.
#include "clirun.h"
#include "core/discovery/terminalexport.h"
#include "netnsrig.h"

#include <QObject>
#include <QTemporaryDir>
#include <QTest>

namespace clitest {

// Added to the terminal namespace before the first case.
inline const char *const TerminalAddresses[]
    = { "198.18.1.6", "198.18.1.12", "198.18.1.30", "198.18.1.40", "198.18.1.41", "198.18.1.42", "198.18.1.43" };

// The ID texts of a `scan --format json` output, in its order.
inline QStringList idsOf(const QByteArray &json)
{
    QStringList out;
    for (const quenzal::ExportRow &r : quenzal::terminalsFromJson(json).rows)
        out << r.texts[quenzal::ColId];
    return out;
}

class CliE2eTest : public QObject
{
    Q_OBJECT

protected:
    QTemporaryDir m_dir;
    testrig::Simulator m_sim;
    int m_runs = 0;

    QString path(const char *name) const { return m_dir.filePath(s(name)); }
    // A fresh simulator with a log of its own.
    bool startSim(const QByteArray &fleet, const char *name)
    {
        return m_sim.start(m_dir.path(), fleet, QStringLiteral("%1-%2").arg(s(name)).arg(++m_runs));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!testrig::inTestNetns())
            QSKIP(testrig::notInNetnsReason());
        QVERIFY(m_dir.isValid());
        for (const char *a : TerminalAddresses)
            QVERIFY2(testrig::addTerminalAddress(s(a)), a);
    }

    void cleanup() { m_sim.stop(); }
};

} // namespace clitest
