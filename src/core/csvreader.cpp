#include "core/csvreader.h"

namespace rotalina::core {

Result<CsvTable> parseCsv(const QString &text, QChar separator)
{
    CsvTable table;
    QStringList record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    int line = 1;
    int recordLine = 1;

    const auto endRecord = [&] {
        record.append(field);
        field.clear();
        fieldStarted = false;
        const bool blank = record.size() == 1 && record.first().isEmpty();
        if (!blank) {
            if (table.header.isEmpty()) {
                table.header = record;
            } else {
                table.rows.append(record);
                table.lineNumbers.append(recordLine);
            }
        }
        record.clear();
    };

    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < body.size() && body.at(i + 1) == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == u'"' && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == separator) {
            record.append(field);
            field.clear();
            fieldStarted = false;
        } else if (c == u'\r') {
            continue;
        } else if (c == u'\n') {
            endRecord();
            ++line;
            recordLine = line;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted)
        return Result<CsvTable>::failure(
            QStringLiteral("Testo CSV non valido: virgolette non chiuse (riga %1).").arg(recordLine));
    if (fieldStarted || !record.isEmpty())
        endRecord();
    if (table.header.isEmpty())
        return Result<CsvTable>::failure(
            QStringLiteral("Il file CSV è vuoto: manca la riga di intestazione."));
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        if (table.rows.at(r).size() != table.header.size())
            return Result<CsvTable>::failure(
                QStringLiteral("Riga %1 del file CSV: %2 campi invece dei %3 dell'intestazione.")
                    .arg(table.lineNumbers.at(r))
                    .arg(table.rows.at(r).size())
                    .arg(table.header.size()));
    }
    return table;
}

} // namespace rotalina::core
