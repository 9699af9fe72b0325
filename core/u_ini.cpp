#include "u_ini.h"

#include "u_codepage.h"
#include "u_error.h"
#include "u_files.h"

#include <QFile>

namespace aeris {
namespace {

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QString unquote(QString v)
{
    v = v.trimmed();
    if (v.size() >= 2 && ((v.front() == u'"' && v.back() == u'"') || (v.front() == u'\'' && v.back() == u'\'')))
        v = v.mid(1, v.size() - 2);
    return v;
}

} // namespace

IniDocument IniDocument::parse(const QString& text)
{
    IniDocument doc;
    doc.m_sections.push_back(Section{QString(), true, {}});
    QString all = text;
    all.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    all.replace(u'\r', u'\n');
    QStringList lines = all.split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast(); // the final newline
    for (const QString& raw : lines) {
        const QString t = raw.trimmed();
        if (t.startsWith(u'[')) {
            const qsizetype close = t.indexOf(u']');
            if (close > 0) {
                doc.m_sections.push_back(Section{t.mid(1, close - 1).trimmed(), false, {}});
                continue;
            }
        }
        Line line;
        line.raw = raw;
        const qsizetype eq = raw.indexOf(u'=');
        if (!t.startsWith(u';') && eq > 0 && !raw.left(eq).trimmed().isEmpty()) {
            line.key = raw.left(eq).trimmed();
            line.value = unquote(raw.mid(eq + 1));
        }
        doc.m_sections.back().lines.push_back(line);
    }
    return doc;
}

QString IniDocument::serialize() const
{
    QString out;
    for (const Section& s : m_sections) {
        if (!s.headerless) out += u'[' + s.name + QLatin1String("]\r\n");
        for (const Line& l : s.lines) {
            out += l.raw;
            out += QLatin1String("\r\n");
        }
    }
    return out;
}

IniDocument::Section* IniDocument::findSection(const QString& name)
{
    for (Section& s : m_sections)
        if (!s.headerless && sameName(s.name, name)) return &s;
    return nullptr;
}

const IniDocument::Section* IniDocument::findSection(const QString& name) const
{
    return const_cast<IniDocument*>(this)->findSection(name);
}

const IniDocument::Line* IniDocument::findKey(const Section& s, const QString& key)
{
    for (const Line& l : s.lines)
        if (!l.key.isEmpty() && sameName(l.key, key)) return &l;
    return nullptr;
}

bool IniDocument::hasSection(const QString& section) const { return findSection(section) != nullptr; }

bool IniDocument::hasKey(const QString& section, const QString& key) const
{
    const Section* s = findSection(section);
    return s && findKey(*s, key);
}

QString IniDocument::value(const QString& section, const QString& key, const QString& fallback) const
{
    const Section* s = findSection(section);
    if (!s) return fallback;
    const Line* l = findKey(*s, key);
    return l ? l->value : fallback;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& rawValue)
{
    // A line break inside a value would split the line and corrupt the file.
    QString value = rawValue;
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    Section* s = findSection(section);
    if (!s) {
        m_sections.push_back(Section{section, false, {}});
        s = &m_sections.back();
    }
    Line fresh{key + u'=' + value, key, value};
    for (Line& l : s->lines) {
        if (!l.key.isEmpty() && sameName(l.key, key)) {
            fresh.key = l.key; // keep the spelling the file already has
            fresh.raw = l.key + u'=' + value;
            l = fresh;
            return;
        }
    }
    // New keys go after the last key line so that trailing blank lines stay between sections.
    auto pos = s->lines.end();
    while (pos != s->lines.begin() && std::prev(pos)->key.isEmpty() && std::prev(pos)->raw.trimmed().isEmpty())
        --pos;
    s->lines.insert(pos, fresh);
}

void IniDocument::removeKey(const QString& section, const QString& key)
{
    Section* s = findSection(section);
    if (!s) return;
    std::erase_if(s->lines, [&](const Line& l) { return !l.key.isEmpty() && sameName(l.key, key); });
}

void IniDocument::removeSection(const QString& section)
{
    std::erase_if(m_sections, [&](const Section& s) { return !s.headerless && sameName(s.name, section); });
}

QStringList IniDocument::sections() const
{
    QStringList out;
    for (const Section& s : m_sections)
        if (!s.headerless) out << s.name;
    return out;
}

QStringList IniDocument::keys(const QString& section) const
{
    QStringList out;
    if (const Section* s = findSection(section))
        for (const Line& l : s->lines)
            if (!l.key.isEmpty()) out << l.key;
    return out;
}

IniDocument IniFile::load() const
{
    QFile f(m_path);
    if (!f.exists() || !f.open(QIODevice::ReadOnly)) return IniDocument::parse(QString());
    return IniDocument::parse(codepage::fromCp1251(f.readAll()));
}

void IniFile::save(const IniDocument& doc)
{
    files::writeFileAtomically(m_path, codepage::toCp1251(doc.serialize()));
}

QString IniFile::readString(const QString& section, const QString& key, const QString& fallback) const
{
    return load().value(section, key, fallback);
}

int IniFile::readInteger(const QString& section, const QString& key, int fallback) const
{
    QString v = readString(section, key).trimmed();
    bool ok = false;
    int n = 0;
    if (v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) n = v.mid(2).toInt(&ok, 16);
    else n = v.toInt(&ok);
    return ok ? n : fallback;
}

bool IniFile::sectionExists(const QString& section) const { return load().hasSection(section); }
bool IniFile::valueExists(const QString& section, const QString& key) const { return load().hasKey(section, key); }
QStringList IniFile::sections() const { return load().sections(); }
QStringList IniFile::sectionKeys(const QString& section) const { return load().keys(section); }

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    IniDocument doc = load();
    doc.setValue(section, key, value);
    save(doc);
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::deleteKey(const QString& section, const QString& key)
{
    IniDocument doc = load();
    if (!doc.hasKey(section, key)) return;
    doc.removeKey(section, key);
    save(doc);
}

void IniFile::eraseSection(const QString& section)
{
    IniDocument doc = load();
    if (!doc.hasSection(section)) return;
    doc.removeSection(section);
    save(doc);
}

} // namespace aeris
