#include "genrtf.h"

#include "u_codepage.h"
#include "u_dataset.h"
#include "u_error.h"
#include "u_files.h"
#include "u_paths.h"
#include "u_seams.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace aeris::rtf {
namespace {

constexpr qint64 kBlock = 1000;
constexpr qint64 kPlaceholderLimit = 1000;

const char* const kHex = "0123456789abcdef";

void appendHex(QByteArray& out, unsigned char b)
{
    out.append(kHex[b >> 4]);
    out.append(kHex[b & 15]);
}

} // namespace

QByteArray rtfEscape(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 4);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            out.append("\\'");
            appendHex(out, c);
        } else if (c == '\n') {
            out.append("\\par ");
            if (i + 1 < text.size() && text[i + 1] == '\r') ++i;
        } else if (c == '\r') {
            out.append("\\par ");
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\'') {
            out.append("\\rquote ");
        } else if (c == '\\') {
            out.append("\\\\");
        } else if (c == '{') {
            out.append("\\'7b");
        } else if (c == '}') {
            out.append("\\'7d");
        } else {
            out.append(char(c));
        }
    }
    return out;
}

QByteArray rtfEscape(const QString& text) { return rtfEscape(codepage::toCp1251(text)); }

qint64 findInFile(QFile& file, qint64 offset, const QByteArray& text)
{
    if (text.isEmpty()) return offset;
    const qint64 size = file.size();
    auto pass = [&](qint64 start) -> qint64 {
        // Blocks overlap by the length of the text, so nothing is missed at a boundary; the
        // second pass of the classic method is then a cross-check only.
        for (qint64 pos = start; pos < size; pos += kBlock) {
            if (!file.seek(pos)) return -1;
            const QByteArray block = file.read(kBlock + text.size() - 1);
            const qsizetype at = block.indexOf(text);
            if (at >= 0) return pos + at;
            if (block.size() < text.size()) break;
        }
        return -1;
    };
    const qint64 first = pass(offset);
    const qint64 second = pass(offset + kBlock / 2);
    if (first < 0) return second;
    if (second < 0) return first;
    return std::min(first, second);
}

void copyFileRange(QFile& source, QIODevice& target, qint64 from, qint64 to)
{
    if (to <= from) return;
    if (!source.seek(from)) throw IoError(QStringLiteral("cannot read ") + source.fileName());
    for (qint64 pos = from; pos < to;) {
        const QByteArray block = source.read(std::min(kBlock, to - pos));
        if (block.isEmpty()) break;
        if (target.write(block) != block.size()) throw IoError(QStringLiteral("cannot write the document"));
        pos += block.size();
    }
}

QString DocumentEngine::outputPath(const QString& name) const
{
    return QDir(m_paths.outDir()).filePath(name + QStringLiteral(".rtf"));
}

qint64 DocumentEngine::find(qint64 from, const QByteArray& text, qint64 limit)
{
    const qint64 at = findInFile(*m_in, from, text);
    if (at < 0 || (limit >= 0 && at + text.size() > limit)) return -1;
    return at;
}

void DocumentEngine::copy(qint64 from, qint64 to) { copyFileRange(*m_in, *m_out, from, to); }

void DocumentEngine::write(const QByteArray& bytes)
{
    if (m_out->write(bytes) != bytes.size()) throw IoError(QStringLiteral("cannot write the document"));
}

void DocumentEngine::prepareTemplate(QFile& templ, QIODevice& scratch)
{
    // A placeholder whose name begins with a non-ASCII letter is written "*\'hh..." and may be
    // broken over lines: inside it every line break is removed.
    const qint64 size = templ.size();
    qint64 pos = 0;
    auto next = [&](qint64 from) {
        qint64 best = -1;
        for (const QByteArray& opening : {QByteArray("*\\'"), QByteArray("*\r\n\\'"), QByteArray("*\n\\'")}) {
            const qint64 at = findInFile(templ, from, opening);
            if (at >= 0 && (best < 0 || at < best)) best = at;
        }
        return best;
    };
    while (pos < size) {
        const qint64 open = next(pos);
        if (open < 0) break;
        copyFileRange(templ, scratch, pos, open);
        const qint64 close = findInFile(templ, open + 1, "*");
        if (close < 0 || close - open > kPlaceholderLimit) {
            // Not a placeholder within the limit: the asterisk stays as it is.
            copyFileRange(templ, scratch, open, open + 1);
            pos = open + 1;
            continue;
        }
        if (!templ.seek(open)) throw IoError(QStringLiteral("cannot read the template"));
        QByteArray placeholder = templ.read(close - open + 1);
        placeholder.replace("\r", "").replace("\n", "");
        scratch.write(placeholder);
        pos = close + 1;
    }
    copyFileRange(templ, scratch, pos, size);
}

QByteArray DocumentEngine::fieldText(const db::Dataset& ds, int fieldIndex) const
{
    const db::Field& f = ds.field(fieldIndex);
    const QString text = f.type() == db::FieldType::TextBlob ? f.asString() : f.displayText();
    return rtfEscape(text.trimmed());
}

void DocumentEngine::writePicture(const QString& path)
{
    QFile pic(path);
    if (path.isEmpty() || !pic.open(QIODevice::ReadOnly)) return;
    write("{\\pict\\jpegblip\\picwgoal9984\\pichgoal12488\\picscalex100\\picscaley100 ");
    for (;;) {
        const QByteArray block = pic.read(kBlock);
        if (block.isEmpty()) break;
        write(block.toHex());
    }
    write("}");
}

qint64 DocumentEngine::fillSection(int slot, qint64 position, const QByteArray& sectionMarker)
{
    db::Dataset* d = m_datasets.get(slot);
    qint64 s = position;
    if (!d) return s;
    QByteArray marker = sectionMarker;
    qint64 a = -1, b = -1;
    if (!marker.isEmpty()) {
        a = find(s, marker);
        if (a < 0) return s;
        b = find(a + marker.size(), marker);
        if (b < 0) return s;
        copy(s, a);
        s = a + marker.size();
    }
    // Datasets the engine opens it closes again; those its caller had open stay open.
    const bool opened = !d->active();
    if (opened) d->open();
    struct Closer {
        db::Dataset* d;
        bool opened;
        ~Closer()
        {
            try {
                if (opened) d->close();
            } catch (...) {
                // Closing a dataset the engine read: nothing to save, nothing to report.
            }
        }
    } closer{d, opened};
    if (!d->isEmpty()) {
        d->last();
        d->first();
    }
    if (d->isEmpty() && !marker.isEmpty()) return b + marker.size();

    if (d->tag() == 1) {
        marker = "*TABLE*";
        a = find(s, marker);
        if (a < 0) return s;
        b = find(a + marker.size(), marker);
        if (b < 0) return s;
        copy(s, a);
        s = a + marker.size();
        // The rest of the paragraph of the first marker goes.
        const qint64 par = find(s, "\\par", b);
        if (par >= 0) s = par + 4;
        std::vector<int> cols;
        for (int i = 0; i < d->fieldCount(); ++i)
            if (d->field(i).tag() > 0) cols.push_back(i);
        const int count = d->recordCount();
        for (int rec = 0; rec < count; ++rec) {
            d->setRecNo(rec + 1);
            std::vector<bool> suppressed(cols.size(), false);
            QByteArray keyText;
            int prevTag = 0;
            for (size_t i = 0; i < cols.size(); ++i) {
                const int tag = d->field(cols[i]).tag();
                const int k = tag - 1;
                if (k < 0 || k >= d->fieldCount()) continue;
                if (tag != prevTag) keyText = fieldText(*d, k);
                prevTag = tag;
                if (rec == 0) continue;
                const auto last = m_lastPrinted.find(tag);
                if (last == m_lastPrinted.end() || keyText != last->second) continue;
                if (k == cols[i]) {
                    suppressed[i] = i == 0 ? true : suppressed[i - 1];
                } else {
                    const auto it = std::find(cols.begin(), cols.end(), k);
                    suppressed[i] = it != cols.end() && size_t(it - cols.begin()) < i ? suppressed[size_t(it - cols.begin())] : false;
                }
            }
            qint64 r = s;
            const bool lastRecord = rec == count - 1;
            for (size_t i = 0; i < cols.size(); ++i) {
                if (suppressed[i]) {
                    const qint64 top = find(r, "\\clbrdrt", b);
                    if (top < 0) break;
                    copy(r, top);
                    r = top + 8;
                }
                if (!lastRecord) {
                    const qint64 bottom = find(r, "\\clbrdrb", b);
                    if (bottom < 0) break;
                    copy(r, bottom);
                    r = bottom + 8;
                }
            }
            for (size_t i = 0; i < cols.size(); ++i) {
                const qint64 c1 = find(r, "\\cell\\", b);
                const qint64 c2 = find(r, "\\cell ", b);
                const qint64 cell = c1 < 0 ? c2 : c2 < 0 ? c1 : std::min(c1, c2);
                if (cell < 0) break;
                copy(r, cell);
                if (!suppressed[i]) {
                    const QByteArray text = fieldText(*d, cols[i]);
                    m_lastPrinted[cols[i] + 1] = text;
                    write("\\zwnj ");
                    write(text);
                }
                write("\\cell");
                r = cell + 5;
            }
            copy(r, b);
        }
        return b + 7;
    }

    // Field mode.
    std::vector<int> fields;
    for (int i = 0; i < d->fieldCount(); ++i)
        if (d->field(i).tag() != 0) fields.push_back(i);
    const int passes = marker.isEmpty() ? 1 : d->recordCount();
    qint64 r = s;
    for (int rec = 0; rec < passes; ++rec) {
        if (!d->isEmpty()) d->setRecNo(rec + 1);
        const bool lastRecord = rec == passes - 1;
        r = s;
        for (int fi : fields) {
            const db::Field& f = d->field(fi);
            const QString label = f.hasOwnLabel() ? f.displayLabel() : QString();
            const QByteArray p = f.hasOwnLabel() ? rtfEscape(u'*' + label + u'*') : QByteArray();
            qint64 q = r;
            if (label != QLatin1String("-")) {
                q = find(r, p);
                if (q < 0) break;
                copy(r, q);
            }
            const int tag = f.tag();
            if (tag == 1 || tag == 11) {
                if (!d->isEmpty()) write(fieldText(*d, fi));
                r = q + (label == QLatin1String("-") ? 0 : p.size());
                if (tag == 11 && lastRecord && !marker.isEmpty()) r = b;
            } else if (tag == 2) {
                if (!d->isEmpty()) writePicture(f.asString().trimmed());
                r = q + (label == QLatin1String("-") ? 0 : p.size());
            } else if (tag < 0) {
                const QByteArray sub = (label == QLatin1String("-") || p == "*-*") ? QByteArray() : p;
                r = fillSection(-tag, q, sub);
            }
        }
        if (!marker.isEmpty()) copy(r, b);
    }
    return marker.isEmpty() ? r : b + marker.size();
}

bool DocumentEngine::GenerateDocument(const QString& name)
{
    const QString outDir = m_paths.outDir();
    const QString output = outputPath(name);
    const QString scratchPath = QDir(outDir).filePath(QStringLiteral("~") + name + QStringLiteral(".scratch"));
    const QString templPath = m_paths.programFile(QStringLiteral("Template\\") + name + QStringLiteral(".rtf"));

    QDir().mkpath(outDir);
    // A word processor that has the previous report open holds a lock file beside it.
    const bool lockedByEditor = QFileInfo::exists(QDir(outDir).filePath(QStringLiteral(".~lock.") + name + QStringLiteral(".rtf#")));
    QSaveFile out(output);
    if (lockedByEditor || !out.open(QIODevice::WriteOnly)) {
        showMessage(QStringLiteral("Неможливо створити вихідний файл. Якщо попередній звіт відкрито - закрийте його та повторіть спробу ще раз."),
                    QStringLiteral("Помилка"), MsgIcon::Error);
        if (QFileInfo::exists(output)) seams().desktop->openDocument(output);
        return false;
    }
    m_lastPrinted.clear();
    try {
        QFile templ(templPath);
        QFile scratch(scratchPath);
        if (templ.open(QIODevice::ReadOnly) && scratch.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
            prepareTemplate(templ, scratch);
            scratch.flush();
            m_in = &scratch;
            m_out = &out;
            const qint64 p = fillSection(0, 0, QByteArray());
            copy(p, scratch.size());
        }
        m_in = nullptr;
        m_out = nullptr;
        scratch.close();
        QFile::remove(scratchPath);
        if (!out.commit()) throw IoError(QStringLiteral("cannot write ") + output);
    } catch (const std::exception&) {
        m_in = nullptr;
        m_out = nullptr;
        out.cancelWriting();
        QFile::remove(scratchPath);
        showMessage(QStringLiteral("Помилка при формуванні звіту"), QStringLiteral("Вихідні документи"), MsgIcon::Error);
        return false;
    }
    if (QFileInfo::exists(output)) seams().desktop->openDocument(output);
    return true;
}

} // namespace aeris::rtf
