#pragma once
// Scans written compactly for the plan tests: records "MAC ID IP MASK
// GATEWAY SERVER" separated by ';'.
#include "core/transport/statusreply.h"

#include <QStringList>

#include <initializer_list>
#include <vector>

// A QStringList from literal UTF-8 texts.
inline QStringList texts(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *i : items)
        out << QString::fromUtf8(i);
    return out;
}

inline std::vector<quenzal::TerminalTexts> scanOf(const QString &text)
{
    using namespace quenzal;
    std::vector<TerminalTexts> rows;
    for (const QString &record : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList f = record.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        TerminalTexts t;
        t[ColMac] = f.value(0);
        t[ColId] = f.value(1);
        t[ColIp] = f.value(2);
        t[ColMask] = f.value(3);
        t[ColGateway] = f.value(4);
        t[ColServer] = f.value(5);
        rows.push_back(t);
    }
    return rows;
}
