#pragma once
// The data behind a reference window: its own connection to INFO.FDB with one transaction, a
// read-only summary and the editable tables (cached updates). Showing connects and opens
// everything; hiding closes it; saving writes all tables in one transaction.

#include "u_dataset.h"
#include "u_fbclient.h"

#include <QObject>
#include <memory>
#include <vector>

namespace aeris::ref {

struct ColumnTitle {
    const char* field;
    const char* title;
};

class ReferenceData : public QObject {
    Q_OBJECT
public:
    ReferenceData();

    db::Connection& connection() { return m_db; }
    db::Transaction& transaction() { return m_tra; }
    db::Dataset& summary() { return *m_summary; }
    const std::vector<db::Dataset*>& tables() const { return m_tables; }
    bool isShown() const { return m_shown; }

    // Connects to the file and opens the summary and every table; nothing when shown already.
    // A missing or locked file leaves the data closed and unshown (false).
    bool show(const QString& infoFile);
    // Closes every dataset, ends the transaction and disconnects.
    void hide();
    // Makes sure the connection is open (after the window was hidden) for readers such as the
    // pickers and the object module.
    void ensureConnected(const QString& infoFile);

signals:
    void reloaded();

protected:
    db::Dataset& addSummary(const QString& name, const QString& sql);
    db::Dataset& addTable(const QString& name, const QString& table, const QString& keys,
                          std::initializer_list<ColumnTitle> titles);
    bool saveTables(); // false when the database refused the changes
    void closeAll();

private:
    db::Connection m_db;
    db::Transaction m_tra{m_db};
    std::unique_ptr<db::Dataset> m_summaryOwner;
    db::Dataset* m_summary = nullptr;
    std::vector<std::unique_ptr<db::Dataset>> m_owned;
    std::vector<db::Dataset*> m_tables;
    bool m_shown = false;
    QString m_file;
};

// The substance reference: summary SUBST and the tables GDK_OBRV, SUBST_2TP, GDK_2TP,
// GROUPS_SUM, GROUPS_GEN and REF.
class InfoSubstData : public ReferenceData {
    Q_OBJECT
public:
    InfoSubstData();
    // Saves every table and reloads the window's data; errors are swallowed (the reload then
    // shows what the database holds).
    void save();
    // Moves the summary to the first substance whose sanitary code, or else whose name,
    // begins with the text (ignoring case). False when none does.
    bool search(const QString& text);
};

// The production reference: summary PROD and the tables INDUSTRIES, GROUPS_PROD, PRODUCTIONS.
class InfoProdData : public ReferenceData {
    Q_OBJECT
public:
    InfoProdData();
    // Saves every table; errors are swallowed and the edits stay pending; no reload.
    void save();
};

} // namespace aeris::ref
