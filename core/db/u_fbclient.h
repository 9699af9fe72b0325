#pragma once
// A small RAII layer over the Firebird 3 client interfaces: connections, transactions and
// prepared statements with named parameters. Texts cross this boundary in code page 1251 and
// are Qt strings everywhere above it. Every failure is a DbError carrying the server's whole
// message text.
//
// Values are QVariants: int (32-bit integer columns), qlonglong (64-bit), double (floating and
// scaled numeric columns), QString (character columns and text blobs), QDate, QTime, QDateTime,
// QByteArray (binary blobs), bool; an invalid QVariant is a null.

#include "u_error.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace Firebird {
class IAttachment;
class ITransaction;
class IStatement;
class IResultSet;
class IMessageMetadata;
} // namespace Firebird

namespace aeris::db {

class DbError : public Error {
public:
    DbError(QString message, long gdsCode = 0, int sqlCode = 0)
        : Error(std::move(message)), m_gdsCode(gdsCode), m_sqlCode(sqlCode) {}
    long gdsCode() const { return m_gdsCode; }
    int sqlCode() const { return m_sqlCode; }

private:
    long m_gdsCode;
    int m_sqlCode;
};

// The three parameters every database of the program is attached with.
QStringList standardConnectParams();

class Transaction;

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The database file, or "host:path" for a server. A path without a host is opened
    // in-process (embedded).
    void setDatabaseName(const QString& name) { m_name = name; }
    const QString& databaseName() const { return m_name; }
    // Connection parameters as "name=value" lines (user_name, password, lc_ctype, role).
    QStringList& params() { return m_params; }
    void setParams(const QStringList& p) { m_params = p; }

    void connect();
    // Rolls back the transactions still active on this connection, then detaches.
    void disconnect();
    bool connected() const { return m_att != nullptr; }

    // Creates a new database file (for build tools): page size and default character set.
    static void createDatabase(const QString& path, int pageSize, const QString& charset,
                               const QStringList& params);

    // Executes one statement in its own transaction (build tools run DDL this way).
    void executeImmediate(const QString& sql);

    Firebird::IAttachment* handle() const { return m_att; }
    static bool isLocalPath(const QString& name);

private:
    friend class Transaction;
    QString m_name;
    QStringList m_params;
    Firebird::IAttachment* m_att = nullptr;
    std::vector<Transaction*> m_transactions;
};

enum TransactionOption : unsigned {
    TxReadCommitted = 1, // "read_committed"
    TxRecVersion = 2,    // "rec_version"
    TxNoWait = 4,        // "nowait"
    TxReadOnly = 8,
};

class Transaction {
public:
    explicit Transaction(Connection& connection, unsigned options = 0);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void setOptions(unsigned options) { m_options = options; }
    void start();
    void commit();
    void commitRetaining();
    void rollback();
    void rollbackRetaining();
    bool active() const { return m_tra != nullptr; }
    // Starts the transaction when it is not active.
    void ensureActive() { if (!active()) start(); }

    Connection& connection() const { return m_conn; }
    Firebird::ITransaction* handle() const { return m_tra; }

private:
    friend class Connection;
    void releaseAfterDetach();
    Connection& m_conn;
    unsigned m_options;
    Firebird::ITransaction* m_tra = nullptr;
};

enum class FieldType { Unknown, Integer, BigInt, Double, Text, Date, Time, Timestamp, TextBlob, Blob, Boolean };

struct Column {
    QString name;     // alias as the statement names it
    QString field;    // underlying column, where there is one
    QString relation; // underlying table, where there is one
    FieldType type = FieldType::Unknown;
    int size = 0;     // characters for text, bytes otherwise
    int scale = 0;
    bool nullable = true;
};

// A prepared statement. Parameters are named in the SQL as ":name" (also "?" for positional
// ones); one name may occur several times and takes one value.
class Statement {
public:
    Statement(Transaction& transaction, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    const QString& sql() const { return m_sql; }
    const QStringList& paramNames() const { return m_paramNames; } // distinct, in order of first use
    bool hasParam(const QString& name) const;
    void setParam(const QString& name, const QVariant& value);
    void setParam(int index, const QVariant& value); // by position among the distinct names
    void clearParams();

    bool isSelect() const;
    // Runs a statement that returns no rows (or one row for EXECUTE PROCEDURE, into row()).
    void execute();
    // Opens the cursor of a select; fetch() then moves to each row in turn.
    void open();
    bool fetch();
    void closeCursor();

    const std::vector<Column>& columns() const { return m_columns; }
    int columnIndex(const QString& name) const; // -1 when absent
    const std::vector<QVariant>& row() const { return m_row; }
    QVariant value(int column) const { return m_row.at(size_t(column)); }
    QVariant value(const QString& column) const;

    // Convenience: execute a select and return the first column of its first row.
    QVariant scalar();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    QString m_sql;
    QStringList m_paramNames;
    std::vector<Column> m_columns;
    std::vector<QVariant> m_row;
};

// Splits SQL text into the text with "?" placeholders and the parameter name of each
// placeholder in order ("" for a written "?"). Literals, quoted names and comments are kept.
struct ParsedSql {
    QString sql;
    QStringList placeholders;
};
ParsedSql parseNamedParams(const QString& sql);

// Ends the in-process engine cleanly; called once when the program or a tool finishes.
void shutdownClient();

} // namespace aeris::db
