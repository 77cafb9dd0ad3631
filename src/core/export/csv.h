#pragma once
// The one CSV form of every CSV the tool writes (the terminal list, `db
// list`, `reconcile`): UTF-8 with a byte-order mark (spreadsheets read the
// Chinese captions only with it), one line per row ending CR LF, a cell
// quoted when it needs it (RFC 4180). docs/export.md describes it.
#include <QByteArray>
#include <QString>

namespace quenzal {

// One CSV field as written: quoted when it holds a comma, a quote, a line
// break or leading/trailing blanks, quotes doubled.
QString csvField(const QString &text);

// A CSV file built row by row; it starts with the byte-order mark.
class CsvWriter
{
public:
    CsvWriter();

    void reserve(qsizetype bytes) { m_out.reserve(bytes); }

    // Any range of QString: a QStringList, a row of the terminal list, ...
    template <typename Cells> void addRow(const Cells &cells)
    {
        QString line;
        bool first = true;
        for (const QString &cell : cells) {
            if (!first)
                line += QLatin1Char(',');
            first = false;
            line += csvField(cell);
        }
        endRow(line);
    }

    const QByteArray &bytes() const { return m_out; }

private:
    void endRow(const QString &line);

    QByteArray m_out;
};

} // namespace quenzal
