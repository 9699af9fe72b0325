// aeris-refsql <data folder> <out.sql>
// Turns the shipped reference data (UTF-8 CSV files) into the insert statements that fill
// INFO.FDB at build time. Empty cells become nulls.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QSaveFile>
#include <QStringList>
#include <cstdio>
#include <stdexcept>

namespace {

// One CSV file: the header's column names and the rows (RFC 4180 quoting).
struct Csv {
    QStringList header;
    QList<QStringList> rows;
    QString get(const QStringList& row, const QString& col) const
    {
        const qsizetype i = header.indexOf(col);
        if (i < 0) throw std::runtime_error("no column " + col.toStdString());
        return i < row.size() ? row[i].trimmed() : QString();
    }
};

Csv readCsv(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
    const QString text = QString::fromUtf8(f.readAll());
    QList<QStringList> records;
    QStringList record;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') { cell += u'"'; ++i; }
            else if (c == u'"') quoted = false;
            else cell += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            record << cell;
            cell.clear();
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            record << cell;
            cell.clear();
            if (!(record.size() == 1 && record[0].isEmpty())) records << record;
            record.clear();
        } else {
            cell += c;
        }
    }
    if (!cell.isEmpty() || !record.isEmpty()) {
        record << cell;
        records << record;
    }
    if (records.isEmpty()) throw std::runtime_error("empty file " + path.toStdString());
    Csv csv;
    csv.header = records.takeFirst();
    csv.rows = records;
    return csv;
}

QString str(const QString& v) { return v.isEmpty() ? QStringLiteral("null") : u'\'' + QString(v).replace(u'\'', QLatin1String("''")) + u'\''; }
QString num(const QString& v)
{
    if (v.isEmpty()) return QStringLiteral("null");
    bool ok = false;
    v.toDouble(&ok);
    if (!ok) throw std::runtime_error("not a number: " + v.toStdString());
    return v;
}
QString code(const QString& v) { return v.isEmpty() ? QStringLiteral("null") : QString::number(v.toInt()); }

// "05" → 5, "05.10" → 510: a production's number is its КВЕД code without the point.
int productionCode(const QString& kved) { return QString(kved).remove(u'.').toInt(); }

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: aeris-refsql <data folder> <out.sql>\n");
        return 2;
    }
    try {
        const QDir dir(args[1]);
        QStringList sql;
        const Csv refs = readCsv(dir.filePath(QStringLiteral("refs.csv")));
        for (const QStringList& r : refs.rows)
            sql << QStringLiteral("insert into REF (REF_ID, REF_NAME) values (%1, %2);").arg(code(refs.get(r, QStringLiteral("ref_id"))), str(refs.get(r, QStringLiteral("ref_name"))));

        const Csv tp2 = readCsv(dir.filePath(QStringLiteral("tp2_items.csv")));
        for (const QStringList& r : tp2.rows)
            sql << QStringLiteral("insert into SUBST_2TP (SUBST_ID, SUBST_NAME) values (%1, %2);").arg(code(tp2.get(r, QStringLiteral("tp2_code"))), str(tp2.get(r, QStringLiteral("name_uk"))));

        const Csv subst = readCsv(dir.filePath(QStringLiteral("substances.csv")));
        for (const QStringList& r : subst.rows) {
            auto g = [&](const char* c) { return subst.get(r, QLatin1String(c)); };
            sql << QStringLiteral("insert into GDK_OBRV (SUBST_ID, SUBST_NAME, SUBST_NICKNAMES, GDK_MAX, GDK_DAY, OBRV, "
                                  "DANGER_CLASS, INFO1, INFO2) values (%1, %2, %3, %4, %5, %6, %7, %8, %9);")
                       .arg(code(g("gdk_code")), str(g("name_uk")), str(g("name_ru")), num(g("gdk_max")), num(g("gdk_day")),
                            num(g("obrv")), code(g("danger_class")), code(g("info1")), code(g("info2")));
            if (!g("tp2_code").isEmpty())
                sql << QStringLiteral("insert into GDK_2TP (ID_GDK, ID_2TP) values (%1, %2);").arg(code(g("gdk_code")), code(g("tp2_code")));
        }

        const Csv groups = readCsv(dir.filePath(QStringLiteral("groups_sum.csv")));
        for (const QStringList& r : groups.rows) {
            QStringList members = groups.get(r, QStringLiteral("members")).split(u';', Qt::SkipEmptyParts);
            if (members.size() > 10) throw std::runtime_error("a summation group has more than 10 members");
            QStringList cols{QStringLiteral("GROUP_ID")}, vals{code(groups.get(r, QStringLiteral("group_id")))};
            for (int k = 0; k < members.size(); ++k) {
                cols << QStringLiteral("SUBST_ID%1").arg(k + 1);
                vals << code(members[k]);
            }
            const QString koef = groups.get(r, QStringLiteral("koef_poten"));
            cols << QStringLiteral("KOEF_POTEN") << QStringLiteral("GROUP_NAME");
            vals << (koef.isEmpty() ? QStringLiteral("1") : num(koef)) << str(groups.get(r, QStringLiteral("name")));
            sql << QStringLiteral("insert into GROUPS_SUM (%1) values (%2);").arg(cols.join(u','), vals.join(u','));
        }

        // Sections become industries; divisions and classes become productions; each section
        // gets the ranges of its division numbers and of its class numbers as production groups.
        const Csv prods = readCsv(dir.filePath(QStringLiteral("productions.csv")));
        QMap<QString, QPair<int, int>> divisions; // section → first and last division
        for (const QStringList& r : prods.rows) {
            const QString group = prods.get(r, QStringLiteral("group"));
            const QString c = prods.get(r, QStringLiteral("code"));
            const QString name = prods.get(r, QStringLiteral("name"));
            if (group.isEmpty()) {
                sql << QStringLiteral("insert into INDUSTRIES (IND_ID, IND_NAME) values (%1, %2);").arg(str(c), str(name));
                continue;
            }
            const QString section = group.section(u' ', -1);
            const int number = productionCode(c);
            sql << QStringLiteral("insert into PRODUCTIONS (PROD_ID, PROD_NAME) values (%1, %2);").arg(number).arg(str(name));
            if (!c.contains(u'.')) {
                auto it = divisions.find(section);
                if (it == divisions.end()) divisions.insert(section, {number, number});
                else *it = {std::min(it->first, number), std::max(it->second, number)};
            }
        }
        for (auto it = divisions.begin(); it != divisions.end(); ++it) {
            const int a = it->first, b = it->second;
            sql << QStringLiteral("insert into GROUPS_PROD (PROD_ID1, PROD_ID2, IND_ID, GROUP_NAME) values (%1, %2, %3, %4);")
                       .arg(a).arg(b).arg(str(it.key()), str(QStringLiteral("Секція %1: розділи %2–%3").arg(it.key()).arg(a, 2, 10, QLatin1Char('0')).arg(b, 2, 10, QLatin1Char('0'))));
            sql << QStringLiteral("insert into GROUPS_PROD (PROD_ID1, PROD_ID2, IND_ID, GROUP_NAME) values (%1, %2, %3, %4);")
                       .arg(a * 100).arg(b * 100 + 99).arg(str(it.key()), str(QStringLiteral("Секція %1: класи %2.xx–%3.xx").arg(it.key()).arg(a, 2, 10, QLatin1Char('0')).arg(b, 2, 10, QLatin1Char('0'))));
        }

        QSaveFile out(args[2]);
        if (!out.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write " + args[2].toStdString());
        out.write(QStringLiteral("-- Generated from the reference data files; do not edit.\n").toUtf8());
        out.write((sql.join(u'\n') + u'\n').toUtf8());
        if (!out.commit()) throw std::runtime_error("cannot write " + args[2].toStdString());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "aeris-refsql: %s\n", e.what());
        return 1;
    }
    return 0;
}
