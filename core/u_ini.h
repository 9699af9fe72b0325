#pragma once
// Windows-style ini files with profile semantics: sections and keys are matched without regard
// to letter case, values are read as they stand after the '=' (surrounding blanks and one pair of
// enclosing quotes removed), lines that are neither a section nor a key are kept untouched, and
// the file is in code page 1251 on disk. A missing file reads as empty; it is created by the
// first write. Every write goes through a temporary file and a rename, so an interrupted write
// never leaves a half-written file.

#include <QString>
#include <QStringList>
#include <vector>

namespace aeris {

// The parsed content of one ini text, with its unrecognised lines preserved.
class IniDocument {
public:
    static IniDocument parse(const QString& text);
    QString serialize() const;

    bool hasSection(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;
    QString value(const QString& section, const QString& key, const QString& fallback = {}) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void removeKey(const QString& section, const QString& key);
    void removeSection(const QString& section);
    QStringList sections() const;              // in file order
    QStringList keys(const QString& section) const;

private:
    struct Line {
        QString raw;        // the line as read (for lines that are not keys)
        QString key;        // empty for non-key lines
        QString value;
    };
    struct Section {
        QString name;       // empty for the lines before the first section header
        bool headerless = false;
        std::vector<Line> lines;
    };

    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;
    static const Line* findKey(const Section& s, const QString& key);

    std::vector<Section> m_sections;
};

// A file on disk accessed with profile semantics: each call reads the file as it is now, each
// write rewrites it at once.
class IniFile {
public:
    explicit IniFile(QString path) : m_path(std::move(path)) {}
    const QString& path() const { return m_path; }

    QString readString(const QString& section, const QString& key, const QString& fallback = {}) const;
    int readInteger(const QString& section, const QString& key, int fallback = 0) const;
    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    QStringList sections() const;
    QStringList sectionKeys(const QString& section) const;

    // Writers throw IoError when the file cannot be written; the old file then stays as it was.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void deleteKey(const QString& section, const QString& key);
    void eraseSection(const QString& section);

    IniDocument load() const;
    void save(const IniDocument& doc);

private:
    QString m_path;
};

} // namespace aeris
