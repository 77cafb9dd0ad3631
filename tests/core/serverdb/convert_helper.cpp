// Runs one database conversion and exits: the process that
// tst_serverdb_crash kills in mid-conversion.
//
//   serverdb_convert_helper <source> <reference> <output> <backup>
#include <QLoggingCategory>
#include <QString>

#include <cstdio>

#include "core/serverdb/dbcore.h"

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s source reference output backup\n", argv[0]);
        return 2;
    }
    using namespace quenzal::serverdb;
    // A line per converted row would only slow the run down.
    QLoggingCategory::setFilterRules(QStringLiteral("quenzal.serverdb.debug=false"));
    const ConversionResult r = convertDatabase(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                                               QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    std::printf("status %d %s\n", int(r.status), r.error.toLocal8Bit().constData());
    return r.status == ConversionResult::Done ? 0 : 1;
}
