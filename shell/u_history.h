#pragma once
// The history of projects, "aer_obj.ini" in the program folder: one section per project
// folder, in the order the projects entered it, each with the key "added". The page lists
// the rows newest first.

#include <QDate>
#include <QList>
#include <QString>

namespace aeris {

struct HistoryRow {
    QString name;       // from the project's aer_dat.ini
    QString folder;     // the section name, exactly as opened
    QString comment;
    QString inventDate; // last change of aer.dat/invent.fdb, "" when absent
    QString ovnsDate;
    QString calcDate;
};

class ProjectHistory {
public:
    explicit ProjectHistory(QString iniPath) : m_iniPath(std::move(iniPath)) {}
    const QString& iniPath() const { return m_iniPath; }

    // Re-reads the file: rows newest first; sections of folders that are no longer projects
    // (no aer.dat/aer_dat.ini) are erased from the file.
    const QList<HistoryRow>& load();
    const QList<HistoryRow>& rows() const { return m_rows; }
    int indexOf(const QString& folder) const; // exact comparison; -1 when absent

    // Adds a row at the top and a section with today's date, unless the folder is listed.
    void add(const QString& folder, const QString& name);
    // Erases a folder's section and row (the folder itself stays).
    void remove(const QString& folder);
    // Erases every section.
    void clear();
    // Writes a one-line comment into the project's aer_dat.ini and into its row.
    void setComment(int row, const QString& comment);

    static HistoryRow rowFor(const QString& folder, const QString& name, const QString& comment);
    static QString shortDate(const QDate& date);

private:
    QString m_iniPath;
    QList<HistoryRow> m_rows;
};

// Files of a project folder.
QString projectIniPath(const QString& folder); // <folder>/aer.dat/aer_dat.ini
bool isProjectFolder(const QString& folder);   // <folder>/aer.dat exists
inline const QString kNoComment = QStringLiteral("(коментарів немає)");

} // namespace aeris
