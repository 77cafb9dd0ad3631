#include "core/export/csv.h"

namespace quenzal {

QString csvField(const QString &text)
{
    bool quote = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
    for (const QChar c : text) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            quote = true;
            break;
        }
    }
    if (!quote)
        return text;
    QString out = text;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

CsvWriter::CsvWriter()
    : m_out("\xEF\xBB\xBF")
{
}

void CsvWriter::endRow(const QString &line)
{
    m_out += line.toUtf8();
    m_out += "\r\n";
}

} // namespace quenzal
