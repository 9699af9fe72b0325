#pragma once
// dBASE table files (".DBF") read and written record by record. A file is never defined here:
// writers start from an empty template of the right layout. Fields are addressed by their
// 1-based position and every value passes as text in the user's locale: dates as dd.mm.yy,
// numbers with the locale's decimal separator, logical values as "True"/"False". Failures are
// ED exceptions whose (Russian) messages begin with the operation's name.

#include "u_error.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QString>
#include <vector>

namespace aeris::dbf {

class ED : public Error {
public:
    using Error::Error;
};

struct FieldInfo {
    QByteArray name; // as stored, without the zero padding
    char type;
    int length;
    int decimals;
};

class TDBF {
public:
    static constexpr int kBufferSize = 4000;

    TDBF() = default;
    ~TDBF();
    TDBF(const TDBF&) = delete;
    TDBF& operator=(const TDBF&) = delete;

    const QString& TableName() const { return m_name; }
    void setTableName(const QString& name);
    bool Exclusive() const { return m_exclusive; }
    void setExclusive(bool exclusive);

    void Open();
    void Close();
    void Reopen();
    bool active() const { return m_file.isOpen(); }

    void First();
    void Next();
    void Last();
    int RecordCount() const { return int(m_count); }
    int RecNo() const { return int(m_current); }
    int FieldCount() const { return int(m_fields.size()); }
    FieldInfo fieldInfo(int number) const; // 1-based
    unsigned char codePageByte() const { return m_header.size() > 29 ? static_cast<unsigned char>(m_header[29]) : 0; }

    QString GetFieldData(int number) const;
    void SetFieldData(int number, const QString& text);
    void Post();
    void Append();
    void EmptyTable();
    // 0 Windows (0x57), 1 DOS (0x26), 2 none (0x00); written into the header at once.
    void setCodePage(int k);
    void SetDbfDate(const QDate& date);

private:
    void ReadHeader();
    void ReadRecord();
    void WriteHeader();
    void WriteRecord();
    void RewriteTable();
    void writeHeader32();
    void requireOpen(const char* op) const;
    int fieldOffset(int index) const;

    QString m_name;
    bool m_exclusive = false;
    QFile m_file;
    int m_lockFd = -1;
    QByteArray m_header;                 // the 32-byte header image
    std::vector<QByteArray> m_descriptors; // 32 bytes each
    std::vector<FieldInfo> m_fields;
    std::vector<int> m_offsets;          // first byte of each field in the record
    quint32 m_count = 0;
    quint32 m_current = 0;
    quint16 m_headerLength = 0;
    quint16 m_recordLength = 0;
    QByteArray m_buffer;
    bool m_dirty = false;
};

} // namespace aeris::dbf
