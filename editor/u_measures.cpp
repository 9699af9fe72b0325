#include "u_measures.h"

#include "u_fbclient.h"
#include "u_files.h"
#include "u_objschema.h"

#include <QHash>
#include <QSet>
#include <vector>

namespace aeris::editor {
namespace {

using Row = std::vector<QVariant>;

bool sameValue(const QVariant& a, const QVariant& b)
{
    const bool na = !a.isValid() || a.isNull(), nb = !b.isValid() || b.isNull();
    if (na || nb) return na && nb; // null equals only null
    return a == b;
}

QString key(const QVariant& a, const QVariant& b) { return a.toString() + u';' + b.toString(); }

// One state's sources, units and emissions, read once and grouped by source.
struct State {
    std::vector<Row> sources;
    QStringList sourceColumns;
    QHash<QString, int> sourceIndex;            // "site;source" → row
    QHash<QString, std::vector<Row>> units;     // by source
    QHash<QString, std::vector<Row>> emissions; // by source
    int unitChain = -1, unitVent = -1, unitVolIn = -1, unitVolOut = -1;
    int emisSubst = -1, emisMgm3 = -1, emisGs = -1, emisTy = -1;
};

State readState(const QString& file)
{
    db::Connection conn;
    conn.setDatabaseName(file);
    conn.connect();
    db::Transaction tra(conn, db::TxReadCommitted | db::TxRecVersion | db::TxNoWait | db::TxReadOnly);
    tra.start();
    State s;
    {
        db::Statement st(tra, QStringLiteral("select * from EMISSION_SRC order by site_id, emissrc_id"));
        for (const db::Column& c : st.columns()) s.sourceColumns << c.name;
        st.open();
        while (st.fetch()) {
            s.sourceIndex.insert(key(st.row()[0], st.row()[1]), int(s.sources.size()));
            s.sources.push_back(st.row());
        }
    }
    {
        db::Statement st(tra, QStringLiteral("select * from GOU order by site_id, emissrc_id, chain_pos"));
        s.unitChain = st.columnIndex(QStringLiteral("CHAIN_POS"));
        s.unitVent = st.columnIndex(QStringLiteral("VENT_ID"));
        s.unitVolIn = st.columnIndex(QStringLiteral("VOLUME_IN"));
        s.unitVolOut = st.columnIndex(QStringLiteral("VOLUME_OUT"));
        st.open();
        while (st.fetch()) s.units[key(st.row()[0], st.row()[1])].push_back(st.row());
    }
    {
        db::Statement st(tra, QStringLiteral("select * from EMISSION_DATA order by site_id, emissrc_id, subst_id"));
        s.emisSubst = st.columnIndex(QStringLiteral("SUBST_ID"));
        s.emisMgm3 = st.columnIndex(QStringLiteral("MGM3"));
        s.emisGs = st.columnIndex(QStringLiteral("GS"));
        s.emisTy = st.columnIndex(QStringLiteral("TY"));
        st.open();
        while (st.fetch()) s.emissions[key(st.row()[0], st.row()[1])].push_back(st.row());
    }
    tra.rollback();
    conn.disconnect();
    return s;
}

// Units are paired by their place in the chain and their ventilation system.
bool unitsChanged(const State& o, const State& n, const QString& src)
{
    const std::vector<Row> none;
    const auto& ou = o.units.contains(src) ? o.units[src] : none;
    const auto& nu = n.units.contains(src) ? n.units[src] : none;
    auto unitKey = [](const State& s, const Row& r) { return key(r[size_t(s.unitChain)], r[size_t(s.unitVent)]); };
    QHash<QString, const Row*> newByKey;
    for (const Row& r : nu) newByKey.insert(unitKey(n, r), &r);
    QSet<QString> paired;
    for (const Row& r : ou) {
        const QString k = unitKey(o, r);
        const auto it = newByKey.constFind(k);
        if (it == newByKey.constEnd()) return true;
        paired.insert(k);
        if (!sameValue(r[size_t(o.unitVolIn)], (**it)[size_t(n.unitVolIn)]) ||
            !sameValue(r[size_t(o.unitVolOut)], (**it)[size_t(n.unitVolOut)]))
            return true;
    }
    return paired.size() != newByKey.size();
}

bool emissionsChanged(const State& o, const State& n, const QString& src)
{
    const std::vector<Row> none;
    const auto& oe = o.emissions.contains(src) ? o.emissions[src] : none;
    const auto& ne = n.emissions.contains(src) ? n.emissions[src] : none;
    QHash<QString, const Row*> newBySubst;
    for (const Row& r : ne) newBySubst.insert(r[size_t(n.emisSubst)].toString(), &r);
    QSet<QString> oldSubst;
    bool changed = false;
    for (const Row& r : oe) {
        const QString k = r[size_t(o.emisSubst)].toString();
        oldSubst.insert(k);
        const auto it = newBySubst.constFind(k);
        if (it == newBySubst.constEnd()) { changed = true; continue; }
        const Row& m = **it;
        if (!sameValue(r[size_t(o.emisMgm3)], m[size_t(n.emisMgm3)]) || !sameValue(r[size_t(o.emisGs)], m[size_t(n.emisGs)]) ||
            !sameValue(r[size_t(o.emisTy)], m[size_t(n.emisTy)]))
            changed = true;
    }
    for (auto it = newBySubst.constBegin(); it != newBySubst.constEnd(); ++it)
        if (!oldSubst.contains(it.key())) changed = true;
    return changed;
}

QString line(int year, const Row& src, const QString& tail)
{
    return QStringLiteral("%1 р.: джерело № %2 (пм.%3): %4").arg(year).arg(src[1].toString(), src[0].toString(), tail);
}

} // namespace

QStringList plannedMeasures(const QString& projectFolder, int baseYear, int stateCount)
{
    QStringList lines;
    const QString dataDir = files::resolve(projectFolder, obj::kProjectDataDir);
    for (int i = 1; i < stateCount; ++i) {
        const State o = readState(files::findNoCase(dataDir, obj::stateFileName(i - 1)));
        const State n = readState(files::findNoCase(dataDir, obj::stateFileName(i)));
        const int year = baseYear + i;
        for (const Row& src : o.sources) {
            const QString k = key(src[0], src[1]);
            const auto found = n.sourceIndex.constFind(k);
            if (found == n.sourceIndex.constEnd()) {
                lines << line(year, src, QStringLiteral("закрити"));
                continue;
            }
            const Row& other = n.sources[size_t(*found)];
            QStringList change;
            // Every column after site, number and name, matched by name between the two files.
            for (int c = 3; c < o.sourceColumns.size(); ++c) {
                const int nc = int(n.sourceColumns.indexOf(o.sourceColumns[c]));
                if (nc < 0 || !sameValue(src[size_t(c)], other[size_t(nc)])) {
                    change << QStringLiteral("змінити параметри");
                    break;
                }
            }
            if (unitsChanged(o, n, k)) change << QStringLiteral("зміни у ГОУ");
            else if (emissionsChanged(o, n, k)) change << QStringLiteral("зміна складу викидів");
            if (!change.isEmpty()) lines << line(year, src, change.join(QStringLiteral(", ")));
        }
        for (const Row& src : n.sources)
            if (!o.sourceIndex.contains(key(src[0], src[1]))) lines << line(year, src, QStringLiteral("відкрити"));
    }
    return lines;
}

} // namespace aeris::editor
