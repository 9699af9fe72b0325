#include "d_obj.h"

#include "u_baseyear.h"
#include "u_codepage.h"
#include "u_error.h"
#include "u_files.h"
#include "u_objschema.h"
#include "u_paths.h"
#include "u_refdata.h"
#include "u_seams.h"
#include "u_srctype.h"
#include "u_substcode.h"

#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <cmath>

namespace aeris::obj {
namespace {

const QString kDeleteQuestion = QStringLiteral(
    "Ви впевнені, що бажаєте видалити запис? Уся інформація у базі, пов'язана з ним, буде також видалена!");

void defineDataset(db::Dataset& ds, db::Transaction& tra, const char* name, const char* sql, const QString& table,
                   const QString& keys)
{
    ds.setName(QString::fromLatin1(name));
    ds.setTransaction(&tra);
    ds.setSql(QString::fromUtf8(sql));
    if (!table.isEmpty()) ds.setUpdateTable(table, keys);
}

// Substance codes are shown "00412 / 301" and typed in any form that parses.
void substanceCodeConversion(db::Field& f)
{
    f.onGetText = [](const db::Field& fl, bool) { return substIdText(fl.value()); };
    f.onSetText = [](db::Field& fl, const QString& text) {
        if (text.trimmed().isEmpty()) return; // an empty entry leaves the code as it was
        const auto id = parseSubstId(text);
        if (!id) throw db::DatasetError(QStringLiteral("'%1' is not a valid substance code").arg(text));
        fl.setValue(qlonglong(*id));
    };
}

void confirmDelete(db::Dataset&)
{
    if (seams().messages->show(kDeleteQuestion, QStringLiteral("Увага!"), MsgIcon::Question, BtnYes | BtnNo) != Answer::Yes)
        throw db::Abort();
}

} // namespace

TDataModuleObj::TDataModuleObj(AppPaths& paths, ref::ReferenceData& substRef, ref::ReferenceData& prodRef, QObject* parent)
    : QObject(parent), m_paths(paths), m_substRef(substRef), m_prodRef(prodRef)
{
    IBDatabase.setParams(db::standardConnectParams());
    // Errors instead of waits: one user, and a lock held elsewhere must not freeze the window.
    IBTransaction.setOptions(db::TxReadCommitted | db::TxRecVersion | db::TxNoWait);
    setupDatasets();
}

TDataModuleObj::~TDataModuleObj()
{
    // The datasets go before their details' handlers could save into a closed database.
    for (db::Dataset* ds : editableDatasets()) {
        ds->beforeClose = nullptr;
        ds->beforeOpen = nullptr;
    }
}

QString TDataModuleObj::infoFile() const { return m_paths.programFile(QStringLiteral("Data\\INFO.FDB")); }

std::vector<db::Dataset*> TDataModuleObj::editableDatasets()
{
    return {&IBQuerySites, &IBQueryPro, &IBQuerySubst, &IBQueryEmisSrc, &IBQueryEvolSrc,
            &IBQueryGou, &IBQueryEmisData, &IBQueryEvolData, &IBQueryGouData};
}

void TDataModuleObj::setupDatasets()
{
    auto withType = [](const QString& keys) { return keys + QStringLiteral(";EMIS_TYPE"); };
    defineDataset(IBQuerySites, IBTransaction, "IBQuerySites", "select * from PROD_SITES order by SITE_ID", kProdSites, kKeyProdSites);
    defineDataset(IBQueryPro, IBTransaction, "IBQueryPro", "select * from PRODUCTIONS order by PROD_ID", kProductions, kKeyProductions);
    defineDataset(IBQuerySubst, IBTransaction, "IBQuerySubst", "select s.* from SUBSTANCES s order by s.SUBST_ID", kSubstances, kKeySubstances);
    defineDataset(IBQueryEmisSrc, IBTransaction, "IBQueryEmisSrc", "select e.* from EMISSION_SRC e order by e.site_id, e.emissrc_id",
                  kEmissionSrc, kKeyEmissionSrc);
    defineDataset(IBQueryEvolSrc, IBTransaction, "IBQueryEvolSrc",
                  "select v.* from EVOLVING_SRC v where v.site_id = :site_id and v.emissrc_id = :emissrc_id order by v.site_id, v.emissrc_id, v.evolsrc_id",
                  kEvolvingSrc, kKeyEvolvingSrc);
    defineDataset(IBQueryGou, IBTransaction, "IBQueryGou",
                  "select g.* from GOU g where g.site_id = :site_id and g.emissrc_id = :emissrc_id order by g.site_id, g.emissrc_id, g.chain_pos, g.vent_id",
                  kGou, kKeyGou);
    defineDataset(IBQueryEmisData, IBTransaction, "IBQueryEmisData",
                  "select d.* from EMISSION_DATA d where d.site_id = :site_id and d.emissrc_id = :emissrc_id and d.emis_type = 0 order by d.site_id, d.emissrc_id, d.subst_id, d.emis_type",
                  kEmissionData, withType(kKeyEmissionData));
    defineDataset(IBQueryEvolData, IBTransaction, "IBQueryEvolData",
                  "select d.* from EVOLVING_DATA d where d.site_id = :site_id and d.emissrc_id = :emissrc_id and d.evolsrc_id = :evolsrc_id and d.emis_type = 0 order by d.site_id, d.emissrc_id, d.evolsrc_id, d.subst_id, d.emis_type",
                  kEvolvingData, withType(kKeyEvolvingData));
    defineDataset(IBQueryGouData, IBTransaction, "IBQueryGouData",
                  "select d.* from GOU_DATA d where d.site_id = :site_id and d.emissrc_id = :emissrc_id and d.chain_pos = :chain_pos and d.vent_id = :vent_id and d.emis_type = 0 order by d.site_id, d.emissrc_id, d.chain_pos, d.vent_id, d.subst_id, d.emis_type",
                  kGouData, withType(kKeyGouData));
    defineDataset(IBQuerySrc, IBTransaction, "IBQuerySrc",
                  "select site_id, emissrc_id, x1, y1, x2, y2, angle, emissrc_type from EMISSION_SRC order by site_id, emissrc_id",
                  QString(), QString());
    defineDataset(IBQuerySelSubstAll, m_substRef.transaction(), "IBQuerySelSubstAll", "select * from SUBST", QString(), QString());
    defineDataset(IBQuerySelProAll, m_prodRef.transaction(), "IBQuerySelProAll", "select PROD_ID, PROD_NAME from PROD", QString(), QString());

    IBQueryEvolSrc.setMaster(&IBQueryEmisSrc);
    IBQueryGou.setMaster(&IBQueryEmisSrc);
    IBQueryEmisData.setMaster(&IBQueryEmisSrc);
    IBQueryEvolData.setMaster(&IBQueryEvolSrc);
    IBQueryGouData.setMaster(&IBQueryGou);

    // Field conversions.
    db::Field& type = IBQueryEmisSrc.declareField(QStringLiteral("EMISSRC_TYPE"));
    type.onGetText = [](const db::Field& f, bool) { return sourceTypeText(f.value()); };
    type.onSetText = [](db::Field& f, const QString& text) { f.setValue(sourceTypeFromText(text)); };
    for (db::Dataset* ds : {&IBQueryEmisData, &IBQueryEvolData, &IBQueryGouData, &IBQuerySubst})
        substanceCodeConversion(ds->declareField(QStringLiteral("SUBST_ID")));

    // The substance list as the substance picker reads it.
    IBQuerySubst.addCalculatedField(QStringLiteral("SUBST_2TP_ID"), db::FieldType::Integer).setDisplayFormat(QStringLiteral("00000"));
    IBQuerySubst.addCalculatedField(QStringLiteral("SUBST_GDK_ID"), db::FieldType::Integer);
    IBQuerySubst.addCalculatedField(QStringLiteral("SUBST_2TP_NAME"), db::FieldType::Text, 255);
    IBQuerySubst.addCalculatedField(QStringLiteral("SUBST_GDK_NAME"), db::FieldType::Text, 255);
    IBQuerySubst.onCalcFields = [](db::Dataset& d) {
        const QVariant id = d[QStringLiteral("SUBST_ID")].value();
        if (id.isValid() && !id.isNull()) {
            const qint64 v = id.toLongLong();
            if (tp2Part(v) > 0) d[QStringLiteral("SUBST_2TP_ID")].setValue(int(tp2Part(v)));
            if (gdkPart(v) > 0) d[QStringLiteral("SUBST_GDK_ID")].setValue(int(gdkPart(v)));
        }
        d[QStringLiteral("SUBST_GDK_NAME")].setValue(d[QStringLiteral("SUBST_NAME")].value());
    };

    // Saving moments: a master row reaches the database before any row below it is entered,
    // and a detail list is saved as soon as it is left.
    auto saveSource = [this](db::Dataset&) { SaveDataset(IBQueryEmisSrc); };
    for (db::Dataset* ds : {&IBQueryEvolSrc, &IBQueryGou, &IBQueryEmisData}) {
        ds->beforeEdit = saveSource;
        ds->beforeInsert = saveSource;
    }
    auto saveEvol = [this](db::Dataset&) {
        SaveDataset(IBQueryEmisSrc);
        SaveDataset(IBQueryEvolSrc);
    };
    IBQueryEvolData.beforeEdit = saveEvol;
    IBQueryEvolData.beforeInsert = saveEvol;
    auto saveGou = [this](db::Dataset&) {
        SaveDataset(IBQueryEmisSrc);
        SaveDataset(IBQueryGou);
    };
    IBQueryGouData.beforeInsert = saveGou;
    IBQueryGouData.beforeOpen = saveGou;
    for (db::Dataset* ds : {&IBQueryEvolSrc, &IBQueryGou, &IBQueryEmisData, &IBQueryEvolData, &IBQueryGouData})
        ds->beforeClose = [this](db::Dataset& d) { SaveDataset(d); };

    // New-row defaults; count + 1 is the number of rows before the new one, plus one.
    IBQueryEmisSrc.afterInsert = [this](db::Dataset& d) {
        d[QStringLiteral("SITE_ID")].setValue(IBQuerySites.active() ? IBQuerySites[QStringLiteral("SITE_ID")].asInteger() : 0);
        d[QStringLiteral("EMISSRC_ID")].setValue(d.recordCount());
    };
    IBQueryEvolSrc.afterInsert = [this](db::Dataset& d) {
        d[QStringLiteral("SITE_ID")].setValue(IBQueryEmisSrc[QStringLiteral("SITE_ID")].asInteger());
        d[QStringLiteral("EMISSRC_ID")].setValue(IBQueryEmisSrc[QStringLiteral("EMISSRC_ID")].asInteger());
        d[QStringLiteral("EVOLSRC_ID")].setValue(d.recordCount());
        d[QStringLiteral("PROD_ID")].setValue(IBQueryPro.active() ? IBQueryPro[QStringLiteral("PROD_ID")].asInteger() : 0);
    };
    IBQueryGou.afterInsert = [this](db::Dataset& d) {
        d[QStringLiteral("SITE_ID")].setValue(IBQueryEmisSrc[QStringLiteral("SITE_ID")].asInteger());
        d[QStringLiteral("EMISSRC_ID")].setValue(IBQueryEmisSrc[QStringLiteral("EMISSRC_ID")].asInteger());
        d[QStringLiteral("CHAIN_POS")].setValue(d.recordCount());
        d[QStringLiteral("VENT_ID")].setValue(0);
    };
    IBQueryEmisData.afterInsert = [this](db::Dataset& d) {
        d[QStringLiteral("SITE_ID")].setValue(IBQueryEmisSrc[QStringLiteral("SITE_ID")].asInteger());
        d[QStringLiteral("EMISSRC_ID")].setValue(IBQueryEmisSrc[QStringLiteral("EMISSRC_ID")].asInteger());
        d[QStringLiteral("EMIS_TYPE")].setValue(0);
    };
    IBQueryEvolData.afterInsert = [this](db::Dataset& d) {
        for (const char* k : {"SITE_ID", "EMISSRC_ID", "EVOLSRC_ID"})
            d[QLatin1String(k)].setValue(IBQueryEvolSrc[QLatin1String(k)].asInteger());
        d[QStringLiteral("EMIS_TYPE")].setValue(0);
    };
    IBQueryGouData.afterInsert = [this](db::Dataset& d) {
        for (const char* k : {"SITE_ID", "EMISSRC_ID", "VENT_ID", "CHAIN_POS"})
            d[QLatin1String(k)].setValue(IBQueryGou[QLatin1String(k)].asInteger());
        d[QStringLiteral("EMIS_TYPE")].setValue(0);
    };

    // Names left empty in the object come from the reference.
    IBQuerySubst.afterOpen = [this](db::Dataset& d) {
        try {
            fillNamesFromReference(d, QStringLiteral("SUBST_ID"), QStringLiteral("SUBST_NAME"), substanceReference(),
                                   QStringLiteral("SUBST_ID"), QStringLiteral("SUBST_NAME"));
        } catch (const Error&) {
        }
    };
    IBQueryPro.afterOpen = [this](db::Dataset& d) {
        try {
            fillNamesFromReference(d, QStringLiteral("PROD_ID"), QStringLiteral("PROD_NAME"), productionReference(),
                                   QStringLiteral("PROD_ID"), QStringLiteral("PROD_NAME"));
        } catch (const Error&) {
        }
    };
    IBQueryEmisData.afterOpen = [this](db::Dataset& d) {
        if (IBQuerySubst.active() && !d.isEmpty())
            IBQuerySubst.locate(QStringLiteral("SUBST_ID"), d[QStringLiteral("SUBST_ID")].value());
    };
    IBQueryEvolSrc.afterOpen = [this](db::Dataset& d) {
        try {
            if (IBQueryPro.active() && !d.isEmpty())
                IBQueryPro.locate(QStringLiteral("PROD_ID"), d[QStringLiteral("PROD_ID")].value());
        } catch (const Error&) {
        }
    };
    IBQueryEmisSrc.afterScroll = [this](db::Dataset& d) {
        if (d.isEmpty()) return;
        SourceMark m;
        m.id = d[QStringLiteral("EMISSRC_ID")].asInteger();
        m.x1 = d[QStringLiteral("X1")].asFloat();
        m.y1 = d[QStringLiteral("Y1")].asFloat();
        m.x2 = d[QStringLiteral("X2")].asFloat();
        m.y2 = d[QStringLiteral("Y2")].asFloat();
        m.angle = d[QStringLiteral("ANGLE")].asFloat() * M_PI / 180.0;
        m.type = d[QStringLiteral("EMISSRC_TYPE")].asInteger();
        emit currentSourceChanged(m);
    };
    for (db::Dataset* ds : {&IBQuerySubst, &IBQueryPro, &IBQuerySites}) ds->beforeDelete = confirmDelete;
}

void TDataModuleObj::fillNamesFromReference(db::Dataset& ds, const QString& idField, const QString& nameField,
                                            db::Dataset& reference, const QString& refId, const QString& refName)
{
    // One pass over the reference builds the lookup; the rows are then visited once.
    QHash<QString, QString> names;
    bool anyEmpty = false;
    for (int r = 0; r < ds.recordCount() && !anyEmpty; ++r)
        anyEmpty = ds.valueAt(r, ds[nameField].index()).toString().isEmpty();
    if (!anyEmpty) return;
    if (!reference.active()) reference.open();
    const int idCol = reference[refId].index(), nameCol = reference[refName].index();
    for (int r = reference.recordCount() - 1; r >= 0; --r) // the first row of a code wins
        names.insert(reference.valueAt(r, idCol).toString().trimmed(), reference.valueAt(r, nameCol).toString());
    const int keep = ds.recNo();
    for (int r = 0; r < ds.recordCount(); ++r) {
        if (!ds.valueAt(r, ds[nameField].index()).toString().isEmpty()) continue;
        const auto it = names.constFind(ds.valueAt(r, ds[idField].index()).toString());
        if (it == names.constEnd() || it->isEmpty()) continue;
        ds.setRecNo(r + 1);
        ds.edit();
        ds[nameField].setValue(*it);
        ds.post();
    }
    if (keep > 0) ds.setRecNo(keep);
}

db::Dataset& TDataModuleObj::substanceReference()
{
    m_substRef.ensureConnected(infoFile());
    if (!IBQuerySelSubstAll.active()) IBQuerySelSubstAll.open();
    return IBQuerySelSubstAll;
}

db::Dataset& TDataModuleObj::productionReference()
{
    m_prodRef.ensureConnected(infoFile());
    if (!IBQuerySelProAll.active()) IBQuerySelProAll.open();
    return IBQuerySelProAll;
}

int TDataModuleObj::GetBaseYear()
{
    BaseYear = getBaseYear(m_paths.projectDir());
    return BaseYear;
}

void TDataModuleObj::SetBaseYear(int year)
{
    if (year <= 0) return;
    setBaseYear(m_paths.projectDir(), year);
    BaseYear = year;
}

bool TDataModuleObj::OpenState(const QString& projectFolder)
{
    CloseState();
    QString log;
    try {
        const int k = selectedState();
        const QString dataDir = files::resolve(projectFolder, kProjectDataDir);
        QString file;
        if (k > 0) {
            file = files::findNoCase(dataDir, stateFileName(k));
            if (!QFileInfo::exists(file)) files::copyIfAbsent(files::findNoCase(dataDir, stateFileName(k - 1)), file);
        } else {
            log = QStringLiteral("Відкриття існуючого стану. ");
            file = files::findNoCase(dataDir, stateFileName(0));
            if (!QFileInfo::exists(file)) {
                files::copyIfAbsent(m_paths.programFile(QStringLiteral("Data\\OBJ.FDB")), file);
                log += QStringLiteral("Копіювання. ");
            }
            log += QStringLiteral("Шлях: ") + file + QStringLiteral(".");
        }
        IBDatabase.setDatabaseName(file);
        IBDatabase.setParams(db::standardConnectParams());
        IBDatabase.connect();
        log += QStringLiteral("Відкрито. ");
        IBTransaction.start();
        log += QStringLiteral("БД Активна. ");

        m_substRef.hide();
        m_substRef.ensureConnected(infoFile());
        log += QStringLiteral("Довідник речовин відкрито. ");
        m_prodRef.hide();
        m_prodRef.ensureConnected(infoFile());
        log += QStringLiteral("Довідник виробництв відкрито. ");

        const std::pair<db::Dataset*, const char*> steps[] = {
            {&IBQuerySubst, "Таб.речовин відкрито. "},     {&IBQueryPro, "Таб.вир-цтв відкрито. "},
            {&IBQuerySites, "Таб.проммайд. відкрито. "},  {&IBQueryEmisSrc, "Таб.джерел відкрито. "},
            {&IBQueryEvolSrc, "Таб.дж.виділення відкрито. "}, {&IBQueryGou, "Таб.ГОУ відкрито. "},
            {&IBQueryEmisData, "Таб.викидів відкрито. "}, {&IBQueryEvolData, "Таб.викидів-2 відкрито. "},
            {&IBQueryGouData, "Таб.еф.очищення відкрито. "}, {&IBQuerySelSubstAll, "Таб.вибору речовин відкрито. "},
            {&IBQuerySelProAll, "Таб.вибору вир-цтв відкрито. "},
        };
        for (const auto& [ds, text] : steps) {
            ds->open();
            log += QString::fromUtf8(text);
        }
    } catch (const Error& e) {
        if (e.message().contains(QLatin1String("WIN1251")))
            showMessage(QStringLiteral("Помилка при відкритті мовних налаштувань БД"), QStringLiteral("Помилка"), MsgIcon::None);
        QString message = e.message();
        message.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(u'\n', u' ');
        log += QStringLiteral("ПОМИЛКА. ") + message;
        try {
            files::writeFileAtomically(m_paths.programFile(QStringLiteral("log.txt")), codepage::toCp1251(log) + "\r\n");
        } catch (const IoError&) {
            // The log is a courtesy; a read-only program folder must not hide the failure.
        }
        CloseState();
        StateOpen = false;
        return false;
    }
    StateOpen = IBDatabase.connected() && IBTransaction.active();
    return StateOpen;
}

bool TDataModuleObj::CloseState()
{
    // The detail lists save themselves as they close; the lists above them only save when a
    // row below is entered. An edit of a site, production, substance or source that was typed
    // and left would vanish with the window or the state switch, so they are saved first, in
    // the editor's save order. A failed save has shown its message by then.
    if (StateOpen)
        for (db::Dataset* ds : {&IBQuerySubst, &IBQueryPro, &IBQuerySites, &IBQueryEmisSrc}) SaveDataset(*ds);
    try {
        for (db::Dataset* ds : {&IBQuerySelProAll, &IBQuerySelSubstAll, &IBQueryGouData, &IBQueryEvolData, &IBQueryEmisData,
                                &IBQueryGou, &IBQueryEvolSrc, &IBQueryEmisSrc, &IBQuerySites, &IBQueryPro, &IBQuerySubst, &IBQuerySrc})
            ds->close();
        if (IBTransaction.active()) IBTransaction.rollback();
        IBDatabase.disconnect();
        m_substRef.hide();
        m_prodRef.hide();
    } catch (const Error&) {
        return false;
    }
    StateOpen = false;
    return true;
}

void TDataModuleObj::reportApplyFailure(const QString& message)
{
    const std::pair<const QString*, const char*> tables[] = {
        {&kEmissionSrc, "Помилка при збереженні даних таблиці джерел викиду"},
        {&kEvolvingSrc, "Помилка при збереженні даних таблиці джерел виділення"},
        {&kGou, "Помилка при збереженні даних таблиці ГОУ"},
        {&kEmissionData, "Помилка при збереженні даних таблиці викидів від джерела викиду"},
        {&kEvolvingData, "Помилка при збереженні даних таблиці викидів від джерела виділення"},
        {&kGouData, "Помилка при збереженні даних таблиці ефективності очищення"},
        {&kProdSites, "Помилка при збереженні даних таблиці проммайданчиків"},
        {&kProductions, "Помилка при збереженні даних таблиці виробництв"},
        {&kSubstances, "Помилка при збереженні даних таблиці речовин"},
    };
    for (const auto& [table, text] : tables)
        if (message.contains(u'"' + *table + u'"')) showMessage(QString::fromUtf8(text), QStringLiteral("Помилка"), MsgIcon::Error);
    if (message.contains(QLatin1String("FOREIGN")))
        showMessage(QStringLiteral("Одне з полів містить посилання на елемент з іншої таблиці, якого немає в базі. "
                                   "Виправте код елемента на існуючий або спочатку додайте елемент з цим кодом до відповідної таблиці"),
                    QStringLiteral("Помилка при збереженні"), MsgIcon::Error);
    else if (message.contains(QLatin1String("violation of PRIMARY")))
        showMessage(QStringLiteral("Дублікат по ключовим полям"), QStringLiteral("Помилка при збереженні"), MsgIcon::Error);
}

bool TDataModuleObj::SaveDataset(db::Dataset& ds)
{
    if (!ds.active()) return true;
    // Posting a master reopens its details, whose handlers save the master again: the save
    // already under way is the one that counts.
    if (m_saving.contains(&ds)) return true;
    m_saving.insert(&ds);
    const auto done = qScopeGuard([&] { m_saving.remove(&ds); });
    if (ds.editing()) {
        try {
            ds.post();
        } catch (const db::Abort&) {
            return false;
        } catch (const Error& e) {
            if (e.message().contains(QLatin1String("must have a value")))
                showMessage(QStringLiteral("Ключове поле не заповнене"), QStringLiteral("Помилка збереження даних"), MsgIcon::Error);
            else
                showMessage(QStringLiteral("Помилка при збереженні даних"), QStringLiteral("Помилка"), MsgIcon::Error);
            return false;
        }
    }
    if (!ds.updatesPending()) return true;
    try {
        ds.applyUpdates(false);
        IBTransaction.commitRetaining();
        ds.commitUpdates();
    } catch (const Error& e) {
        reportApplyFailure(e.message());
        ds.cancelUpdates();
        return false;
    }
    if (&ds == &IBQueryEmisSrc && miniMapVisible()) emit sourcesSaved();
    return true;
}

} // namespace aeris::obj
