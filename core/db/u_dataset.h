#pragma once
// A dataset with cached updates over a Firebird query.
//
// open() fetches every row of the query into memory. Edits, inserts and deletes change only
// that cache; each row keeps its saved values and an update status until applyUpdates()
// writes the changes (deletions first, then changes, then insertions) through the update
// definition of the table or a custom apply step, inside a savepoint: a failed apply undoes
// what it had written, leaves the cache as it was and raises the server's error.
// cancelUpdates() returns every row to its saved state and place.
//
// A detail dataset (setMaster) takes its named parameters from the master's current row and is
// closed and opened again whenever the master comes to rest on a row with other values; a
// detail that closed because its master closed opens again when the master does.
//
// Event handlers may throw Abort to cancel an operation silently.

#include "u_field.h"
#include "u_fbclient.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace aeris::db {

enum class DatasetState { Inactive, Browse, Edit, Insert };
enum class UpdateStatus { Unchanged, Modified, Inserted, Deleted };

struct LocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false; // text values match when the field's text starts with them
};

// What a custom apply step receives for one row.
struct RowChange {
    UpdateStatus kind;                      // Modified, Inserted or Deleted
    const Dataset* dataset;
    const std::vector<QVariant>* oldValues; // saved values (empty for an insert)
    const std::vector<QVariant>* newValues; // current values (the saved ones for a delete)
    QVariant oldValue(const QString& field) const;
    QVariant newValue(const QString& field) const;
};
using ApplyStep = std::function<void(Transaction&, const RowChange&)>;

class Dataset : public QObject {
    Q_OBJECT
public:
    explicit Dataset(QObject* parent = nullptr);
    ~Dataset() override;

    // ---- definition
    void setTransaction(Transaction* t) { m_tra = t; }
    Transaction* transaction() const { return m_tra; }
    void setSql(const QString& sql) { m_sql = sql; }
    const QString& sql() const { return m_sql; }
    void setName(const QString& name) { m_name = name; }
    const QString& name() const { return m_name; }
    // A number the owner gives the dataset (documents: 1 fills a table).
    int tag() const { return m_tag; }
    void setTag(int t) { m_tag = t; }
    // Parameters not taken from a master.
    void setParam(const QString& name, const QVariant& value);
    QVariant param(const QString& name) const;
    void setMaster(Dataset* master);
    Dataset* master() const { return m_master; }
    // Writes through INSERT/UPDATE/DELETE statements of `table`, rows found by `keyFields`
    // ("SITE_ID;EMISSRC_ID").
    void setUpdateTable(const QString& table, const QString& keyFields);
    const QString& updateTable() const { return m_updTable; }
    const QStringList& updateKeys() const { return m_updKeys; }
    // Replaces the statements by a step of one's own per changed row.
    void setApplyStep(ApplyStep step) { m_applyStep = std::move(step); }
    bool cachedUpdates() const { return true; }

    // ---- fields: data fields come from the query on the first open; a field may be declared
    // before (to attach labels and handlers), calculated fields are always declared.
    Field& declareField(const QString& name);
    Field& addCalculatedField(const QString& name, FieldType type, int size = 0);
    int fieldCount() const { return int(m_fields.size()); }
    Field& field(int index) const { return *m_fields.at(size_t(index)); }
    Field* findField(const QString& name) const;
    Field& field(const QString& name) const; // throws "Field 'X' not found"
    Field& operator[](const QString& name) const { return field(name); }
    QStringList fieldNames() const;

    // ---- opening
    void open();
    void close();
    void reopen();
    bool active() const { return m_state != DatasetState::Inactive; }
    DatasetState state() const { return m_state; }
    bool editing() const { return m_state == DatasetState::Edit || m_state == DatasetState::Insert; }

    // ---- navigation (record numbers are 1-based; 0 when the dataset is empty)
    int recordCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    int recNo() const { return m_rows.empty() ? 0 : m_cur + 1; }
    void setRecNo(int recNo);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    void first();
    void last();
    void next();
    void prior();

    // ---- editing
    void edit();
    void insert();   // a new row before the current one
    void append();   // a new row at the end
    void post();
    void cancel();
    void remove();   // deletes the current row
    bool modified() const { return m_modified; } // the edit buffer changed since edit/insert
    void checkBrowseMode(); // posts a pending edit (cancels an untouched new row)

    // ---- cached updates
    UpdateStatus updateStatus() const;
    bool updatesPending() const;
    // Writes the pending changes. With markApplied false the cache keeps them as pending until
    // commitUpdates(), so that a failed commit afterwards loses nothing.
    void applyUpdates(bool markApplied = true);
    // Takes the written changes as saved: rows keep their values as the saved ones.
    void commitUpdates();
    void cancelUpdates();
    // Re-reads the current row from its table by its key (the update definition's refresh).
    void refreshRow();

    // ---- search: moves to the first row whose key fields equal the values.
    bool locate(const QString& keyFields, const QVariantList& values, LocateOptions opts = {});
    bool locate(const QString& keyField, const QVariant& value, LocateOptions opts = {})
    {
        return locate(keyField, QVariantList{value}, opts);
    }

    // ---- rows other than the current one (for grids)
    QVariant valueAt(int row, int fieldIndex) const;
    QString displayTextAt(int row, int fieldIndex) const;
    UpdateStatus updateStatusAt(int row) const;

    // ---- events
    std::function<void(Dataset&)> beforeOpen, afterOpen, beforeClose, afterClose;
    std::function<void(Dataset&)> beforeInsert, afterInsert, beforeEdit, afterEdit;
    std::function<void(Dataset&)> beforePost, afterPost, beforeCancel, afterCancel;
    std::function<void(Dataset&)> beforeDelete, afterDelete, beforeScroll, afterScroll;
    std::function<void(Dataset&)> onCalcFields; // sets the calculated fields of the row

signals:
    void aboutToReset();
    void reset();
    void aboutToInsertRow(int row);
    void rowInserted(int row);
    void aboutToRemoveRow(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    void currentRowChanged(int row);
    void stateChanged();

private:
    friend class Field;
    struct Row;
    using RowPtr = std::shared_ptr<Row>;

    const std::vector<QVariant>& currentValues() const;
    std::vector<QVariant>& writableValues(const Field& f);
    void fieldChanged(Field& f);
    void computeCalcFields(std::vector<QVariant>& values);
    void bindFields(const Statement& st);
    QVariant masterValue(const QString& name) const;
    std::vector<QVariant> currentParamValues(const Statement& st) const;
    void masterMoved();
    void openBelowMaster();
    bool belowNewRow() const; // a row being entered here or above: nothing below it is saved
    void notifyDetails();
    void moveTo(int index);
    void setState(DatasetState s);
    void startInsert(int position);
    void requireActive(const char* op) const;
    std::vector<int> keyIndexes(const QString& keyFields) const;
    void applyRow(Transaction& tra, const Row& row, UpdateStatus kind, std::vector<std::unique_ptr<Statement>>& cache);

    QString m_name;
    int m_tag = 0;
    QString m_sql;
    Transaction* m_tra = nullptr;
    QStringList m_paramNames;
    QVariantList m_paramValues;
    Dataset* m_master = nullptr;
    std::vector<Dataset*> m_details;
    bool m_closedByMaster = false; // closed because its master closed: reopens with it
    bool m_forNewMaster = false;   // opening for a master row being entered: no rows, no saving
    bool m_openedForNewMaster = false;
    std::vector<QVariant> m_openedWith; // parameter values the rows were fetched with
    QStringList m_openedParamNames;
    QString m_updTable;
    QStringList m_updKeys;
    ApplyStep m_applyStep;

    std::vector<std::unique_ptr<Field>> m_fields;
    std::vector<RowPtr> m_rows;
    struct DeletedRow {
        RowPtr row;
        RowPtr prev; // the row before it when it was deleted (null at the top)
    };
    std::vector<DeletedRow> m_deleted;
    int m_cur = 0;
    bool m_eof = true;
    bool m_bof = true;
    DatasetState m_state = DatasetState::Inactive;
    std::vector<QVariant> m_buf; // edit buffer
    bool m_modified = false;
    const std::vector<QVariant>* m_context = nullptr; // row whose values fields read (grids, calc)
    std::vector<QVariant>* m_calcTarget = nullptr;
};

// Applies the pending changes of several datasets in one transaction and commits (or commits
// retaining); on any failure the transaction is rolled back (retaining when asked), every cache
// stays as it was and the error is raised.
void applyAndCommit(Transaction& tra, const std::vector<Dataset*>& datasets, bool retaining);

} // namespace aeris::db
