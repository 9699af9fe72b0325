#pragma once
// RTF documents from templates. A template written in a word processor is copied to the
// project's output folder with its placeholders replaced by the values of the document's
// datasets and its marked parts repeated per record; the finished document is opened with the
// desktop's application for RTF. The engine works on the files as byte streams, with forward
// searches and block copies, so a table of any length streams straight into the output.
//
// Settings carried by the datasets: a dataset's tag 1 means table mode ("*TABLE*" rows), any
// other field mode. In table mode a field's tag is the 1-based position of the field that
// groups it (its own position: a group key); in field mode tag 1 is a value, 11 a value
// followed by a separator skipped after the last record, 2 a JPEG picture path, −n a section
// filled from slot n. In field mode the field's display label names its placeholder "*label*"
// ("-": act at the current position).

#include <QByteArray>
#include <QFile>
#include <QString>
#include <map>

namespace aeris {
class AppPaths;
namespace db {
class Dataset;
}
} // namespace aeris

namespace aeris::rtf {

// Escapes code-page-1251 text for RTF: bytes from 0x80 as \'hh, line breaks as \par, the
// apostrophe as \rquote, backslash and braces so that they show literally.
QByteArray rtfEscape(const QByteArray& cp1251);
QByteArray rtfEscape(const QString& text);

// The first occurrence of `text` at or after `offset`, searched in 1000-byte blocks (twice,
// shifted by 500 bytes, so that an occurrence across a block boundary is found); −1 if none.
qint64 findInFile(QFile& file, qint64 offset, const QByteArray& text);
// Appends bytes [from, to) of `source` to `target` in 1000-byte blocks.
void copyFileRange(QFile& source, QIODevice& target, qint64 from, qint64 to);

// Numbered dataset slots: 0 the main dataset, 1, 2, ... those sections refer to.
class DocumentDatasets {
public:
    void set(int slot, db::Dataset* ds) { m_slots[slot] = ds; }
    db::Dataset* get(int slot) const
    {
        auto it = m_slots.find(slot);
        return it == m_slots.end() ? nullptr : it->second;
    }
    void clear() { m_slots.clear(); }

private:
    std::map<int, db::Dataset*> m_slots;
};

class DocumentEngine {
public:
    explicit DocumentEngine(AppPaths& paths) : m_paths(paths) {}
    DocumentDatasets& datasets() { return m_datasets; }

    // Produces <project>/out/<name>.rtf from Template/<name>.rtf and opens it. False when the
    // document could not be produced (the user has been told why).
    bool GenerateDocument(const QString& name);

    QString outputPath(const QString& name) const;

private:
    void prepareTemplate(QFile& templ, QIODevice& scratch);
    qint64 fillSection(int slot, qint64 position, const QByteArray& marker);
    void writePicture(const QString& path);
    QByteArray fieldText(const db::Dataset& ds, int fieldIndex) const;
    qint64 find(qint64 from, const QByteArray& text, qint64 limit = -1);
    void copy(qint64 from, qint64 to);
    void write(const QByteArray& bytes);

    AppPaths& m_paths;
    DocumentDatasets m_datasets;
    QFile* m_in = nullptr;     // the scratch copy
    QIODevice* m_out = nullptr;
    std::map<int, QByteArray> m_lastPrinted; // per field slot: the last value printed (table mode)
};

} // namespace aeris::rtf
