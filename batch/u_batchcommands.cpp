#include "u_batchcommands.h"

#include "DBF.h"
#include "d_obj.h"
#include "u_measures.h"
#include "u_seams.h"
#include "u_baseyear.h"
#include "u_codepage.h"
#include "u_refdata.h"
#include "u_substcode.h"
#include "u_error.h"
#include "u_files.h"
#include "u_history.h"
#include "u_objschema.h"
#include "u_paths.h"
#include "u_project.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace aeris::batch {
namespace {

QString absolute(const QString& folder) { return QDir::cleanPath(QFileInfo(folder).absoluteFilePath()); }

int cmdNew(Context& ctx, const QStringList& a)
{
    const QString folder = absolute(a[0]);
    ProjectSession session(ctx.paths);
    if (!session.createProject(folder, a[1])) {
        ctx.err << QStringLiteral("Помилка: проект не створено: каталог %1 уже існує або немає батьківського каталогу").arg(folder)
                << Qt::endl;
        return 1;
    }
    // As the project page does: a new project is opened, which puts it into the history.
    session.history().load();
    if (!session.openProject(folder)) return 1;
    ctx.out << QStringLiteral("Створено проект \"%1\": %2").arg(a[1], folder) << Qt::endl;
    return 0;
}

int cmdInfo(Context& ctx, const QStringList& a)
{
    const QString folder = absolute(a[0]);
    if (!isProjectFolder(folder)) {
        ctx.err << QStringLiteral("Відкрити БД...: Вказана база не знайдена") << Qt::endl;
        return 1;
    }
    const int base = obj::peekBaseYear(folder);
    const HistoryRow row = ProjectHistory::rowFor(folder, ProjectSession::readProjectName(folder),
                                                  ProjectSession::readProjectComment(folder));
    auto report = [](const QString& date) { return date.isEmpty() ? QStringLiteral("немає") : QStringLiteral("є, змінено ") + date; };
    ctx.out << QStringLiteral("Назва: ") << row.name << Qt::endl
            << QStringLiteral("Коментар: ") << row.comment << Qt::endl
            << QStringLiteral("Базовий рік: ") << base << Qt::endl
            << QStringLiteral("Стани: ") << ProjectSession::stateList(folder, base).join(QStringLiteral("; ")) << Qt::endl
            << QStringLiteral("Інвентаризація: ") << report(row.inventDate) << Qt::endl
            << QStringLiteral("ОВНС: ") << report(row.ovnsDate) << Qt::endl
            << QStringLiteral("Розсіювання: ") << report(row.calcDate) << Qt::endl;
    return 0;
}

int cmdHistory(Context& ctx, const QStringList&)
{
    ProjectHistory history(ctx.paths.programFile(QStringLiteral("aer_obj.ini")));
    for (const HistoryRow& r : history.load()) ctx.out << r.name << u'\t' << r.folder << u'\t' << r.comment << Qt::endl;
    return 0;
}

QString infoFile(Context& ctx) { return ctx.paths.programFile(QStringLiteral("Data\\INFO.FDB")); }

int cmdReference(Context& ctx, const QStringList& a)
{
    if (a[0] != QLatin1String("search")) {
        ctx.err << QStringLiteral("Невідома дія довідника: ") << a[0] << Qt::endl;
        return 2;
    }
    const QString text = a.mid(1).join(u' ');
    ref::InfoSubstData data;
    if (!data.show(infoFile(ctx))) {
        ctx.err << QStringLiteral("Помилка: довідник %1 не відкривається").arg(infoFile(ctx)) << Qt::endl;
        return 1;
    }
    if (!data.search(text)) {
        ctx.err << QStringLiteral("Речовину не знайдено: ") << text << Qt::endl;
        data.hide();
        return 1;
    }
    db::Dataset& s = data.summary();
    auto f = [&](const char* name) { return s[QLatin1String(name)].displayText(); };
    ctx.out << obj::substIdText(s[QStringLiteral("SUBST_ID")].value()) << u'\t' << f("SUBST_NAME") << u'\t'
            << QStringLiteral("ГДК макс. ") << f("GDK_MAX") << u'\t' << QStringLiteral("ГДК ден. ") << f("GDK_DAY") << u'\t'
            << QStringLiteral("ОБРВ ") << f("OBRV") << u'\t' << QStringLiteral("клас ") << f("DANGER_CLASS") << Qt::endl;
    data.hide();
    return 0;
}

int cmdState(Context& ctx, const QStringList& a)
{
    const QString folder = absolute(a[0]);
    bool ok = false;
    const int state = a[1].toInt(&ok);
    if (!ok || state < 0 || state > obj::kMaxPerspectives) {
        ctx.err << QStringLiteral("Помилка: номер стану має бути від 0 до %1").arg(obj::kMaxPerspectives) << Qt::endl;
        return 2;
    }
    if (!isProjectFolder(folder)) {
        ctx.err << QStringLiteral("Відкрити БД...: Вказана база не знайдена") << Qt::endl;
        return 1;
    }
    ctx.paths.setProjectDir(folder);
    ref::InfoSubstData subst;
    ref::InfoProdData prod;
    obj::TDataModuleObj dm(ctx.paths, subst, prod);
    dm.selectedState = [state] { return state; };
    if (!dm.OpenState(folder)) {
        QFile log(ctx.paths.programFile(QStringLiteral("log.txt")));
        const QString line = log.open(QIODevice::ReadOnly) ? codepage::fromCp1251(log.readAll()).trimmed() : QString();
        ctx.err << QStringLiteral("Помилка: стан %1 не відкрито: ").arg(state) << line << Qt::endl;
        return 1;
    }
    for (const QString& t : {obj::kProdSites, obj::kProductions, obj::kSubstances, obj::kEmissionSrc, obj::kEvolvingSrc,
                             obj::kGou, obj::kEmissionData, obj::kEvolvingData, obj::kGouData})
        ctx.out << t << u'\t' << db::Statement(dm.IBTransaction, QStringLiteral("select count(*) from ") + t).scalar().toInt() << Qt::endl;
    dm.CloseState();
    return 0;
}

int cmdMeasures(Context& ctx, const QStringList& a)
{
    const QString folder = absolute(a[0]);
    if (!isProjectFolder(folder)) {
        ctx.err << QStringLiteral("Відкрити БД...: Вказана база не знайдена") << Qt::endl;
        return 1;
    }
    const int base = obj::peekBaseYear(folder);
    const int count = int(ProjectSession::stateList(folder, base).size());
    if (count < 2) {
        showMessage(QStringLiteral("Заходи можна переглядати лише за умови наявності перспективи"), QStringLiteral("Увага"),
                    MsgIcon::Information);
        return 0;
    }
    for (const QString& line : editor::plannedMeasures(folder, base, count)) ctx.out << line << Qt::endl;
    return 0;
}

int cmdDbf(Context& ctx, const QStringList& a)
{
    dbf::TDBF t;
    try {
        t.setTableName(absolute(a[0]));
        t.Open();
    } catch (const Error& e) {
        ctx.err << QStringLiteral("Помилка: ") << QString(e.message()).replace(u'\r', u' ') << Qt::endl;
        return 1;
    }
    ctx.out << QStringLiteral("кодова сторінка: 0x%1").arg(t.codePageByte(), 2, 16, QLatin1Char('0')) << Qt::endl;
    for (int f = 1; f <= t.FieldCount(); ++f) {
        const dbf::FieldInfo i = t.fieldInfo(f);
        ctx.out << QStringLiteral("поле %1: %2 %3 %4 %5").arg(f).arg(QString::fromLatin1(i.name)).arg(QLatin1Char(i.type)).arg(i.length).arg(i.decimals)
                << Qt::endl;
    }
    ctx.out << QStringLiteral("записів: %1").arg(t.RecordCount()) << Qt::endl;
    if (t.RecordCount() > 0) t.First();
    for (int r = 0; r < t.RecordCount(); ++r) {
        QStringList cells;
        for (int f = 1; f <= t.FieldCount(); ++f) cells << t.GetFieldData(f);
        ctx.out << cells.join(u'\t') << Qt::endl;
        t.Next();
    }
    t.Close();
    return 0;
}

} // namespace

const std::vector<Command>& commands()
{
    static const std::vector<Command> table = {
        {QStringLiteral("new"), QStringLiteral("<каталог> <назва>"),
         QStringLiteral("створити проект у новому каталозі й додати його до історії"), 2, cmdNew},
        {QStringLiteral("info"), QStringLiteral("<каталог>"),
         QStringLiteral("назва, коментар, базовий рік, стани і звітні бази проекту"), 1, cmdInfo},
        {QStringLiteral("history"), QString(), QStringLiteral("перелік проектів з історії програми (назва, каталог, коментар)"), 0,
         cmdHistory},
        {QStringLiteral("reference"), QStringLiteral("search <текст>"),
         QStringLiteral("знайти речовину в довіднику за санітарним кодом або початком назви"), 2, cmdReference},
        {QStringLiteral("state"), QStringLiteral("<каталог> <n>"),
         QStringLiteral("відкрити стан n (0 - існуючий, 1..4 - перспективи), створивши його з попереднього, і показати кількість рядків таблиць"),
         2, cmdState},
        {QStringLiteral("measures"), QStringLiteral("<каталог>"),
         QStringLiteral("заплановані зміни між станами, як їх показує \"Показати заходи\""), 1, cmdMeasures},
        {QStringLiteral("dbf"), QStringLiteral("<файл.dbf>"),
         QStringLiteral("поля файлу DBF (назва, тип, довжина, десяткові знаки), кодова сторінка і всі записи"), 1, cmdDbf},
    };
    return table;
}

QString usage()
{
    QString text = QStringLiteral("Використання: aeris-batch <команда> [аргументи]\n\nКоманди:\n");
    for (const Command& c : commands())
        text += QStringLiteral("  %1 %2\n      %3\n").arg(c.name, c.arguments, c.description);
    return text;
}

int run(Context& ctx, const QStringList& args)
{
    if (args.isEmpty()) {
        ctx.err << usage();
        return 2;
    }
    if (args[0] == QLatin1String("help") || args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h")) {
        ctx.out << usage();
        return 0;
    }
    for (const Command& c : commands()) {
        if (c.name != args[0]) continue;
        const QStringList rest = args.mid(1);
        if (rest.size() < c.minArgs) {
            ctx.err << QStringLiteral("Замало аргументів: aeris-batch %1 %2").arg(c.name, c.arguments) << Qt::endl;
            return 2;
        }
        try {
            return c.run(ctx, rest);
        } catch (const Error& e) {
            ctx.err << QStringLiteral("Помилка: ") << e.message() << Qt::endl;
            return 1;
        }
    }
    ctx.err << QStringLiteral("Невідома команда: ") << args[0] << Qt::endl << usage();
    return 2;
}

} // namespace aeris::batch
