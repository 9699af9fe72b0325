#include "u_dbfmake.h"

#include "u_error.h"
#include "u_files.h"

#include <QDate>
#include <QStringList>

namespace aeris::dbf {

void makeTable(const QString& path, const std::vector<FieldDef>& fields, unsigned char codePageByte)
{
    if (fields.empty() || fields.size() > 254) throw Error(QStringLiteral("%1: a table needs 1 to 254 fields").arg(path));
    int recordLength = 1;
    for (const FieldDef& f : fields) {
        if (f.name.isEmpty() || f.name.size() > 10) throw Error(QStringLiteral("%1: bad field name '%2'").arg(path, QString::fromLatin1(f.name)));
        if (f.length < 1 || f.length > 254 || f.decimals < 0 || f.decimals >= std::max(1, f.length))
            throw Error(QStringLiteral("%1: bad size of field %2").arg(path, QString::fromLatin1(f.name)));
        if (!QByteArray("CNFDL").contains(f.type)) throw Error(QStringLiteral("%1: bad type of field %2").arg(path, QString::fromLatin1(f.name)));
        recordLength += f.length;
    }
    if (recordLength > 4000) throw Error(QStringLiteral("%1: records of %2 bytes are too long").arg(path).arg(recordLength));
    const int headerLength = 32 * int(fields.size() + 1) + 1;
    QByteArray out(32, '\0');
    const QDate today = QDate::currentDate();
    out[0] = '\x03';
    out[1] = char(today.year() - 1900);
    out[2] = char(today.month());
    out[3] = char(today.day());
    out[8] = char(headerLength & 0xFF);
    out[9] = char(headerLength >> 8);
    out[10] = char(recordLength & 0xFF);
    out[11] = char(recordLength >> 8);
    out[29] = char(codePageByte);
    for (const FieldDef& f : fields) {
        QByteArray d(32, '\0');
        d.replace(0, f.name.size(), f.name.toUpper());
        d[11] = f.type;
        d[16] = char(f.length);
        d[17] = char(f.decimals);
        out += d;
    }
    out += '\x0D';
    out += '\x1A';
    files::writeFileAtomically(path, out);
}

std::vector<std::pair<QString, std::vector<FieldDef>>> parseDefinitions(const QString& text)
{
    std::vector<std::pair<QString, std::vector<FieldDef>>> out;
    int lineNo = 0;
    for (QString line : text.split(u'\n')) {
        ++lineNo;
        const qsizetype hash = line.indexOf(u'#');
        if (hash >= 0) line.truncate(hash);
        line = line.trimmed();
        if (line.isEmpty()) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            out.emplace_back(line.mid(1, line.size() - 2).trimmed(), std::vector<FieldDef>{});
            continue;
        }
        const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
        bool okLen = parts.size() >= 3, okDec = true;
        const int length = okLen ? parts[2].toInt(&okLen) : 0;
        const int decimals = parts.size() >= 4 ? parts[3].toInt(&okDec) : 0;
        if (out.empty() || !okLen || !okDec || parts[1].size() != 1)
            throw Error(QStringLiteral("definitions, line %1: \"%2\"").arg(lineNo).arg(line));
        out.back().second.push_back({parts[0].toLatin1(), parts[1].at(0).toLatin1(), length, decimals});
    }
    return out;
}

} // namespace aeris::dbf
