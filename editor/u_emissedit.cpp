#include "u_emissedit.h"

#include "d_obj.h"
#include "u_error.h"
#include "u_fbclient.h"
#include "u_files.h"
#include "u_measures.h"
#include "u_objschema.h"
#include "u_project.h"
#include "u_seams.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <numbers>

namespace aeris::editor {
namespace {

bool filled(const db::Field& f) { return !f.isNull(); }

} // namespace

EmissionEditor::EmissionEditor(ProjectSession& project, obj::TDataModuleObj& dm, QObject* parent)
    : QObject(parent), m_project(project), m_dm(dm)
{
}

void EmissionEditor::CloseObjectData()
{
    if (!ObjectDataOpen) return;
    m_dm.CloseState();
    ObjectDataOpen = false;
}

void EmissionEditor::ReopenObjectData()
{
    CloseObjectData();
    if (!m_dm.StateOpen) m_dm.OpenState(m_project.projectPath());
    RelabelStates();
    if (repaintMiniMap) repaintMiniMap();
    ObjectDataOpen = true;
}

void EmissionEditor::RelabelStates()
{
    const int base = m_dm.GetBaseYear();
    QStringList items = m_project.states();
    for (int i = 0; i < items.size(); ++i) items[i] = items[i].left(std::max<qsizetype>(0, items[i].size() - 4)) + QString::number(base + i);
    m_project.setStates(items, m_project.selectedState());
}

void EmissionEditor::SaveAll()
{
    for (db::Dataset* ds : m_dm.editableDatasets()) m_dm.SaveDataset(*ds);
    const QVariant site = m_dm.IBQueryEmisSrc.active() ? m_dm.IBQueryEmisSrc[QStringLiteral("SITE_ID")].value() : QVariant();
    const QVariant src = m_dm.IBQueryEmisSrc.active() ? m_dm.IBQueryEmisSrc[QStringLiteral("EMISSRC_ID")].value() : QVariant();
    ReopenObjectData();
    if (m_dm.IBQueryEmisSrc.active() && site.isValid())
        m_dm.IBQueryEmisSrc.locate(obj::kKeyEmissionSrc, {site, src});
}

void EmissionEditor::ComboBoxPersChange(int index)
{
    CloseObjectData();
    m_project.setSelectedState(index);
    ReopenObjectData();
}

void EmissionEditor::addPerspective()
{
    QStringList items = m_project.states();
    if (items.isEmpty() || items.size() >= 1 + obj::kMaxPerspectives) return;
    items << QStringLiteral("Перспектива: %1").arg(m_dm.GetBaseYear() + int(items.size()));
    m_project.setStates(items, int(items.size()) - 1);
    ComboBoxPersChange(int(items.size()) - 1);
}

void EmissionEditor::deletePerspective()
{
    const QStringList items = m_project.states();
    if (items.size() < 2) {
        showMessage(QStringLiteral("Не допускається видаляти зі списку існуючий стан!"), QStringLiteral("Увага!"), MsgIcon::Error);
        return;
    }
    const int last = int(items.size()) - 1;
    const int year = m_dm.GetBaseYear() + last;
    if (!askYesNo(QStringLiteral("Видалити всі дані на перспективу стосовно %1 року?").arg(year),
                  QStringLiteral("Видалити перспективу?")))
        return;
    try {
        CloseObjectData();
        if (m_dm.StateOpen) throw Error(QStringLiteral("the state is still open"));
        const QString file = files::findNoCase(files::resolve(m_project.projectPath(), obj::kProjectDataDir), obj::stateFileName(last));
        if (QFileInfo::exists(file)) {
            // A file another program holds must not be deleted under it: attaching tells.
            db::Connection probe;
            probe.setDatabaseName(file);
            probe.connect();
            probe.disconnect();
            if (!QFile::remove(file)) throw IoError(QStringLiteral("Не вдалося видалити файл ") + file);
        }
        const int selected = m_project.selectedState();
        m_project.setStates(items.mid(0, last), selected == last ? last - 1 : selected);
        ComboBoxPersChange(m_project.selectedState());
    } catch (const Error&) {
        // Back to the existing state, which is always there.
        m_project.setSelectedState(0);
        ComboBoxPersChange(0);
    }
}

void EmissionEditor::setBaseYear(int year)
{
    m_dm.SetBaseYear(year);
    RelabelStates();
}

QStringList EmissionEditor::showMeasures()
{
    const int count = int(m_project.states().size());
    if (count < 2) {
        showMessage(QStringLiteral("Заходи можна переглядати лише за умови наявності перспективи"), QStringLiteral("Увага"),
                    MsgIcon::Information);
        return {};
    }
    return plannedMeasures(m_project.projectPath(), m_dm.GetBaseYear(), count);
}

void EmissionEditor::emissionsToEvolving()
{
    const QString sql = QStringLiteral(
        "insert into evolving_data (site_id, emissrc_id, evolsrc_id, subst_id, emis_type, mgm3, gs, kgh) "
        "select site_id, emissrc_id, 1, subst_id, emis_type, mgm3, gs, kgh from emission_data where site_id = 1");
    db::Connection conn;
    conn.setDatabaseName(files::findNoCase(files::resolve(m_project.projectPath(), obj::kProjectDataDir), obj::stateFileName(0)));
    seams().messages->show(sql, QString(), MsgIcon::None, BtnOk);
    try {
        conn.connect();
        db::Transaction tra(conn);
        tra.start();
        db::Statement(tra, sql).execute();
        tra.commitRetaining();
        tra.commit();
        conn.disconnect();
    } catch (const Error& e) {
        seams().messages->show(e.message(), QString(), MsgIcon::None, BtnOk);
    }
    ReopenObjectData();
}

void EmissionEditor::CompleteSourceGeometry()
{
    db::Dataset& src = m_dm.IBQueryEmisSrc;
    if (!src.active() || (src.isEmpty() && !src.editing())) return;
    db::Field& d = src[QStringLiteral("DIAMETER")];
    db::Field& v = src[QStringLiteral("VOLUME")];
    db::Field& s = src[QStringLiteral("SPEED")];
    constexpr double pi = std::numbers::pi_v<long double>;
    // A zero divisor ends the action silently with the row in edit mode: nothing infinite or
    // undefined is ever stored.
    auto quotient = [](double a, double b) {
        if (b == 0 || !std::isfinite(a / b)) throw db::Abort();
        return a / b;
    };
    if (filled(d)) {
        const double area = pi * d.asFloat() * d.asFloat() / 4.0;
        if (filled(v) && !filled(s)) {
            src.edit();
            s.setValue(quotient(v.asFloat(), area));
        }
        if (!filled(v) && filled(s)) {
            src.edit();
            v.setValue(s.asFloat() * area);
        }
    } else if (filled(v) && filled(s)) {
        src.edit();
        const double q = quotient(v.asFloat(), s.asFloat()) / pi;
        if (q < 0) throw db::Abort(); // no real diameter
        d.setValue(2.0 * std::sqrt(q));
    }
    db::Dataset& evol = m_dm.IBQueryEvolSrc;
    if (filled(src[QStringLiteral("SITE_ID")]) && filled(src[QStringLiteral("EMISSRC_ID")]) && evol.active() && evol.isEmpty()) {
        const QVariant site = src[QStringLiteral("SITE_ID")].value(), id = src[QStringLiteral("EMISSRC_ID")].value();
        const QVariant volume = v.value(), temp = src[QStringLiteral("TEMP")].value();
        evol.append();
        evol[QStringLiteral("SITE_ID")].setValue(site);
        evol[QStringLiteral("EMISSRC_ID")].setValue(id);
        evol[QStringLiteral("VENT_ID")].setValue(0);
        evol[QStringLiteral("EVOLSRC_NUM")].setValue(1);
        evol[QStringLiteral("LOAD")].setValue(1.0);
        evol[QStringLiteral("VOLUME")].setValue(volume);
        evol[QStringLiteral("TEMP")].setValue(temp);
    }
}

void EmissionEditor::CompleteEvolvingSource()
{
    db::Dataset& src = m_dm.IBQueryEmisSrc;
    db::Dataset& evol = m_dm.IBQueryEvolSrc;
    if (!src.active() || !evol.active()) return;
    if (!filled(src[QStringLiteral("SITE_ID")]) || !filled(src[QStringLiteral("EMISSRC_ID")])) return;
    const QVariant site = src[QStringLiteral("SITE_ID")].value(), id = src[QStringLiteral("EMISSRC_ID")].value();
    const QVariant volume = src[QStringLiteral("VOLUME")].value(), temp = src[QStringLiteral("TEMP")].value();
    if (evol.isEmpty()) {
        evol.append();
        evol[QStringLiteral("SITE_ID")].setValue(site);
        evol[QStringLiteral("EMISSRC_ID")].setValue(id);
    } else {
        evol.edit();
    }
    if (evol[QStringLiteral("VENT_ID")].isNull()) evol[QStringLiteral("VENT_ID")].setValue(0);
    if (evol[QStringLiteral("EVOLSRC_NUM")].isNull()) evol[QStringLiteral("EVOLSRC_NUM")].setValue(1);
    if (evol[QStringLiteral("LOAD")].isNull()) evol[QStringLiteral("LOAD")].setValue(1.0);
    evol[QStringLiteral("VOLUME")].setValue(volume);
    evol[QStringLiteral("TEMP")].setValue(temp);
}

} // namespace aeris::editor
