#include "u_refdata.h"

namespace aeris::ref {

ReferenceData::ReferenceData()
{
    m_db.setParams(db::standardConnectParams());
}

db::Dataset& ReferenceData::addSummary(const QString& name, const QString& sql)
{
    m_summaryOwner = std::make_unique<db::Dataset>();
    m_summary = m_summaryOwner.get();
    m_summary->setName(name);
    m_summary->setSql(sql);
    m_summary->setTransaction(&m_tra);
    return *m_summary;
}

db::Dataset& ReferenceData::addTable(const QString& name, const QString& table, const QString& keys,
                                     std::initializer_list<ColumnTitle> titles)
{
    auto ds = std::make_unique<db::Dataset>();
    ds->setName(name);
    ds->setSql(QStringLiteral("select * from %1").arg(table));
    ds->setTransaction(&m_tra);
    ds->setUpdateTable(table, keys);
    for (const ColumnTitle& t : titles)
        ds->declareField(QString::fromLatin1(t.field)).setDisplayLabel(QString::fromUtf8(t.title));
    m_tables.push_back(ds.get());
    m_owned.push_back(std::move(ds));
    return *m_tables.back();
}

void ReferenceData::closeAll()
{
    for (db::Dataset* d : m_tables) d->close();
    if (m_summary) m_summary->close();
}

bool ReferenceData::show(const QString& infoFile)
{
    if (m_shown) return true;
    try {
        hide();
        m_file = infoFile;
        m_db.setDatabaseName(infoFile);
        m_db.connect();
        m_tra.start();
        m_summary->open();
        for (db::Dataset* d : m_tables) d->open();
        m_shown = true;
        emit reloaded();
        return true;
    } catch (const Error&) {
        try {
            hide();
        } catch (const Error&) {
        }
        return false;
    }
}

void ReferenceData::hide()
{
    closeAll();
    if (m_tra.active()) m_tra.rollback();
    m_db.disconnect();
    m_shown = false;
}

void ReferenceData::ensureConnected(const QString& infoFile)
{
    if (m_db.connected() && m_tra.active()) return;
    if (!m_db.connected()) {
        m_db.setDatabaseName(infoFile);
        m_db.connect();
    }
    m_tra.ensureActive();
}

bool ReferenceData::saveTables()
{
    try {
        db::applyAndCommit(m_tra, m_tables, false);
        return true;
    } catch (const Error&) {
        return false;
    }
}

InfoSubstData::InfoSubstData()
{
    db::Dataset& s = addSummary(QStringLiteral("IBQuerySubstAll"), QStringLiteral("select * from SUBST"));
    s.declareField(QStringLiteral("SUBST_2TP_ID")).setDisplayFormat(QStringLiteral("00000"));
    addTable(QStringLiteral("IBTableGdk"), QStringLiteral("GDK_OBRV"), QStringLiteral("SUBST_ID"),
             {{"SUBST_ID", "Код р-ни"}, {"SUBST_NAME", "Назва р-ни"}, {"SUBST_NICKNAMES", "Інші назви"},
              {"GDK_MAX", "ГДК макс."}, {"GDK_DAY", "ГДК ден."}, {"OBRV", "ОБРВ"}, {"DANGER_CLASS", "Клас неб."},
              {"PROPERTIES", "Властивості"}, {"DENSITY", "Густина"}, {"EXPLOSIV_MIN", "Вибух.мін."},
              {"EXPLOSIV_MAX", "Вибух.макс."}, {"GROUP_GEN", "Укруп.група"}, {"INFO1", "Дж.інф.1"}, {"INFO2", "Дж.інф.2"}});
    addTable(QStringLiteral("IBTable2tp"), QStringLiteral("SUBST_2TP"), QStringLiteral("SUBST_ID"),
             {{"SUBST_ID", "Код р-ни"}, {"SUBST_NAME", "Назва за 2-ТП (повітря)"}});
    addTable(QStringLiteral("IBTableGdk2tp"), QStringLiteral("GDK_2TP"), QStringLiteral("ID_GDK"),
             {{"ID_GDK", "Сан. код р-ни"}, {"ID_2TP", "Код за 2-ТП"}});
    addTable(QStringLiteral("IBTableGroupsSum"), QStringLiteral("GROUPS_SUM"), QStringLiteral("GROUP_ID"),
             {{"GROUP_ID", "Код групи"}, {"SUBST_ID1", "Сан.код 1"}, {"SUBST_ID2", "Сан.код 2"}, {"SUBST_ID3", "Сан.код 3"},
              {"SUBST_ID4", "Сан.код 4"}, {"SUBST_ID5", "Сан.код 5"}, {"SUBST_ID6", "Сан.код 6"}, {"SUBST_ID7", "Сан.код 7"},
              {"SUBST_ID8", "Сан.код 8"}, {"SUBST_ID9", "Сан.код 9"}, {"SUBST_ID10", "Сан.код 10"},
              {"KOEF_POTEN", "Коеф.потенц."}, {"GROUP_NAME", "Назва групи"}});
    addTable(QStringLiteral("IBTableGroupsGen"), QStringLiteral("GROUPS_GEN"), QStringLiteral("GROUP_ID"),
             {{"GROUP_ID", "Код групи"}, {"GROUP_NAME", "Назва укрупн. групи"}, {"PAYMENT", "Плата"}});
    addTable(QStringLiteral("IBTableRef"), QStringLiteral("REF"), QStringLiteral("REF_ID"),
             {{"REF_ID", "№ джерела"}, {"REF_NAME", "Назва джерела інформації"}});
}

void InfoSubstData::save()
{
    saveTables();
    // The window shows the database as it now is; edits the database refused are gone.
    const QString file = connection().databaseName();
    try {
        hide();
    } catch (const Error&) {
    }
    show(file);
}

bool InfoSubstData::search(const QString& text)
{
    db::Dataset& s = summary();
    if (!s.active() || text.trimmed().isEmpty()) return false;
    const db::LocateOptions prefix{true, true};
    if (s.locate(QStringLiteral("SUBST_GDK_ID"), text.trimmed(), prefix)) return true;
    return s.locate(QStringLiteral("SUBST_GDK_NAME"), text.trimmed(), prefix);
}

InfoProdData::InfoProdData()
{
    db::Dataset& s = addSummary(QStringLiteral("IBQueryProdAll"), QStringLiteral("select * from PROD"));
    s.declareField(QStringLiteral("PROD_ID")).setDisplayLabel(QStringLiteral("Код"));
    s.declareField(QStringLiteral("PROD_NAME")).setDisplayLabel(QStringLiteral("Назва виробництва, галузі"));
    addTable(QStringLiteral("IBTableInd"), QStringLiteral("INDUSTRIES"), QStringLiteral("IND_ID"),
             {{"IND_ID", "Код галузі"}, {"IND_NAME", "Назва галузі"}});
    addTable(QStringLiteral("IBTableGroupsProd"), QStringLiteral("GROUPS_PROD"), QStringLiteral("PROD_ID1;PROD_ID2"),
             {{"PROD_ID1", "Код поч."}, {"PROD_ID2", "Код кінця"}, {"IND_ID", "Код галузі"}, {"GROUP_NAME", "Назва групи"}});
    addTable(QStringLiteral("IBTableProd"), QStringLiteral("PRODUCTIONS"), QStringLiteral("PROD_ID"),
             {{"PROD_ID", "Код виробництва"}, {"PROD_NAME", "Назва виробництва"}});
}

void InfoProdData::save() { saveTables(); }

} // namespace aeris::ref
