// The CSV writer against an RFC 4180 reader: any fields, written as one line and read back,
// give the same texts, a note that a spreadsheet would run as a formula with the one
// apostrophe in front that keeps it text.
//
// Input: UTF-8, fields separated by the unit separator (0x1F).

#include "csv_reader.h"
#include "results_export.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList fields = text.split(QChar(0x1F));
    QStringList written;
    for (const QString& field : fields)
        written << kr7::formulaSafe(field);
    const QList<QStringList> records =
        kr7::test::readCsv(kr7::csvLine(written) + QStringLiteral("\r\n"));
    if (records.size() != 1 || records.front() != written)
        std::abort();
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (written[i] != fields[i] && written[i] != u'\'' + fields[i])
            std::abort();
    return 0;
}
