#include "DBF.h"

#include "u_codepage.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <cstdio>
#include <sys/file.h>

namespace aeris::dbf {
namespace {

QString numberText(int n) { return QString::number(n); }

QChar decimalSeparator() { return QLocale().decimalPoint().front(); }

QByteArray trimSpaces(const QByteArray& b)
{
    qsizetype a = 0, e = b.size();
    while (a < e && b[a] == ' ') ++a;
    while (e > a && b[e - 1] == ' ') --e;
    return b.mid(a, e - a);
}

} // namespace

TDBF::~TDBF()
{
    if (m_file.isOpen()) {
        if (m_lockFd >= 0) ::flock(m_lockFd, LOCK_UN);
        m_file.close();
    }
}

void TDBF::setTableName(const QString& name)
{
    if (active()) throw ED(QStringLiteral("TableName: Это свойство нельзя изменять, если файл открыт"));
    if (QFileInfo(name).suffix().compare(QLatin1String("DBF"), Qt::CaseInsensitive) != 0)
        throw ED(QStringLiteral("TableName: Недопустимый тип файла"));
    m_name = name;
}

void TDBF::setExclusive(bool exclusive)
{
    if (active()) throw ED(QStringLiteral("Exclusive: Это свойство нельзя изменять, если файл открыт"));
    m_exclusive = exclusive;
}

void TDBF::requireOpen(const char* op) const
{
    if (!active()) throw ED(QString::fromLatin1(op) + QStringLiteral(": Файл не открыт"));
}

void TDBF::Open()
{
    if (active()) throw ED(QStringLiteral("Open: Необходимо закрыть открытый файл"));
    if (!QFileInfo::exists(m_name)) throw ED(QStringLiteral("Open: Не найден файл ") + m_name);
    const QString busy = QStringLiteral("Файл ") + QFileInfo(m_name).fileName() +
                         QStringLiteral(" невозможно открыть в монопольном\rрежиме, т.к. он уже используется другой программой");
    m_file.setFileName(m_name);
    if (!m_file.open(QIODevice::ReadWrite)) throw ED(busy);
    // Sharing as the Windows file modes give it: an exclusive opening excludes every other.
    m_lockFd = m_file.handle();
    if (::flock(m_lockFd, (m_exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        m_file.close();
        m_lockFd = -1;
        throw ED(busy);
    }
    try {
        ReadHeader();
        if (m_count > 0) {
            m_current = 1;
            ReadRecord();
        }
    } catch (...) {
        ::flock(m_lockFd, LOCK_UN);
        m_file.close();
        m_lockFd = -1;
        throw;
    }
    m_dirty = false;
}

void TDBF::Close()
{
    requireOpen("Close");
    if (m_lockFd >= 0) ::flock(m_lockFd, LOCK_UN);
    m_lockFd = -1;
    m_file.close();
    m_header.clear();
    m_descriptors.clear();
    m_fields.clear();
    m_offsets.clear();
    m_count = m_current = 0;
    m_dirty = false;
}

void TDBF::Reopen()
{
    if (active()) Close();
    Open();
}

void TDBF::ReadHeader()
{
    const QString failure = QStringLiteral("ReadHeader: Ошибка чтения заголовка файла");
    if (!m_file.seek(0)) throw ED(failure);
    m_header = m_file.read(32);
    if (m_header.size() != 32) throw ED(failure);
    auto u16 = [&](int at) { return quint16(quint8(m_header[at]) | (quint8(m_header[at + 1]) << 8)); };
    m_count = quint32(quint8(m_header[4])) | (quint32(quint8(m_header[5])) << 8) | (quint32(quint8(m_header[6])) << 16) |
              (quint32(quint8(m_header[7])) << 24);
    m_headerLength = u16(8);
    m_recordLength = u16(10);
    if (m_recordLength > kBufferSize)
        throw ED(QStringLiteral("ReadHeader: Длина записи %1 байт превышает допустимые %2").arg(m_recordLength).arg(kBufferSize));
    const int n = m_headerLength / 32 - 1;
    m_descriptors.clear();
    m_fields.clear();
    m_offsets.clear();
    int offset = 1;
    for (int i = 0; i < n; ++i) {
        if (!m_file.seek(32 * (i + 1))) throw ED(failure);
        const QByteArray d = m_file.read(32);
        if (d.size() != 32) throw ED(failure);
        FieldInfo f;
        const qsizetype zero = d.left(11).indexOf('\0');
        f.name = d.left(zero < 0 ? 11 : zero);
        f.type = d[11];
        f.length = quint8(d[16]);
        f.decimals = quint8(d[17]);
        // A field reaching past the record would read or write outside it.
        if (offset + f.length > m_recordLength) throw ED(failure);
        m_descriptors.push_back(d);
        m_fields.push_back(f);
        m_offsets.push_back(offset);
        offset += f.length;
    }
    m_current = m_count > 0 ? 1 : 0;
    m_buffer = QByteArray(m_recordLength, ' ');
}

void TDBF::ReadRecord()
{
    const qint64 at = qint64(m_headerLength) + qint64(m_current - 1) * m_recordLength;
    if (!m_file.seek(at)) throw ED(QStringLiteral("ReadRecord: Ошибка чтения записи"));
    const QByteArray rec = m_file.read(m_recordLength);
    if (rec.size() != m_recordLength) throw ED(QStringLiteral("ReadRecord: Ошибка чтения записи"));
    m_buffer = rec;
    m_dirty = false;
}

void TDBF::writeHeader32()
{
    if (!m_file.seek(0) || m_file.write(m_header) != 32) throw ED(QStringLiteral("WriteHeader: Ошибка сохранения заголовка файла"));
}

void TDBF::WriteHeader()
{
    const QDate today = QDate::currentDate();
    m_header[1] = char(today.year() - 1900);
    m_header[2] = char(today.month());
    m_header[3] = char(today.day());
    const QString failure = QStringLiteral("WriteHeader: Ошибка сохранения заголовка файла");
    writeHeader32();
    for (size_t i = 0; i < m_descriptors.size(); ++i)
        if (!m_file.seek(qint64(32 * (i + 1))) || m_file.write(m_descriptors[i]) != 32) throw ED(failure);
    if (!m_file.seek(qint64(32 * (m_descriptors.size() + 1))) || m_file.write("\x0D", 1) != 1) throw ED(failure);
}

void TDBF::SetDbfDate(const QDate& date)
{
    if (!date.isValid() || date.year() < 1900 || date.year() > 2155) throw ED(QStringLiteral("SetDbfDate: Неверное значение даты"));
    m_header[1] = char(date.year() - 1900);
    m_header[2] = char(date.month());
    m_header[3] = char(date.day());
    if (!m_file.seek(1) || m_file.write(m_header.mid(1, 3)) != 3) throw ED(QStringLiteral("SetDbfDate: Ошибка записи в заголовок файла"));
}

void TDBF::WriteRecord()
{
    const QString failure = QStringLiteral("WriteRecord: Ошибка сохранения записи");
    const QDate today = QDate::currentDate();
    const QDate stamped(1900 + quint8(m_header[1]), quint8(m_header[2]), quint8(m_header[3]));
    try {
        if (stamped != today) SetDbfDate(today);
    } catch (const ED&) {
        throw ED(failure);
    }
    const qint64 at = qint64(m_headerLength) + qint64(m_current - 1) * m_recordLength;
    if (!m_file.seek(at) || m_file.write(m_buffer) != m_buffer.size()) throw ED(failure);
    m_dirty = false;
}

void TDBF::First()
{
    requireOpen("First");
    if (m_count == 0) throw ED(QStringLiteral("First: В файле нет записей"));
    if (m_dirty) WriteRecord();
    m_current = 1;
    ReadRecord();
}

void TDBF::Next()
{
    requireOpen("Next");
    if (m_count == 0) throw ED(QStringLiteral("Next: В файле нет записей"));
    if (m_current >= m_count) return; // on the last record nothing happens, not even a write
    if (m_dirty) WriteRecord();
    ++m_current;
    ReadRecord();
}

void TDBF::Last()
{
    requireOpen("Last");
    if (m_count == 0) throw ED(QStringLiteral("Last: В файле нет записей"));
    if (m_dirty) WriteRecord();
    m_current = m_count;
    ReadRecord();
}

FieldInfo TDBF::fieldInfo(int number) const
{
    if (number < 1 || number > FieldCount()) throw ED(QStringLiteral("GetFieldData: Неверный номер поля: ") + numberText(number));
    return m_fields[size_t(number - 1)];
}

int TDBF::fieldOffset(int index) const { return m_offsets[size_t(index)]; }

QString TDBF::GetFieldData(int number) const
{
    if (number < 1 || number > FieldCount()) throw ED(QStringLiteral("GetFieldData: Неверный номер поля: ") + numberText(number));
    const FieldInfo& f = m_fields[size_t(number - 1)];
    const QByteArray raw = trimSpaces(m_buffer.mid(fieldOffset(number - 1), f.length));
    switch (f.type) {
    case 'C':
        if (codePageByte() == 0x26) return codepage::fromCp1251(codepage::convertOem(raw, false));
        return codepage::fromCp1251(raw);
    case 'D': {
        if (raw.isEmpty()) return {};
        const QString s = QString::fromLatin1(raw);
        return s.mid(6, 2) + u'.' + s.mid(4, 2) + u'.' + s.mid(2, 2);
    }
    case 'N':
    case 'F': {
        QString s = QString::fromLatin1(raw);
        const qsizetype dot = s.indexOf(u'.');
        if (dot >= 0) s[dot] = decimalSeparator();
        return s;
    }
    case 'L': {
        if (raw.isEmpty()) return {};
        const char c = raw[0];
        if (c == 'F' || c == 'N' || c == 'f' || c == 'n') return QStringLiteral("False");
        if (c == 'T' || c == 'Y' || c == 't' || c == 'y') return QStringLiteral("True");
        return QStringLiteral(" ");
    }
    default: return codepage::fromCp1251(raw);
    }
}

void TDBF::SetFieldData(int number, const QString& value)
{
    if (number < 1 || number > FieldCount()) throw ED(QStringLiteral("SetFieldData: Неверный номер поля: ") + numberText(number));
    const FieldInfo& f = m_fields[size_t(number - 1)];
    const QString place = QStringLiteral("Ряд: %1, Поле: %2").arg(m_current).arg(number);
    const QString sizeError = QStringLiteral("SetFieldData: Недопустимый размер данных\r") + place;
    const QString dataError = QStringLiteral("SetFieldData: Ошибка данных - ") + place;
    QString text = value;
    while (!text.isEmpty() && text.back().unicode() <= 0x20) text.chop(1);
    QByteArray bytes = codepage::toCp1251(text);
    if (bytes.size() > f.length && !(f.type == 'L' && bytes.size() <= 4)) throw ED(sizeError);
    if (!bytes.isEmpty()) {
        switch (f.type) {
        case 'D': {
            if (text.size() < 8) throw ED(dataError);
            bool okD = false, okM = false, okY = false;
            const int day = text.mid(0, 2).toInt(&okD);
            const int month = text.mid(3, 2).toInt(&okM);
            int year = text.mid(6, 2).toInt(&okY);
            year += year <= 50 ? 2000 : 1900;
            const QDate date(year, month, day);
            if (!okD || !okM || !okY || !date.isValid()) throw ED(dataError);
            bytes = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
            break;
        }
        case 'N':
        case 'F': {
            const QChar sep = decimalSeparator();
            QString t = text;
            if (t.contains(u'.') && sep == u',') t[t.indexOf(u'.')] = u',';
            QLocale loc;
            loc.setNumberOptions(QLocale::RejectGroupSeparator);
            bool ok = false;
            const double v = loc.toDouble(t.trimmed(), &ok);
            if (!ok) throw ED(dataError);
            // Stored with "." whatever the locale.
            bytes = QByteArray::number(v, 'f', f.decimals);
            break;
        }
        case 'L': {
            const QString up = text.toUpper();
            bytes = (up == QLatin1String("TRUE") || up == QLatin1String("YES"))   ? QByteArray("T")
                    : (up == QLatin1String("FALSE") || up == QLatin1String("NO")) ? QByteArray("F")
                                                                                  : QByteArray(" ");
            break;
        }
        default: break; // text is stored as it is, whatever the file's code page
        }
        if (bytes.size() > f.length) throw ED(sizeError);
    }
    const bool right = f.type == 'F' || f.type == 'M' || f.type == 'N';
    const QByteArray pad(f.length - bytes.size(), ' ');
    m_buffer.replace(fieldOffset(number - 1), f.length, right ? pad + bytes : bytes + pad);
    m_dirty = true;
}

void TDBF::Post()
{
    requireOpen("Post");
    if (m_count > 0) WriteRecord();
}

void TDBF::Append()
{
    requireOpen("Append");
    const QString failure = QStringLiteral("Append: Ошибка сохранения записи");
    ++m_count;
    const qint64 at = qint64(m_headerLength) + qint64(m_count - 1) * m_recordLength;
    QByteArray blank(m_recordLength, ' ');
    blank.append('\x1A');
    m_header[4] = char(m_count & 0xFF);
    m_header[5] = char((m_count >> 8) & 0xFF);
    m_header[6] = char((m_count >> 16) & 0xFF);
    m_header[7] = char((m_count >> 24) & 0xFF);
    try {
        if (!m_file.seek(at) || m_file.write(blank) != blank.size()) throw ED(failure);
        writeHeader32();
    } catch (const ED&) {
        throw ED(failure);
    }
    if (m_current == 0) {
        // An empty table has no record the buffer could belong to: nothing is written back.
        m_dirty = false;
        m_current = 1;
    }
    Last();
}

void TDBF::EmptyTable()
{
    requireOpen("EmptyTable");
    m_count = 0;
    m_header[4] = m_header[5] = m_header[6] = m_header[7] = 0;
    WriteHeader();
    if (!m_file.seek(m_headerLength) || m_file.write("\x1A", 1) != 1) throw ED(QStringLiteral("EmptyTable: Ошибка записи EOF"));
    RewriteTable();
    m_current = 0;
    m_dirty = false;
}

void TDBF::RewriteTable()
{
    // The copy is made beside the table and renamed over it: an interrupted rewrite leaves the
    // table as it was.
    const QString failure = QStringLiteral("RewriteTable: Ошибка при перезаписи файла");
    const QString temp = QFileInfo(m_name).absoluteDir().filePath(QStringLiteral("~~Kelp~~.tmp"));
    QFile::remove(temp);
    {
        QFile out(temp);
        if (!out.open(QIODevice::WriteOnly)) throw ED(failure);
        const qint64 length = qint64(m_headerLength) + qint64(m_count) * m_recordLength + 1;
        if (!m_file.seek(0)) throw ED(failure);
        for (qint64 done = 0; done < length;) {
            const QByteArray block = m_file.read(std::min<qint64>(65536, length - done));
            if (block.isEmpty() || out.write(block) != block.size()) {
                out.close();
                QFile::remove(temp);
                throw ED(failure);
            }
            done += block.size();
        }
        if (!out.flush()) throw ED(failure);
    }
    const bool exclusive = m_exclusive;
    Close();
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(m_name).constData()) != 0) {
        QFile::remove(temp);
        Open();
        throw ED(QStringLiteral("RewriteTable: Не удалось переименовать временный файл"));
    }
    m_exclusive = exclusive;
    Open();
}

void TDBF::setCodePage(int k)
{
    requireOpen("CodePage");
    const char byte = k == 0 ? '\x57' : k == 1 ? '\x26' : '\x00';
    m_header[29] = byte;
    if (!m_file.seek(29) || m_file.write(&byte, 1) != 1) throw ED(QStringLiteral("CodePage: Ошибка записи в заголовок файла"));
}

} // namespace aeris::dbf
