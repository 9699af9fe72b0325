#include "u_dataset.h"

#include <QHash>
#include <QScopeGuard>
#include <algorithm>

namespace aeris::db {

struct Dataset::Row {
    std::vector<QVariant> cur; // values as the user sees them (data and calculated fields)
    std::vector<QVariant> old; // values as last fetched or applied
    UpdateStatus status = UpdateStatus::Unchanged;
    bool fresh = false;        // inserted and not posted yet
    bool neverSaved = false;   // deleted after an insert that never reached the database
};

namespace {

bool isNullValue(const QVariant& v) { return !v.isValid() || v.isNull(); }

bool sameValues(const std::vector<QVariant>& a, const std::vector<QVariant>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const bool na = isNullValue(a[i]), nb = isNullValue(b[i]);
        if (na != nb) return false;
        if (!na && a[i] != b[i]) return false;
    }
    return true;
}

bool matches(const QVariant& cell, const QVariant& want, const Field& f, const LocateOptions& o)
{
    const bool nc = isNullValue(cell), nw = isNullValue(want);
    if (nc || nw) return nc && nw;
    const auto cs = o.caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (f.type() == FieldType::Text || f.type() == FieldType::TextBlob) {
        const QString a = cell.toString(), b = want.toString();
        return o.partialKey ? a.startsWith(b, cs) : a.compare(b, cs) == 0;
    }
    if (o.partialKey && f.isNumeric()) {
        // A leading part of a number is a leading part of its digits.
        return cell.toString().startsWith(want.toString().trimmed(), cs);
    }
    if (f.type() == FieldType::Integer || f.type() == FieldType::BigInt) {
        bool ok = false;
        const qlonglong w = want.toLongLong(&ok);
        return ok && cell.toLongLong() == w;
    }
    if (f.type() == FieldType::Double) {
        bool ok = false;
        const double w = want.toDouble(&ok);
        return ok && cell.toDouble() == w;
    }
    return cell == want;
}

// Restores a pointer member when a scope ends, also when it ends by an exception.
template <typename T> struct Restore {
    T& ref;
    T saved;
    explicit Restore(T& r) : ref(r), saved(r) {}
    ~Restore() { ref = saved; }
};

QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

} // namespace

QVariant RowChange::oldValue(const QString& name) const
{
    const Field* f = dataset->findField(name);
    if (!f || !oldValues || size_t(f->index()) >= oldValues->size()) return {};
    return (*oldValues)[size_t(f->index())];
}

QVariant RowChange::newValue(const QString& name) const
{
    const Field* f = dataset->findField(name);
    if (!f || !newValues || size_t(f->index()) >= newValues->size()) return {};
    return (*newValues)[size_t(f->index())];
}

Dataset::Dataset(QObject* parent) : QObject(parent) {}

Dataset::~Dataset()
{
    if (m_master) std::erase(m_master->m_details, this);
    for (Dataset* d : m_details) d->m_master = nullptr;
}

// ---- definition ------------------------------------------------------------------------------

void Dataset::setParam(const QString& name, const QVariant& value)
{
    for (int i = 0; i < m_paramNames.size(); ++i) {
        if (m_paramNames[i].compare(name, Qt::CaseInsensitive) == 0) {
            m_paramValues[i] = value;
            return;
        }
    }
    m_paramNames << name;
    m_paramValues << value;
}

QVariant Dataset::param(const QString& name) const
{
    for (int i = 0; i < m_paramNames.size(); ++i)
        if (m_paramNames[i].compare(name, Qt::CaseInsensitive) == 0) return m_paramValues[i];
    return {};
}

void Dataset::setMaster(Dataset* master)
{
    if (m_master) std::erase(m_master->m_details, this);
    m_master = master;
    if (m_master) m_master->m_details.push_back(this);
}

void Dataset::setUpdateTable(const QString& table, const QString& keyFields)
{
    m_updTable = table;
    m_updKeys = keyFields.split(u';', Qt::SkipEmptyParts);
    for (QString& k : m_updKeys) k = k.trimmed();
}

Field& Dataset::declareField(const QString& name)
{
    if (Field* f = findField(name)) return *f;
    m_fields.push_back(std::make_unique<Field>(*this, name, FieldType::Unknown, 0, false));
    m_fields.back()->m_slot = int(m_fields.size()) - 1;
    return *m_fields.back();
}

Field& Dataset::addCalculatedField(const QString& name, FieldType type, int size)
{
    if (active()) throw DatasetError(QStringLiteral("%1: Cannot add a field to an open dataset").arg(m_name));
    if (findField(name)) throw DatasetError(QStringLiteral("Duplicate field name '%1'").arg(name));
    m_fields.push_back(std::make_unique<Field>(*this, name, type, size, true));
    m_fields.back()->m_slot = int(m_fields.size()) - 1;
    return *m_fields.back();
}

Field* Dataset::findField(const QString& name) const
{
    for (const auto& f : m_fields)
        if (f->name().compare(name, Qt::CaseInsensitive) == 0) return f.get();
    return nullptr;
}

Field& Dataset::field(const QString& name) const
{
    Field* f = findField(name);
    if (!f) throw DatasetError(QStringLiteral("%1: Field '%2' not found").arg(m_name, name));
    return *f;
}

QStringList Dataset::fieldNames() const
{
    QStringList out;
    for (const auto& f : m_fields) out << f->name();
    return out;
}

// ---- opening ---------------------------------------------------------------------------------

void Dataset::bindFields(const Statement& st)
{
    std::vector<std::unique_ptr<Field>> bound;
    for (const Column& c : st.columns()) {
        auto it = std::find_if(m_fields.begin(), m_fields.end(), [&](const std::unique_ptr<Field>& f) {
            return f && !f->isCalculated() && f->name().compare(c.name, Qt::CaseInsensitive) == 0;
        });
        std::unique_ptr<Field> f;
        if (it != m_fields.end()) f = std::move(*it);
        else f = std::make_unique<Field>(*this, c.name, c.type, c.size, false);
        f->m_name = c.name;
        f->m_type = c.type;
        f->m_size = c.size;
        f->m_required = !c.nullable;
        f->m_origin = c.relation;
        bound.push_back(std::move(f));
    }
    for (auto& f : m_fields) {
        if (!f) continue;
        if (!f->isCalculated())
            throw DatasetError(QStringLiteral("%1: Field '%2' not found").arg(m_name, f->name()));
        bound.push_back(std::move(f));
    }
    m_fields = std::move(bound);
    for (size_t i = 0; i < m_fields.size(); ++i) m_fields[i]->m_slot = int(i);
}

QVariant Dataset::masterValue(const QString& name) const
{
    if (m_master) {
        if (const Field* f = m_master->findField(name)) {
            if (!m_master->active() || (m_master->isEmpty() && !m_master->editing())) return {};
            return f->value();
        }
    }
    return param(name);
}

void Dataset::open()
{
    if (active()) return;
    if (!m_tra) throw DatasetError(QStringLiteral("%1: Database not assigned").arg(m_name));
    if (beforeOpen && !m_forNewMaster) beforeOpen(*this);
    m_closedByMaster = false;
    m_tra->ensureActive();
    Statement st(*m_tra, m_sql);
    std::vector<QVariant> used;
    for (int i = 0; i < st.paramNames().size(); ++i) {
        used.push_back(masterValue(st.paramNames()[i]));
        st.setParam(i, used.back());
    }
    st.open();
    bindFields(st);

    // Rows are fetched aside first: a failure half-way leaves the dataset closed, not half-filled.
    std::vector<RowPtr> fetched;
    const size_t columns = st.columns().size();
    const bool hasCalc = m_fields.size() > columns;
    while (!m_forNewMaster && st.fetch()) {
        auto row = std::make_shared<Row>();
        row->cur.resize(m_fields.size());
        std::copy(st.row().begin(), st.row().end(), row->cur.begin());
        row->old = row->cur;
        fetched.push_back(std::move(row));
    }
    st.closeCursor();
    emit aboutToReset();
    m_rows = std::move(fetched);
    m_deleted.clear();
    if (hasCalc) {
        for (RowPtr& row : m_rows) {
            computeCalcFields(row->cur);
            row->old = row->cur;
        }
    }
    m_openedWith = std::move(used);
    m_openedForNewMaster = m_forNewMaster;
    m_openedParamNames = st.paramNames();
    m_cur = 0;
    m_bof = true;
    m_eof = m_rows.empty();
    m_modified = false;
    m_state = DatasetState::Browse;
    emit reset();
    emit stateChanged();
    emit currentRowChanged(m_rows.empty() ? -1 : 0);
    if (afterOpen) afterOpen(*this);
    if (afterScroll) afterScroll(*this);
    notifyDetails();
}

void Dataset::close()
{
    if (!active()) return;
    if (beforeClose) beforeClose(*this);
    m_closedByMaster = false;
    for (Dataset* d : m_details) {
        if (!d->active()) continue;
        d->close();
        d->m_closedByMaster = true; // it opens again with its master
    }
    emit aboutToReset();
    m_rows.clear();
    m_deleted.clear();
    m_buf.clear();
    m_cur = 0;
    m_bof = m_eof = true;
    m_modified = false;
    m_state = DatasetState::Inactive;
    emit reset();
    emit stateChanged();
    if (afterClose) afterClose(*this);
}

void Dataset::reopen()
{
    close();
    open();
}

void Dataset::requireActive(const char* op) const
{
    if (!active())
        throw DatasetError(QStringLiteral("%1: Cannot perform this operation on a closed dataset (%2)")
                               .arg(m_name, QLatin1String(op)));
}

// ---- master and details ----------------------------------------------------------------------

void Dataset::masterMoved()
{
    if (!active()) {
        if (m_closedByMaster && m_master && m_master->active()) {
            m_closedByMaster = false;
            openBelowMaster();
        }
        return;
    }
    std::vector<QVariant> now;
    for (const QString& n : m_openedParamNames) now.push_back(masterValue(n));
    if (sameValues(now, m_openedWith)) return;
    close();
    openBelowMaster();
}

void Dataset::openBelowMaster()
{
    // A master row that is being entered has nothing below it in the database yet: the detail
    // shows no rows, and its opening saves nothing (the master is saved once rows are added).
    m_forNewMaster = m_master && m_master->belowNewRow();
    const auto reset = qScopeGuard([this] { m_forNewMaster = false; });
    open();
}

bool Dataset::belowNewRow() const
{
    return m_state == DatasetState::Insert || m_openedForNewMaster;
}

void Dataset::notifyDetails()
{
    // A copy: a detail's handlers may change the list of details.
    const std::vector<Dataset*> details = m_details;
    for (Dataset* d : details) d->masterMoved();
}

// ---- navigation ------------------------------------------------------------------------------

void Dataset::moveTo(int index)
{
    checkBrowseMode();
    if (m_rows.empty()) return;
    index = std::clamp(index, 0, int(m_rows.size()) - 1);
    if (beforeScroll) beforeScroll(*this);
    const bool moved = index != m_cur;
    m_cur = index;
    if (moved) emit currentRowChanged(m_cur);
    if (afterScroll) afterScroll(*this);
    notifyDetails();
}

void Dataset::setRecNo(int recNo)
{
    requireActive("RecNo");
    if (m_rows.empty()) return;
    moveTo(recNo - 1);
    m_bof = m_eof = false;
}

void Dataset::first()
{
    requireActive("First");
    checkBrowseMode();
    if (!m_rows.empty()) moveTo(0);
    m_bof = true;
    m_eof = m_rows.empty();
}

void Dataset::last()
{
    requireActive("Last");
    checkBrowseMode();
    if (!m_rows.empty()) moveTo(int(m_rows.size()) - 1);
    m_eof = true;
    m_bof = m_rows.empty();
}

void Dataset::next()
{
    requireActive("Next");
    checkBrowseMode();
    if (m_rows.empty() || m_cur >= int(m_rows.size()) - 1) {
        m_eof = true;
        return;
    }
    moveTo(m_cur + 1);
    m_bof = m_eof = false;
}

void Dataset::prior()
{
    requireActive("Prior");
    checkBrowseMode();
    if (m_rows.empty() || m_cur == 0) {
        m_bof = true;
        return;
    }
    moveTo(m_cur - 1);
    m_bof = m_eof = false;
}

// ---- values ----------------------------------------------------------------------------------

const std::vector<QVariant>& Dataset::currentValues() const
{
    static const std::vector<QVariant> none;
    if (m_context) return *m_context;
    if (editing()) return m_buf;
    if (m_rows.empty() || !active()) return none;
    return m_rows[size_t(m_cur)]->cur;
}

std::vector<QVariant>& Dataset::writableValues(const Field& f)
{
    if (m_calcTarget) return *m_calcTarget;
    if (!editing()) throw DatasetError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(m_name));
    if (f.isCalculated()) throw DatasetError(QStringLiteral("Field '%1' cannot be modified").arg(f.name()));
    return m_buf;
}

void Dataset::fieldChanged(Field& f)
{
    if (m_calcTarget) return;
    m_modified = true;
    computeCalcFields(m_buf);
    if (f.onChange) f.onChange(f);
    emit rowChanged(m_cur);
}

void Dataset::computeCalcFields(std::vector<QVariant>& values)
{
    if (!onCalcFields) return;
    Restore<const std::vector<QVariant>*> keepContext(m_context);
    Restore<std::vector<QVariant>*> keepTarget(m_calcTarget);
    m_context = &values;
    m_calcTarget = &values;
    for (const auto& f : m_fields)
        if (f->isCalculated()) values[size_t(f->index())] = QVariant();
    onCalcFields(*this);
}

QVariant Dataset::valueAt(int row, int fieldIndex) const
{
    if (row == m_cur && editing()) return m_buf.at(size_t(fieldIndex));
    return m_rows.at(size_t(row))->cur.at(size_t(fieldIndex));
}

QString Dataset::displayTextAt(int row, int fieldIndex) const
{
    const Field& f = field(fieldIndex);
    if (row == m_cur && editing()) return f.displayText();
    auto* self = const_cast<Dataset*>(this);
    Restore<const std::vector<QVariant>*> keep(self->m_context);
    self->m_context = &m_rows.at(size_t(row))->cur;
    return f.displayText();
}

UpdateStatus Dataset::updateStatusAt(int row) const { return m_rows.at(size_t(row))->status; }

UpdateStatus Dataset::updateStatus() const
{
    if (!active() || m_rows.empty()) return UpdateStatus::Unchanged;
    return m_rows[size_t(m_cur)]->status;
}

// ---- editing ---------------------------------------------------------------------------------

void Dataset::setState(DatasetState s)
{
    if (m_state == s) return;
    m_state = s;
    emit stateChanged();
}

void Dataset::edit()
{
    requireActive("Edit");
    if (editing()) return;
    if (m_rows.empty()) {
        insert();
        return;
    }
    if (beforeEdit) beforeEdit(*this);
    // The handler may have saved a master, which reopened this dataset.
    requireActive("Edit");
    if (m_rows.empty()) {
        insert();
        return;
    }
    m_buf = m_rows[size_t(m_cur)]->cur;
    m_modified = false;
    setState(DatasetState::Edit);
    if (afterEdit) afterEdit(*this);
}

void Dataset::insert() { startInsert(m_rows.empty() ? 0 : m_cur); }

void Dataset::append()
{
    requireActive("Append");
    checkBrowseMode();
    startInsert(-1);
}

void Dataset::startInsert(int position)
{
    requireActive("Insert");
    checkBrowseMode();
    if (beforeInsert) beforeInsert(*this);
    if (beforeScroll) beforeScroll(*this);
    requireActive("Insert"); // a handler may have reopened the dataset: its rows are new
    position = position < 0 ? int(m_rows.size()) : std::clamp(position, 0, int(m_rows.size()));
    auto row = std::make_shared<Row>();
    row->cur.assign(m_fields.size(), QVariant());
    row->status = UpdateStatus::Inserted;
    row->fresh = true;
    emit aboutToInsertRow(position);
    m_rows.insert(m_rows.begin() + position, row);
    m_cur = position;
    emit rowInserted(position);
    m_buf = row->cur;
    computeCalcFields(m_buf);
    setState(DatasetState::Insert);
    m_bof = m_eof = false;
    emit currentRowChanged(m_cur);
    try {
        if (afterInsert) afterInsert(*this);
    } catch (...) {
        cancel();
        throw;
    }
    m_modified = false; // defaults do not make the new row "touched"
    if (afterScroll) afterScroll(*this);
    notifyDetails();
}

void Dataset::post()
{
    requireActive("Post");
    if (!editing()) return;
    if (beforePost) beforePost(*this);
    for (const auto& f : m_fields) {
        if (f->isCalculated() || !f->required()) continue;
        if (isNullValue(m_buf[size_t(f->index())]))
            throw DatasetError(QStringLiteral("Field '%1' must have a value").arg(f->name()));
    }
    Row& row = *m_rows[size_t(m_cur)];
    const bool changed = m_modified || row.fresh;
    if (changed) {
        row.cur = m_buf;
        if (row.fresh) row.fresh = false;
        else if (row.status == UpdateStatus::Unchanged) row.status = UpdateStatus::Modified;
    }
    m_buf.clear();
    m_modified = false;
    setState(DatasetState::Browse);
    emit rowChanged(m_cur);
    if (afterPost) afterPost(*this);
    if (changed) notifyDetails();
}

void Dataset::cancel()
{
    if (!editing()) return;
    if (beforeCancel) beforeCancel(*this);
    const bool wasInsert = m_state == DatasetState::Insert;
    m_buf.clear();
    m_modified = false;
    // At rest before any signal: a view that reacts to the removal sees a browsing dataset.
    m_state = DatasetState::Browse;
    if (wasInsert && m_rows[size_t(m_cur)]->fresh) {
        const int pos = m_cur;
        emit aboutToRemoveRow(pos);
        m_rows.erase(m_rows.begin() + pos);
        m_cur = std::clamp(pos, 0, std::max(0, int(m_rows.size()) - 1));
        emit rowRemoved(pos);
        m_eof = m_bof = m_rows.empty();
    }
    emit stateChanged();
    if (!m_rows.empty()) emit rowChanged(m_cur);
    if (afterCancel) afterCancel(*this);
    if (wasInsert) {
        emit currentRowChanged(m_rows.empty() ? -1 : m_cur);
        if (afterScroll) afterScroll(*this);
        notifyDetails();
    }
}

void Dataset::checkBrowseMode()
{
    if (!editing()) return;
    if (m_modified || m_state == DatasetState::Edit) post();
    else cancel(); // an untouched new row
}

void Dataset::remove()
{
    requireActive("Delete");
    if (m_state == DatasetState::Insert) {
        cancel();
        return;
    }
    if (m_rows.empty()) throw DatasetError(QStringLiteral("%1: Cannot perform this operation on an empty dataset").arg(m_name));
    if (m_state == DatasetState::Edit) cancel();
    if (beforeDelete) beforeDelete(*this);
    const int pos = m_cur;
    RowPtr row = m_rows[size_t(pos)];
    RowPtr prev = pos > 0 ? m_rows[size_t(pos - 1)] : RowPtr();
    row->neverSaved = row->status == UpdateStatus::Inserted;
    row->status = UpdateStatus::Deleted;
    m_deleted.push_back({row, prev});
    emit aboutToRemoveRow(pos);
    m_rows.erase(m_rows.begin() + pos);
    m_cur = std::clamp(pos, 0, std::max(0, int(m_rows.size()) - 1));
    emit rowRemoved(pos);
    m_eof = m_bof = m_rows.empty();
    if (afterDelete) afterDelete(*this);
    emit currentRowChanged(m_rows.empty() ? -1 : m_cur);
    if (afterScroll) afterScroll(*this);
    notifyDetails();
}

// ---- cached updates --------------------------------------------------------------------------

bool Dataset::updatesPending() const
{
    for (const DeletedRow& d : m_deleted)
        if (!d.row->neverSaved) return true;
    for (const RowPtr& r : m_rows)
        if (!r->fresh && r->status != UpdateStatus::Unchanged) return true;
    return false;
}

void Dataset::applyRow(Transaction& tra, const Row& row, UpdateStatus kind, std::vector<std::unique_ptr<Statement>>& cache)
{
    if (m_applyStep) {
        RowChange change{kind, this, &row.old, kind == UpdateStatus::Deleted ? &row.old : &row.cur};
        m_applyStep(tra, change);
        return;
    }
    if (m_updTable.isEmpty())
        throw DatasetError(QStringLiteral("%1: No update definition").arg(m_name));
    std::vector<const Field*> cols;
    for (const auto& f : m_fields)
        if (!f->isCalculated() && (f->origin().isEmpty() || f->origin().compare(m_updTable, Qt::CaseInsensitive) == 0))
            cols.push_back(f.get());
    std::vector<int> keys;
    for (const QString& k : m_updKeys) keys.push_back(field(k).index());

    auto where = [&] {
        QStringList parts;
        for (const QString& k : m_updKeys) parts << quoted(field(k).name()) + QStringLiteral(" = ?");
        return parts.join(QStringLiteral(" and "));
    };
    const int slot = kind == UpdateStatus::Inserted ? 0 : kind == UpdateStatus::Modified ? 1 : 2;
    if (!cache[size_t(slot)]) {
        QString sql;
        QStringList names, marks, sets;
        for (const Field* f : cols) {
            names << quoted(f->name());
            marks << QStringLiteral("?");
            sets << quoted(f->name()) + QStringLiteral(" = ?");
        }
        if (slot == 0)
            sql = QStringLiteral("insert into %1 (%2) values (%3)").arg(quoted(m_updTable), names.join(u','), marks.join(u','));
        else if (slot == 1)
            sql = QStringLiteral("update %1 set %2 where %3").arg(quoted(m_updTable), sets.join(u','), where());
        else
            sql = QStringLiteral("delete from %1 where %2").arg(quoted(m_updTable), where());
        cache[size_t(slot)] = std::make_unique<Statement>(tra, sql);
    }
    Statement& st = *cache[size_t(slot)];
    int p = 0;
    if (slot != 2)
        for (const Field* f : cols) st.setParam(p++, row.cur[size_t(f->index())]);
    if (slot != 0)
        for (int k : keys) st.setParam(p++, row.old[size_t(k)]);
    st.execute();
}

void Dataset::applyUpdates(bool markApplied)
{
    requireActive("ApplyUpdates");
    checkBrowseMode();
    if (!updatesPending()) return;
    if (!m_tra) throw DatasetError(QStringLiteral("%1: Database not assigned").arg(m_name));
    Transaction& tra = *m_tra;
    tra.ensureActive();
    {
        Statement sp(tra, QStringLiteral("savepoint AERIS_APPLY"));
        sp.execute();
    }
    try {
        std::vector<std::unique_ptr<Statement>> cache(3);
        for (const DeletedRow& d : m_deleted)
            if (!d.row->neverSaved) applyRow(tra, *d.row, UpdateStatus::Deleted, cache);
        for (const RowPtr& r : m_rows)
            if (!r->fresh && r->status == UpdateStatus::Modified) applyRow(tra, *r, UpdateStatus::Modified, cache);
        for (const RowPtr& r : m_rows)
            if (!r->fresh && r->status == UpdateStatus::Inserted) applyRow(tra, *r, UpdateStatus::Inserted, cache);
    } catch (...) {
        // Undo what this apply wrote, so that no later commit carries half of it.
        try {
            Statement undo(tra, QStringLiteral("rollback to savepoint AERIS_APPLY"));
            undo.execute();
            Statement release(tra, QStringLiteral("release savepoint AERIS_APPLY only"));
            release.execute();
        } catch (const Error&) {
            // The transaction itself failed; the caller rolls it back.
        }
        throw;
    }
    Statement release(tra, QStringLiteral("release savepoint AERIS_APPLY only"));
    release.execute();
    if (markApplied) commitUpdates();
}

void Dataset::commitUpdates()
{
    m_deleted.clear();
    for (size_t i = 0; i < m_rows.size(); ++i) {
        Row& r = *m_rows[i];
        if (r.fresh || r.status == UpdateStatus::Unchanged) continue;
        r.old = r.cur;
        r.status = UpdateStatus::Unchanged;
        emit rowChanged(int(i));
    }
}

void applyAndCommit(Transaction& tra, const std::vector<Dataset*>& datasets, bool retaining)
{
    try {
        for (Dataset* ds : datasets)
            if (ds->active()) ds->applyUpdates(false);
        if (retaining) tra.commitRetaining();
        else tra.commit();
    } catch (...) {
        try {
            if (tra.active()) {
                if (retaining) tra.rollbackRetaining();
                else tra.rollback();
            }
        } catch (const Error&) {
            // The original failure is the one to report.
        }
        throw;
    }
    for (Dataset* ds : datasets)
        if (ds->active()) ds->commitUpdates();
}

void Dataset::cancelUpdates()
{
    requireActive("CancelUpdates");
    if (editing()) cancel();
    // Deleted rows go back where they stood: each follows the row that preceded it when it
    // was deleted, rows deleted from the same place in the order they were deleted.
    QHash<const Row*, std::vector<RowPtr>> after;
    std::vector<RowPtr> atTop;
    for (const DeletedRow& d : m_deleted) {
        if (d.prev) after[d.prev.get()].push_back(d.row);
        else atTop.push_back(d.row);
    }
    std::vector<RowPtr> rebuilt;
    rebuilt.reserve(m_rows.size() + m_deleted.size());
    // Depth first, without recursion: a long run of deleted rows makes a long chain.
    std::vector<RowPtr> stack;
    auto place = [&](const RowPtr& top) {
        stack.push_back(top);
        while (!stack.empty()) {
            RowPtr r = std::move(stack.back());
            stack.pop_back();
            if (!r->neverSaved && r->status != UpdateStatus::Inserted) rebuilt.push_back(r);
            auto it = after.find(r.get());
            if (it == after.end()) continue;
            const std::vector<RowPtr> children = std::move(it.value());
            after.erase(it);
            for (auto c = children.rbegin(); c != children.rend(); ++c) stack.push_back(*c);
        }
    };
    for (const RowPtr& r : atTop) place(r);
    for (const RowPtr& r : m_rows) place(r);
    for (const RowPtr& r : rebuilt) {
        r->cur = r->old;
        r->status = UpdateStatus::Unchanged;
    }
    emit aboutToReset();
    m_rows = std::move(rebuilt);
    m_deleted.clear();
    m_cur = std::clamp(m_cur, 0, std::max(0, int(m_rows.size()) - 1));
    m_bof = m_eof = m_rows.empty();
    emit reset();
    emit currentRowChanged(m_rows.empty() ? -1 : m_cur);
    if (afterScroll) afterScroll(*this);
    notifyDetails();
}

void Dataset::refreshRow()
{
    requireActive("Refresh");
    if (m_rows.empty() || editing() || m_updTable.isEmpty() || m_updKeys.isEmpty()) return;
    Row& row = *m_rows[size_t(m_cur)];
    QStringList parts;
    for (const QString& k : m_updKeys) parts << quoted(field(k).name()) + QStringLiteral(" = ?");
    Statement st(*m_tra, QStringLiteral("select * from %1 where %2").arg(quoted(m_updTable), parts.join(QStringLiteral(" and "))));
    int p = 0;
    for (const QString& k : m_updKeys) st.setParam(p++, row.cur[size_t(field(k).index())]);
    st.open();
    if (st.fetch()) {
        for (size_t c = 0; c < st.columns().size(); ++c)
            if (Field* f = findField(st.columns()[c].name); f && !f->isCalculated()) row.cur[size_t(f->index())] = st.row()[c];
        computeCalcFields(row.cur);
        if (row.status == UpdateStatus::Unchanged) row.old = row.cur;
        emit rowChanged(m_cur);
    }
    st.closeCursor();
}

// ---- search ----------------------------------------------------------------------------------

std::vector<int> Dataset::keyIndexes(const QString& keyFields) const
{
    std::vector<int> out;
    for (const QString& name : keyFields.split(u';', Qt::SkipEmptyParts)) out.push_back(field(name.trimmed()).index());
    return out;
}

bool Dataset::locate(const QString& keyFields, const QVariantList& values, LocateOptions opts)
{
    requireActive("Locate");
    const std::vector<int> idx = keyIndexes(keyFields);
    if (idx.size() != size_t(values.size()))
        throw DatasetError(QStringLiteral("%1: Locate needs one value per key field").arg(m_name));
    checkBrowseMode();
    for (size_t r = 0; r < m_rows.size(); ++r) {
        const std::vector<QVariant>& v = m_rows[r]->cur;
        bool all = true;
        for (size_t k = 0; k < idx.size() && all; ++k)
            all = matches(v[size_t(idx[k])], values[qsizetype(k)], *m_fields[size_t(idx[k])], opts);
        if (all) {
            moveTo(int(r));
            m_bof = m_eof = false;
            return true;
        }
    }
    return false;
}

} // namespace aeris::db
