#include "u_fbclient.h"

#include "u_codepage.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTime>

#include <firebird/Interface.h>
#include <ibase.h>

#include <algorithm>
#include <cstring>

using namespace Firebird;

namespace aeris::db {
namespace {

constexpr unsigned kDialect = SQL_DIALECT_V6;
constexpr unsigned kCharsetOctets = 1;
constexpr unsigned kCharsetWin1251 = 52;

IMaster* master()
{
    static IMaster* m = fb_get_master_interface();
    return m;
}

IUtil* util() { return master()->getUtilInterface(); }

QString decodeServerText(const QByteArray& bytes)
{
    // The engine's own texts are ASCII; names and values inside them come in the connection's
    // character set, but a message may also arrive in UTF-8 from a server's own log texts.
    const QString utf8 = QString::fromUtf8(bytes);
    if (!utf8.contains(QChar(0xFFFD))) return utf8;
    return codepage::fromCp1251(bytes);
}

// One status object per call, checked after every interface call that can fail.
class Status {
public:
    Status() : m_raw(master()->getStatus()), m_wrapper(m_raw) {}
    ~Status() { m_raw->dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    CheckStatusWrapper* operator&() { return &m_wrapper; }
    bool failed() const { return (m_wrapper.getState() & IStatus::STATE_ERRORS) != 0; }
    void check(const QString& context = {})
    {
        if (!failed()) return;
        throw error(context);
    }
    DbError error(const QString& context = {})
    {
        char buf[8192];
        const unsigned len = util()->formatStatus(buf, sizeof buf - 1, &m_wrapper);
        QString text = decodeServerText(QByteArray(buf, int(std::min<unsigned>(len, sizeof buf - 1))));
        if (!context.isEmpty()) text = context + u'\n' + text;
        const ISC_STATUS* v = m_wrapper.getErrors();
        const long gds = (v && v[0] == isc_arg_gds) ? long(v[1]) : 0;
        const int sqlcode = v ? int(isc_sqlcode(v)) : 0;
        m_wrapper.init();
        return DbError(text.trimmed(), gds, sqlcode);
    }
    void reset() { m_wrapper.init(); }

private:
    IStatus* m_raw;
    CheckStatusWrapper m_wrapper;
};

// Message buffers must be aligned for the widest value they hold.
class MessageBuffer {
public:
    void resize(unsigned bytes) { m_data.assign((bytes + 7) / 8 + 1, 0); }
    unsigned char* data() { return reinterpret_cast<unsigned char*>(m_data.data()); }
    template <typename T> T& at(unsigned offset) { return *reinterpret_cast<T*>(data() + offset); }

private:
    std::vector<std::int64_t> m_data;
};

FieldType mapType(unsigned type, int subType, int scale, unsigned charset)
{
    switch (type & ~1u) {
    case SQL_SHORT:
    case SQL_LONG: return scale < 0 ? FieldType::Double : FieldType::Integer;
    case SQL_INT64: return scale < 0 ? FieldType::Double : FieldType::BigInt;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return FieldType::Double;
    case SQL_TEXT:
    case SQL_VARYING: return charset == kCharsetOctets ? FieldType::Blob : FieldType::Text;
    case SQL_TYPE_DATE: return FieldType::Date;
    case SQL_TYPE_TIME: return FieldType::Time;
    case SQL_TIMESTAMP: return FieldType::Timestamp;
    case SQL_BLOB: return subType == 1 ? FieldType::TextBlob : FieldType::Blob;
    case SQL_BOOLEAN: return FieldType::Boolean;
    default: return FieldType::Unknown;
    }
}

double scaled(std::int64_t v, int scale)
{
    double d = double(v);
    for (int i = 0; i < -scale; ++i) d /= 10.0;
    return d;
}

bool isIntegral(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar: return true;
    default: return false;
    }
}

bool isNullValue(const QVariant& v) { return !v.isValid() || v.isNull(); }

QByteArray readBlob(IAttachment* att, ITransaction* tra, ISC_QUAD* id)
{
    Status st;
    IBlob* blob = att->openBlob(&st, tra, id, 0, nullptr);
    st.check();
    QByteArray out;
    char buf[32768];
    for (;;) {
        unsigned got = 0;
        const int rc = blob->getSegment(&st, sizeof buf, buf, &got);
        if (rc == IStatus::RESULT_OK || rc == IStatus::RESULT_SEGMENT) {
            out.append(buf, int(got));
            continue;
        }
        if (rc == IStatus::RESULT_NO_DATA) break;
        DbError e = st.error();
        blob->release();
        throw e;
    }
    blob->close(&st);
    if (st.failed()) {
        DbError e = st.error();
        blob->release();
        throw e;
    }
    return out;
}

ISC_QUAD writeBlob(IAttachment* att, ITransaction* tra, const QByteArray& bytes)
{
    Status st;
    ISC_QUAD id{};
    IBlob* blob = att->createBlob(&st, tra, &id, 0, nullptr);
    st.check();
    for (qsizetype pos = 0; pos < bytes.size(); pos += 32768) {
        const qsizetype n = std::min<qsizetype>(32768, bytes.size() - pos);
        blob->putSegment(&st, unsigned(n), bytes.constData() + pos);
        if (st.failed()) {
            DbError e = st.error();
            blob->release();
            throw e;
        }
    }
    blob->close(&st);
    if (st.failed()) {
        DbError e = st.error();
        blob->release();
        throw e;
    }
    return id;
}

} // namespace

// ---------------------------------------------------------------------------------------------

QStringList standardConnectParams()
{
    return {QStringLiteral("user_name=sysdba"), QStringLiteral("password=quillwort"),
            QStringLiteral("lc_ctype=win1251")};
}

bool Connection::isLocalPath(const QString& name)
{
    // "host:path" or "inet://host/path" name a server; a single letter before ':' is a drive.
    static const QRegularExpression remote(QStringLiteral("^([A-Za-z0-9_.\\-]{2,}:|[a-z]+://)"));
    return !remote.match(name).hasMatch();
}

namespace {

IXpbBuilder* buildDpb(Status& st, const QStringList& params, bool local, int pageSize = 0, const QString& charset = {})
{
    IXpbBuilder* dpb = util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    st.check();
    for (const QString& line : params) {
        const qsizetype eq = line.indexOf(u'=');
        const QString key = line.left(eq).trimmed().toLower();
        const QByteArray value = codepage::toCp1251(eq < 0 ? QString() : line.mid(eq + 1).trimmed());
        unsigned char tag = 0;
        if (key == QLatin1String("user_name") || key == QLatin1String("user")) tag = isc_dpb_user_name;
        else if (key == QLatin1String("password")) tag = isc_dpb_password;
        else if (key == QLatin1String("lc_ctype")) tag = isc_dpb_lc_ctype;
        else if (key == QLatin1String("sql_role_name") || key == QLatin1String("role")) tag = isc_dpb_sql_role_name;
        else if (key.isEmpty()) continue;
        else {
            dpb->dispose();
            throw DbError(QStringLiteral("Невідомий параметр з'єднання: %1").arg(line));
        }
        dpb->insertString(&st, tag, value.constData());
        st.check();
    }
    if (local) {
        // A plain path is opened by the engine in this process, never handed to a server.
        dpb->insertString(&st, isc_dpb_config, "Providers=Engine12");
        st.check();
    }
    if (pageSize > 0) {
        dpb->insertInt(&st, isc_dpb_page_size, pageSize);
        st.check();
    }
    if (!charset.isEmpty()) {
        dpb->insertString(&st, isc_dpb_set_db_charset, charset.toLatin1().constData());
        st.check();
    }
    return dpb;
}

} // namespace

Connection::Connection() : m_params(standardConnectParams()) {}

Connection::~Connection()
{
    try {
        disconnect();
    } catch (...) {
        if (m_att) m_att->release();
        m_att = nullptr;
    }
    for (Transaction* t : m_transactions) t->releaseAfterDetach();
}

void Connection::connect()
{
    if (m_att) return;
    if (m_name.isEmpty()) throw DbError(QStringLiteral("Не вказано файл бази даних"));
    Status st;
    const bool local = isLocalPath(m_name);
    IXpbBuilder* dpb = buildDpb(st, m_params, local);
    const QByteArray path = local ? QFile::encodeName(m_name) : m_name.toUtf8();
    IProvider* prov = master()->getDispatcher();
    IAttachment* att = prov->attachDatabase(&st, path.constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
    dpb->dispose();
    prov->release();
    st.check();
    m_att = att;
}

void Connection::disconnect()
{
    if (!m_att) return;
    for (Transaction* t : m_transactions) {
        if (t->active()) {
            try {
                t->rollback();
            } catch (const DbError&) {
                t->releaseAfterDetach();
            }
        }
    }
    Status st;
    m_att->detach(&st);
    if (st.failed()) throw st.error(); // the attachment stays usable; detach may be retried
    m_att = nullptr;                   // a successful detach released the object
}

void Connection::createDatabase(const QString& path, int pageSize, const QString& charset, const QStringList& params)
{
    Status st;
    const bool local = isLocalPath(path);
    IXpbBuilder* dpb = buildDpb(st, params, local, pageSize, charset);
    const QByteArray p = local ? QFile::encodeName(path) : path.toUtf8();
    IProvider* prov = master()->getDispatcher();
    IAttachment* att = prov->createDatabase(&st, p.constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
    dpb->dispose();
    prov->release();
    st.check();
    att->detach(&st);
    if (st.failed()) {
        DbError e = st.error();
        att->release();
        throw e;
    }
}

void Connection::executeImmediate(const QString& sql)
{
    if (!m_att) throw DbError(QStringLiteral("База даних не підключена"));
    Transaction tra(*this);
    tra.start();
    Status st;
    const QByteArray text = codepage::toCp1251(sql);
    ITransaction* h = tra.handle();
    m_att->execute(&st, h, unsigned(text.size()), text.constData(), kDialect, nullptr, nullptr, nullptr, nullptr);
    st.check();
    tra.commit();
}

// ---------------------------------------------------------------------------------------------

Transaction::Transaction(Connection& connection, unsigned options) : m_conn(connection), m_options(options)
{
    m_conn.m_transactions.push_back(this);
}

Transaction::~Transaction()
{
    if (m_tra) {
        Status st;
        m_tra->rollback(&st);
        if (st.failed()) m_tra->release();
        m_tra = nullptr;
    }
    std::erase(m_conn.m_transactions, this);
}

void Transaction::releaseAfterDetach()
{
    if (m_tra) m_tra->release();
    m_tra = nullptr;
}

void Transaction::start()
{
    if (m_tra) throw DbError(QStringLiteral("Транзакція вже активна"));
    if (!m_conn.connected()) throw DbError(QStringLiteral("База даних не підключена"));
    Status st;
    IXpbBuilder* tpb = util()->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0);
    st.check();
    tpb->insertTag(&st, (m_options & TxReadOnly) ? isc_tpb_read : isc_tpb_write);
    if (m_options & TxReadCommitted) {
        tpb->insertTag(&st, isc_tpb_read_committed);
        tpb->insertTag(&st, (m_options & TxRecVersion) ? isc_tpb_rec_version : isc_tpb_no_rec_version);
    } else {
        tpb->insertTag(&st, isc_tpb_concurrency);
    }
    tpb->insertTag(&st, (m_options & TxNoWait) ? isc_tpb_nowait : isc_tpb_wait);
    if (st.failed()) {
        tpb->dispose();
        st.check();
    }
    ITransaction* tra = m_conn.handle()->startTransaction(&st, tpb->getBufferLength(&st), tpb->getBuffer(&st));
    tpb->dispose();
    st.check();
    m_tra = tra;
}

void Transaction::commit()
{
    if (!m_tra) throw DbError(QStringLiteral("Транзакція не активна"));
    Status st;
    m_tra->commit(&st);
    st.check();
    m_tra = nullptr; // released by the successful commit
}

void Transaction::commitRetaining()
{
    if (!m_tra) throw DbError(QStringLiteral("Транзакція не активна"));
    Status st;
    m_tra->commitRetaining(&st);
    st.check();
}

void Transaction::rollback()
{
    if (!m_tra) throw DbError(QStringLiteral("Транзакція не активна"));
    Status st;
    m_tra->rollback(&st);
    st.check();
    m_tra = nullptr;
}

void Transaction::rollbackRetaining()
{
    if (!m_tra) throw DbError(QStringLiteral("Транзакція не активна"));
    Status st;
    m_tra->rollbackRetaining(&st);
    st.check();
}

// ---------------------------------------------------------------------------------------------

ParsedSql parseNamedParams(const QString& sql)
{
    ParsedSql out;
    const QString head = sql.trimmed().left(16).toLower();
    // Procedure and trigger bodies use ":name" for their own variables.
    if (head.startsWith(QLatin1String("create")) || head.startsWith(QLatin1String("alter")) ||
        head.startsWith(QLatin1String("recreate")) || head.startsWith(QLatin1String("execute block"))) {
        out.sql = sql;
        return out;
    }
    out.sql.reserve(sql.size());
    const qsizetype n = sql.size();
    auto isNameStart = [](QChar c) { return c.isLetter() || c == u'_'; };
    auto isNameChar = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            const qsizetype start = i++;
            while (i < n) {
                if (sql[i] == c) {
                    if (i + 1 < n && sql[i + 1] == c) { i += 2; continue; }
                    break;
                }
                ++i;
            }
            out.sql += sql.mid(start, i - start + 1);
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            const qsizetype start = i;
            while (i < n && sql[i] != u'\n') ++i;
            out.sql += sql.mid(start, i - start + 1);
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            const qsizetype stop = end < 0 ? n : end + 2;
            out.sql += sql.mid(i, stop - i);
            i = stop - 1;
        } else if (c == u':' && i + 1 < n && isNameStart(sql[i + 1])) {
            qsizetype j = i + 1;
            while (j < n && isNameChar(sql[j])) ++j;
            out.placeholders << sql.mid(i + 1, j - i - 1);
            out.sql += u'?';
            i = j - 1;
        } else if (c == u'?') {
            out.placeholders << QString();
            out.sql += u'?';
        } else {
            out.sql += c;
        }
    }
    return out;
}

struct Statement::Impl {
    Transaction& tra;
    IStatement* stmt = nullptr;
    IMessageMetadata* inMeta = nullptr;
    IMessageMetadata* outMeta = nullptr;
    IResultSet* rs = nullptr;
    unsigned type = 0;
    std::vector<int> slotOfPlaceholder; // placeholder → distinct parameter
    std::vector<QVariant> values;       // per distinct parameter
    MessageBuffer out;

    explicit Impl(Transaction& t) : tra(t) {}

    IAttachment* att() const { return tra.connection().handle(); }

    void closeCursor()
    {
        if (!rs) return;
        Status st;
        rs->close(&st);
        if (st.failed()) rs->release();
        rs = nullptr;
    }

    // Builds the input message from the current values, each sent in the type of its value so
    // that the server converts it (and reports a value that does not fit in its own words).
    IMessageMetadata* buildInput(MessageBuffer& buf)
    {
        Status st;
        const unsigned count = inMeta ? inMeta->getCount(&st) : 0;
        if (count == 0) return nullptr;
        IMetadataBuilder* b = inMeta->getBuilder(&st);
        st.check();
        // Every value is sent in a type of its own choosing; lengths of fixed types are set
        // explicitly, as the builder keeps the declared length otherwise.
        std::vector<QByteArray> texts(count);
        for (unsigned i = 0; i < count; ++i) {
            const QVariant& v = values[size_t(slotOfPlaceholder[i])];
            const unsigned declared = inMeta->getType(&st, i) & ~1u;
            const unsigned declaredCs = inMeta->getCharSet(&st, i);
            if (isNullValue(v) || declared == SQL_BLOB) {
                b->setType(&st, i, declared | 1u);
            } else if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray) {
                texts[i] = v.typeId() == QMetaType::QString ? codepage::toCp1251(v.toString()) : v.toByteArray();
                b->setType(&st, i, SQL_VARYING | 1u);
                b->setLength(&st, i, unsigned(std::max<qsizetype>(1, texts[i].size())));
                const bool declaredText = declared == SQL_TEXT || declared == SQL_VARYING;
                b->setCharSet(&st, i, declaredText ? declaredCs : kCharsetWin1251);
            } else if (v.typeId() == QMetaType::Bool && declared == SQL_BOOLEAN) {
                b->setType(&st, i, SQL_BOOLEAN | 1u);
                b->setLength(&st, i, sizeof(FB_BOOLEAN));
            } else if (isIntegral(v) || v.typeId() == QMetaType::Bool) {
                b->setType(&st, i, SQL_INT64 | 1u);
                b->setLength(&st, i, sizeof(ISC_INT64));
                b->setScale(&st, i, 0);
            } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
                b->setType(&st, i, SQL_DOUBLE | 1u);
                b->setLength(&st, i, sizeof(double));
                b->setScale(&st, i, 0);
            } else if (v.typeId() == QMetaType::QDate) {
                b->setType(&st, i, SQL_TYPE_DATE | 1u);
                b->setLength(&st, i, sizeof(ISC_DATE));
            } else if (v.typeId() == QMetaType::QTime) {
                b->setType(&st, i, SQL_TYPE_TIME | 1u);
                b->setLength(&st, i, sizeof(ISC_TIME));
            } else if (v.typeId() == QMetaType::QDateTime) {
                b->setType(&st, i, SQL_TIMESTAMP | 1u);
                b->setLength(&st, i, sizeof(ISC_TIMESTAMP));
            } else {
                texts[i] = codepage::toCp1251(v.toString());
                b->setType(&st, i, SQL_VARYING | 1u);
                b->setLength(&st, i, unsigned(std::max<qsizetype>(1, texts[i].size())));
                b->setCharSet(&st, i, kCharsetWin1251);
            }
            if (st.failed()) {
                b->release();
                st.check();
            }
        }
        IMessageMetadata* meta = b->getMetadata(&st);
        b->release();
        st.check();

        buf.resize(meta->getMessageLength(&st));
        for (unsigned i = 0; i < count; ++i) {
            const QVariant& v = values[size_t(slotOfPlaceholder[i])];
            const unsigned off = meta->getOffset(&st, i);
            const unsigned type = meta->getType(&st, i) & ~1u;
            const bool null = isNullValue(v);
            buf.at<short>(meta->getNullOffset(&st, i)) = null ? -1 : 0;
            if (null) continue;
            switch (type) {
            case SQL_VARYING:
                buf.at<unsigned short>(off) = static_cast<unsigned short>(texts[i].size());
                std::memcpy(buf.data() + off + 2, texts[i].constData(), size_t(texts[i].size()));
                break;
            case SQL_INT64: buf.at<std::int64_t>(off) = v.toLongLong(); break;
            case SQL_DOUBLE: buf.at<double>(off) = v.toDouble(); break;
            case SQL_BOOLEAN: buf.at<FB_BOOLEAN>(off) = v.toBool() ? FB_TRUE : FB_FALSE; break;
            case SQL_TYPE_DATE: {
                const QDate d = v.toDate();
                buf.at<ISC_DATE>(off) = util()->encodeDate(unsigned(d.year()), unsigned(d.month()), unsigned(d.day()));
                break;
            }
            case SQL_TYPE_TIME: {
                const QTime t = v.toTime();
                buf.at<ISC_TIME>(off) = util()->encodeTime(unsigned(t.hour()), unsigned(t.minute()), unsigned(t.second()), unsigned(t.msec() * 10));
                break;
            }
            case SQL_TIMESTAMP: {
                const QDateTime dt = v.toDateTime();
                ISC_TIMESTAMP ts;
                ts.timestamp_date = util()->encodeDate(unsigned(dt.date().year()), unsigned(dt.date().month()), unsigned(dt.date().day()));
                ts.timestamp_time = util()->encodeTime(unsigned(dt.time().hour()), unsigned(dt.time().minute()), unsigned(dt.time().second()), unsigned(dt.time().msec() * 10));
                buf.at<ISC_TIMESTAMP>(off) = ts;
                break;
            }
            case SQL_BLOB: {
                const QByteArray bytes = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : codepage::toCp1251(v.toString());
                try {
                    buf.at<ISC_QUAD>(off) = writeBlob(att(), tra.handle(), bytes);
                } catch (...) {
                    meta->release();
                    throw;
                }
                break;
            }
            default: break;
            }
        }
        return meta;
    }

    QVariant readColumn(unsigned i)
    {
        Status st;
        const unsigned off = outMeta->getOffset(&st, i);
        if (out.at<short>(outMeta->getNullOffset(&st, i)) != 0) return {};
        const unsigned type = outMeta->getType(&st, i) & ~1u;
        const int scale = outMeta->getScale(&st, i);
        const unsigned cs = outMeta->getCharSet(&st, i);
        switch (type) {
        case SQL_TEXT: {
            QByteArray bytes(reinterpret_cast<const char*>(out.data() + off), int(outMeta->getLength(&st, i)));
            if (cs == kCharsetOctets) return bytes;
            while (!bytes.isEmpty() && bytes.back() == ' ') bytes.chop(1);
            return codepage::fromCp1251(bytes);
        }
        case SQL_VARYING: {
            const unsigned short len = out.at<unsigned short>(off);
            QByteArray bytes(reinterpret_cast<const char*>(out.data() + off + 2), len);
            if (cs == kCharsetOctets) return bytes;
            return codepage::fromCp1251(bytes);
        }
        case SQL_SHORT: {
            const short v = out.at<short>(off);
            return scale < 0 ? QVariant(scaled(v, scale)) : QVariant(int(v));
        }
        case SQL_LONG: {
            const ISC_LONG v = out.at<ISC_LONG>(off);
            return scale < 0 ? QVariant(scaled(v, scale)) : QVariant(int(v));
        }
        case SQL_INT64: {
            const ISC_INT64 v = out.at<ISC_INT64>(off);
            return scale < 0 ? QVariant(scaled(v, scale)) : QVariant(qlonglong(v));
        }
        case SQL_FLOAT: return double(out.at<float>(off));
        case SQL_DOUBLE:
        case SQL_D_FLOAT: return out.at<double>(off);
        case SQL_BOOLEAN: return bool(out.at<FB_BOOLEAN>(off));
        case SQL_TYPE_DATE: {
            unsigned y, m, d;
            util()->decodeDate(out.at<ISC_DATE>(off), &y, &m, &d);
            return QDate(int(y), int(m), int(d));
        }
        case SQL_TYPE_TIME: {
            unsigned h, mi, s, f;
            util()->decodeTime(out.at<ISC_TIME>(off), &h, &mi, &s, &f);
            return QTime(int(h), int(mi), int(s), int(f / 10));
        }
        case SQL_TIMESTAMP: {
            const ISC_TIMESTAMP ts = out.at<ISC_TIMESTAMP>(off);
            unsigned y, m, d, h, mi, s, f;
            util()->decodeDate(ts.timestamp_date, &y, &m, &d);
            util()->decodeTime(ts.timestamp_time, &h, &mi, &s, &f);
            return QDateTime(QDate(int(y), int(m), int(d)), QTime(int(h), int(mi), int(s), int(f / 10)));
        }
        case SQL_BLOB: {
            ISC_QUAD id = out.at<ISC_QUAD>(off);
            const QByteArray bytes = readBlob(att(), tra.handle(), &id);
            if (outMeta->getSubType(&st, i) == 1) return codepage::fromCp1251(bytes);
            return bytes;
        }
        default: return {};
        }
    }
};

Statement::Statement(Transaction& transaction, const QString& sql) : d(std::make_unique<Impl>(transaction)), m_sql(sql)
{
    if (!transaction.connection().connected()) throw DbError(QStringLiteral("База даних не підключена"));
    transaction.ensureActive();
    const ParsedSql parsed = parseNamedParams(sql);
    for (const QString& name : parsed.placeholders) {
        int slot = -1;
        if (!name.isEmpty()) {
            for (int k = 0; k < m_paramNames.size(); ++k)
                if (m_paramNames[k].compare(name, Qt::CaseInsensitive) == 0) { slot = k; break; }
        }
        if (slot < 0) {
            m_paramNames << name;
            slot = int(m_paramNames.size()) - 1;
        }
        d->slotOfPlaceholder.push_back(slot);
    }
    d->values.assign(size_t(m_paramNames.size()), QVariant());

    Status st;
    const QByteArray text = codepage::toCp1251(parsed.sql);
    d->stmt = d->att()->prepare(&st, transaction.handle(), unsigned(text.size()), text.constData(), kDialect,
                                IStatement::PREPARE_PREFETCH_METADATA);
    st.check();
    d->type = d->stmt->getType(&st);
    d->inMeta = d->stmt->getInputMetadata(&st);
    d->outMeta = d->stmt->getOutputMetadata(&st);
    st.check();
    const unsigned count = d->outMeta ? d->outMeta->getCount(&st) : 0;
    for (unsigned i = 0; i < count; ++i) {
        Column c;
        c.name = QString::fromLatin1(d->outMeta->getAlias(&st, i));
        c.field = QString::fromLatin1(d->outMeta->getField(&st, i));
        c.relation = QString::fromLatin1(d->outMeta->getRelation(&st, i));
        if (c.name.isEmpty()) c.name = c.field;
        c.scale = d->outMeta->getScale(&st, i);
        const unsigned type = d->outMeta->getType(&st, i);
        const unsigned cs = d->outMeta->getCharSet(&st, i);
        c.type = mapType(type, d->outMeta->getSubType(&st, i), c.scale, cs);
        c.size = int(d->outMeta->getLength(&st, i));
        c.nullable = d->outMeta->isNullable(&st, i);
        m_columns.push_back(c);
    }
    st.check();
    d->out.resize(count ? d->outMeta->getMessageLength(&st) : 0);
    m_row.assign(count, QVariant());
}

Statement::~Statement()
{
    d->closeCursor();
    Status st;
    if (d->inMeta) d->inMeta->release();
    if (d->outMeta) d->outMeta->release();
    if (d->stmt) {
        d->stmt->free(&st);
        if (st.failed()) d->stmt->release();
    }
}

bool Statement::hasParam(const QString& name) const
{
    return std::any_of(m_paramNames.begin(), m_paramNames.end(),
                       [&](const QString& n) { return n.compare(name, Qt::CaseInsensitive) == 0; });
}

void Statement::setParam(const QString& name, const QVariant& value)
{
    for (int k = 0; k < m_paramNames.size(); ++k) {
        if (m_paramNames[k].compare(name, Qt::CaseInsensitive) == 0) {
            d->values[size_t(k)] = value;
            return;
        }
    }
    throw DbError(QStringLiteral("Параметр %1 не знайдено у запиті").arg(name));
}

void Statement::setParam(int index, const QVariant& value)
{
    if (index < 0 || index >= int(d->values.size()))
        throw DbError(QStringLiteral("Параметр номер %1 не знайдено у запиті").arg(index));
    d->values[size_t(index)] = value;
}

void Statement::clearParams() { std::fill(d->values.begin(), d->values.end(), QVariant()); }

bool Statement::isSelect() const
{
    return d->type == isc_info_sql_stmt_select || d->type == isc_info_sql_stmt_select_for_upd;
}

void Statement::execute()
{
    if (isSelect()) {
        open();
        fetch();
        closeCursor();
        return;
    }
    d->tra.ensureActive();
    MessageBuffer in;
    IMessageMetadata* meta = d->buildInput(in);
    Status st;
    const bool hasOut = !m_columns.empty();
    d->stmt->execute(&st, d->tra.handle(), meta, meta ? in.data() : nullptr, hasOut ? d->outMeta : nullptr,
                     hasOut ? d->out.data() : nullptr);
    if (meta) meta->release();
    st.check();
    if (hasOut)
        for (unsigned i = 0; i < m_columns.size(); ++i) m_row[i] = d->readColumn(i);
}

void Statement::open()
{
    d->closeCursor();
    d->tra.ensureActive();
    MessageBuffer in;
    IMessageMetadata* meta = d->buildInput(in);
    Status st;
    IResultSet* rs = d->stmt->openCursor(&st, d->tra.handle(), meta, meta ? in.data() : nullptr, d->outMeta, 0);
    if (meta) meta->release();
    st.check();
    d->rs = rs;
}

bool Statement::fetch()
{
    if (!d->rs) throw DbError(QStringLiteral("Курсор не відкрито"));
    Status st;
    const int rc = d->rs->fetchNext(&st, d->out.data());
    st.check();
    if (rc != IStatus::RESULT_OK) {
        std::fill(m_row.begin(), m_row.end(), QVariant());
        return false;
    }
    for (unsigned i = 0; i < m_columns.size(); ++i) m_row[i] = d->readColumn(i);
    return true;
}

void Statement::closeCursor() { d->closeCursor(); }

int Statement::columnIndex(const QString& name) const
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

QVariant Statement::value(const QString& column) const
{
    const int i = columnIndex(column);
    if (i < 0) throw DbError(QStringLiteral("Поле %1 не знайдено").arg(column));
    return m_row[size_t(i)];
}

QVariant Statement::scalar()
{
    open();
    const bool got = fetch();
    QVariant v = got && !m_row.empty() ? m_row.front() : QVariant();
    closeCursor();
    return v;
}

void shutdownClient()
{
    fb_shutdown(0, fb_shutrsn_app_stopped);
}

} // namespace aeris::db
