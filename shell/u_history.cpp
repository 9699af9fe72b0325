#include "u_history.h"

#include "u_files.h"
#include "u_ini.h"
#include "u_objschema.h"

#include <QDate>
#include <QFileInfo>
#include <QLocale>

namespace aeris {
namespace {

const QString kObject = QStringLiteral("OBJECT");

QString fileDate(const QString& folder, const QString& name)
{
    const QString path = files::resolve(folder, obj::kProjectDataDir + u'/' + name);
    const QFileInfo info(path);
    return info.exists() ? ProjectHistory::shortDate(info.lastModified().date()) : QString();
}

} // namespace

QString projectIniPath(const QString& folder)
{
    return files::resolve(folder, obj::kProjectDataDir + u'/' + obj::kProjectIni);
}

bool isProjectFolder(const QString& folder)
{
    return !folder.isEmpty() && QFileInfo(files::resolve(folder, obj::kProjectDataDir)).isDir();
}

QString ProjectHistory::shortDate(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

HistoryRow ProjectHistory::rowFor(const QString& folder, const QString& name, const QString& comment)
{
    return HistoryRow{name, folder, comment, fileDate(folder, QStringLiteral("invent.fdb")),
                      fileDate(folder, QStringLiteral("ovns.fdb")), fileDate(folder, QStringLiteral("calc.fdb"))};
}

const QList<HistoryRow>& ProjectHistory::load()
{
    m_rows.clear();
    IniFile ini(m_iniPath);
    IniDocument doc = ini.load();
    bool purged = false;
    for (const QString& folder : doc.sections()) {
        const QString projectIni = projectIniPath(folder);
        if (!QFileInfo(projectIni).isFile()) {
            doc.removeSection(folder);
            purged = true;
            continue;
        }
        IniFile p(projectIni);
        m_rows.prepend(rowFor(folder, p.readString(kObject, QStringLiteral("name")), p.readString(kObject, QStringLiteral("comment"))));
    }
    if (purged) ini.save(doc);
    return m_rows;
}

int ProjectHistory::indexOf(const QString& folder) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].folder == folder) return i;
    return -1;
}

void ProjectHistory::add(const QString& folder, const QString& name)
{
    if (indexOf(folder) >= 0) return;
    m_rows.prepend(rowFor(folder, name, kNoComment));
    // A folder listed in the file but not loaded yet keeps the date it entered the history.
    IniFile ini(m_iniPath);
    if (!ini.sectionExists(folder)) ini.writeString(folder, QStringLiteral("added"), shortDate(QDate::currentDate()));
}

void ProjectHistory::remove(const QString& folder)
{
    IniFile(m_iniPath).eraseSection(folder);
    const int i = indexOf(folder);
    if (i >= 0) m_rows.removeAt(i);
}

void ProjectHistory::clear()
{
    IniFile ini(m_iniPath);
    IniDocument doc = ini.load();
    for (const QString& s : doc.sections()) doc.removeSection(s);
    ini.save(doc);
    m_rows.clear();
}

void ProjectHistory::setComment(int row, const QString& comment)
{
    if (row < 0 || row >= m_rows.size()) return;
    IniFile(projectIniPath(m_rows[row].folder)).writeString(kObject, QStringLiteral("comment"), comment);
    m_rows[row].comment = comment;
}

} // namespace aeris
