#pragma once

#include <QStringList>

namespace kr7::test {

// The records of an RFC 4180 text, each a list of fields, as a spreadsheet reads them: a
// quoted field may hold commas, doubled quotes and line breaks; records end in CR LF.
inline QList<QStringList> readCsv(QStringView text) {
    QList<QStringList> records;
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << std::exchange(field, QString());
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            fields << std::exchange(field, QString());
            records << std::exchange(fields, QStringList());
            ++i;
        } else {
            field += c;
        }
    }
    if (!field.isEmpty() || !fields.isEmpty())
        records << (fields << field);
    return records;
}

} // namespace kr7::test
