#include "u_project.h"

#include "u_baseyear.h"
#include "u_error.h"
#include "u_files.h"
#include "u_ini.h"
#include "u_objschema.h"
#include "u_paths.h"
#include "u_seams.h"

#include <QDir>
#include <QFileInfo>

namespace aeris {
namespace {
const QString kNoProject = QStringLiteral("Проект не обрано");
const QString kObject = QStringLiteral("OBJECT");
} // namespace

ProjectSession::ProjectSession(AppPaths& paths, QObject* parent)
    : QObject(parent), m_paths(paths), m_history(paths.programFile(QStringLiteral("aer_obj.ini"))), m_name(kNoProject)
{
}

QString ProjectSession::caption() const
{
    if (!isOpen()) return QStringLiteral("АЕРІС");
    return QStringLiteral("АЕРІС - ") + m_name + u' ' + m_path;
}

QString ProjectSession::readProjectName(const QString& folder)
{
    return IniFile(projectIniPath(folder)).readString(kObject, QStringLiteral("name"));
}

QString ProjectSession::readProjectComment(const QString& folder)
{
    return IniFile(projectIniPath(folder)).readString(kObject, QStringLiteral("comment"));
}

void ProjectSession::setStates(const QStringList& items, int selected)
{
    m_states = items;
    m_selectedState = items.isEmpty() ? 0 : std::clamp(selected, 0, int(items.size()) - 1);
    emit statesChanged();
}

QStringList ProjectSession::stateList(const QString& folder, int baseYear)
{
    QStringList states{QStringLiteral("Існуюч. стан: %1").arg(baseYear)};
    for (int n = 1; n <= obj::kMaxPerspectives; ++n) {
        if (!files::existsNoCase(folder, obj::kProjectDataDir + u'/' + obj::stateFileName(n))) break;
        states << QStringLiteral("Перспектива: %1").arg(baseYear + n);
    }
    return states;
}

void ProjectSession::setSelectedState(int index)
{
    if (index < 0 || index >= m_states.size() || index == m_selectedState) return;
    m_selectedState = index;
    emit statesChanged();
}

bool ProjectSession::closeProject()
{
    if (isOpen()) {
        const Answer a = seams().messages->show(QStringLiteral("Ви дійсно бажаєте закрити об'єкт?"),
                                                QStringLiteral("Закрити БД об'єкта?"), MsgIcon::Question,
                                                BtnYes | BtnNo | BtnCancel);
        if (a != Answer::Yes) return false;
    }
    m_path.clear();
    m_name = kNoProject;
    m_paths.setProjectDir(QString());
    m_states.clear();
    m_selectedState = 0;
    emit statesChanged();
    emit projectChanged();
    return true;
}

bool ProjectSession::createProject(const QString& folder, const QString& name)
{
    if (!closeProject()) return false;
    if (folder.isEmpty()) return false;
    // The folder must be new and its parent must exist.
    const QFileInfo info(folder);
    if (info.exists() || !QDir(info.absolutePath()).exists() || !QDir().mkdir(folder)) return false;
    const QString data = QDir(folder).filePath(obj::kProjectDataDir);
    if (!QDir().mkdir(data)) {
        showMessage(QStringLiteral("Помилка при створенні каталогу БД"), QStringLiteral("Помилка"), MsgIcon::Warning);
        return false;
    }
    try {
        IniFile ini(QDir(data).filePath(obj::kProjectIni));
        IniDocument doc;
        doc.setValue(kObject, QStringLiteral("name"), name);
        doc.setValue(kObject, QStringLiteral("comment"), kNoComment);
        ini.save(doc);
    } catch (const IoError&) {
        showMessage(QStringLiteral("Помилка при створенні каталогу БД"), QStringLiteral("Помилка"), MsgIcon::Warning);
        return false;
    }
    return true;
}

void ProjectSession::refreshStates()
{
    m_states.clear();
    if (isOpen()) m_states = stateList(m_path, obj::getBaseYear(m_path));
    m_selectedState = std::min<int>(m_selectedState, std::max<int>(0, int(m_states.size()) - 1));
    emit statesChanged();
}

bool ProjectSession::openProject(const QString& folder)
{
    if (!closeProject()) return false;
    if (!isProjectFolder(folder)) {
        showMessage(QStringLiteral("Вказана база не знайдена"), QStringLiteral("Відкрити БД..."), MsgIcon::Warning);
        return false;
    }
    m_path = folder;
    m_name = readProjectName(folder);
    m_paths.setProjectDir(folder);
    try {
        m_history.add(folder, m_name);
    } catch (const IoError&) {
        // The program folder may be read-only; the project opens all the same.
    }
    m_selectedState = 0;
    refreshStates();
    emit projectChanged();
    return true;
}

bool ProjectSession::saveProjectCopy(const QString& newFolder, const QString& newName, const QString& oldFolder,
                                     const CopyProgress& progress)
{
    if (newFolder == oldFolder) return false;
    if (!createProject(newFolder, newName)) return false;
    bool ok = copyFolderTree(oldFolder, newFolder, true, progress);
    if (ok) {
        try {
            IniFile(projectIniPath(newFolder)).writeString(kObject, QStringLiteral("name"), newName);
        } catch (const IoError&) {
            ok = false;
        }
    }
    if (!ok) {
        // The partial copy stays where it is; the user learns that it is incomplete.
        showMessage(QStringLiteral("Не вдалося скопіювати об'єкт повністю. Частково скопійовані файли залишено в каталозі ") +
                        newFolder,
                    QStringLiteral("Помилка при копіюваннні"), MsgIcon::Warning);
    }
    return ok;
}

} // namespace aeris
