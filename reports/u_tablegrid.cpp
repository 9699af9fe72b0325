#include "u_tablegrid.h"

#include "genrtf.h"
#include "u_codepage.h"
#include "u_dataset.h"
#include "u_error.h"
#include "u_seams.h"

#include <QLocale>
#include <algorithm>

namespace aeris::reports {
namespace {

const QString kSaveCaption = QStringLiteral("Помилка при збереженні");

QString trimControls(const QString& s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && s[a].unicode() <= 0x20) ++a;
    while (b > a && s[b - 1].unicode() <= 0x20) --b;
    return s.mid(a, b - a);
}

bool isBreakChar(QChar c)
{
    static const QString breaks = QStringLiteral(" -ієїаеиоуюя");
    return breaks.contains(c);
}

} // namespace

TableGrid::TableGrid() { reset(); }

void TableGrid::reset()
{
    m_cells.clear();
    m_cols = 0;
    m_fixed = 0;
    fieldNames.fill(QString());
    headerMask.fill(0);
    groupColumn.fill(0);
    columnWidths.clear();
    headerHeights.clear();
    labelHead.clear();
    labelTitle.clear();
    labelRight.clear();
    errorRow = -1;
    errorCol = 0;
    modified = false;
    editedRow = 0;
    optionsVisible = false;
    optionItems.clear();
}

void TableGrid::setShape(int rowCount, int fixedRows, int colCount)
{
    m_cols = std::clamp(colCount, 0, kMaxColumns);
    m_fixed = std::max(0, fixedRows);
    m_cells.assign(size_t(std::max(rowCount, m_fixed + 1)), std::vector<QString>(size_t(m_cols)));
    columnWidths.resize(size_t(m_cols), 64);
    headerHeights.resize(size_t(m_fixed), 20);
}

void TableGrid::clearRow(int row)
{
    std::fill(m_cells[size_t(row)].begin(), m_cells[size_t(row)].end(), QString());
    m_remeasure.push_back(row);
}

void TableGrid::setCell(int col, int row, const QString& text)
{
    m_cells[size_t(row)][size_t(col)] = text;
    editedRow = row;
    modified = true;
}

std::vector<int> TableGrid::takeRowsToRemeasure()
{
    std::vector<int> out;
    out.swap(m_remeasure);
    return out;
}

void TableGrid::FillGrid()
{
    m_cells.resize(size_t(m_fixed + 1));
    clearRow(m_fixed);
    errorRow = -1;
    errorCol = 0;
    modified = false;
    if (!dataset) return;
    if (!dataset->active()) dataset->open();
    // Fields are looked up once, not per record.
    std::vector<int> fields(size_t(m_cols), -1);
    for (int c = 0; c < m_cols; ++c)
        if (const db::Field* f = fieldNames[size_t(c)].isEmpty() ? nullptr : dataset->findField(fieldNames[size_t(c)])) fields[size_t(c)] = f->index();
    const int count = dataset->recordCount();
    if (count > 0) dataset->first();
    m_cells.resize(size_t(m_fixed + std::max(1, count)), std::vector<QString>(size_t(m_cols)));
    for (int r = 0; r < count; ++r) {
        auto& row = m_cells[size_t(m_fixed + r)];
        for (int c = 0; c < m_cols; ++c)
            row[size_t(c)] = fields[size_t(c)] >= 0 ? trimControls(dataset->displayTextAt(r, fields[size_t(c)])) : QString();
    }
    // A key column repeats its value only where a key column to its left changed.
    const int first = m_fixed, last = rowCount() - 1;
    int prevKey = 0;
    for (int c = 0; c < m_cols; ++c) {
        if (groupColumn[size_t(c)] != c) continue;
        QString current = cell(c, first);
        for (int r = first + 1; r <= last; ++r) {
            if (cell(c, r) == current) {
                if (c == 0 || cell(prevKey, r).isEmpty()) putCell(c, r, QString());
            } else {
                current = cell(c, r);
            }
        }
        prevKey = c;
    }
    for (int c = 0; c < m_cols; ++c) {
        const int g = groupColumn[size_t(c)];
        if (g == c || g < 0 || g >= m_cols) continue;
        for (int r = first + 1; r <= last; ++r)
            if (cell(g, r).isEmpty()) putCell(c, r, QString());
    }
}

void TableGrid::InsertRowsBefore(const Selection& s)
{
    const int n = s.bottom - s.top + 1;
    const int top = std::max(s.top, m_fixed);
    m_cells.insert(m_cells.begin() + top, size_t(n), std::vector<QString>(size_t(m_cols)));
    for (int r = top; r < rowCount(); ++r) m_remeasure.push_back(r);
    modified = true;
}

void TableGrid::InsertRowsAfter(const Selection& s)
{
    const int n = s.bottom - s.top + 1;
    const int at = std::min(s.bottom + 1, rowCount());
    m_cells.insert(m_cells.begin() + at, size_t(n), std::vector<QString>(size_t(m_cols)));
    for (int r = at; r < rowCount(); ++r) m_remeasure.push_back(r);
    modified = true;
}

void TableGrid::DeleteRows(const Selection& s)
{
    const int top = std::max(s.top, m_fixed);
    const int bottom = std::min(s.bottom, rowCount() - 1);
    if (top > bottom) return;
    if (top == m_fixed && bottom == rowCount() - 1) {
        m_cells.resize(size_t(m_fixed + 1));
        clearRow(m_fixed);
        return; // Modified stays as it was
    }
    m_cells.erase(m_cells.begin() + top, m_cells.begin() + bottom + 1);
    for (int r = top; r < rowCount(); ++r) m_remeasure.push_back(r);
    modified = true;
}

void TableGrid::ClearCells(const Selection& s)
{
    for (int r = std::max(s.top, m_fixed); r <= s.bottom && r < rowCount(); ++r) {
        for (int c = s.left; c <= s.right && c < m_cols; ++c) putCell(c, r, QString());
        m_remeasure.push_back(r);
    }
    modified = true;
}

TableGrid::Clip TableGrid::CopySelection(const Selection& s) const
{
    Clip clip;
    if (s.left == s.right && s.top == s.bottom) {
        clip.text = cell(s.left, s.top);
        return clip;
    }
    QByteArray rtf = "{\\rtf ";
    for (int r = s.top; r <= s.bottom; ++r) {
        rtf += "\\trowd ";
        for (int c = s.left; c <= s.right; ++c) {
            rtf += rtf::rtfEscape(cell(c, r));
            rtf += "\\cell ";
        }
        rtf += "\\row ";
    }
    rtf += "}";
    clip.rtf = rtf;
    // Word processors make a table of rows only with cell boundaries and "in table" paragraphs,
    // and read the letters in the document's code page.
    QByteArray desk = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}\\f0\\fs20 ";
    QByteArray bounds = "\\trowd";
    int right = 0;
    for (int c = s.left; c <= s.right; ++c) {
        right += 15 * (c < int(columnWidths.size()) ? std::max(20, columnWidths[size_t(c)]) : 64);
        bounds += "\\cellx" + QByteArray::number(right);
    }
    for (int r = s.top; r <= s.bottom; ++r) {
        desk += bounds + " \\pard\\intbl ";
        for (int c = s.left; c <= s.right; ++c) desk += rtf::rtfEscape(cell(c, r)) + "\\cell ";
        desk += "\\row ";
    }
    desk += "\\pard\\par}";
    clip.desktopRtf = desk;
    return clip;
}

TableGrid::Clip TableGrid::Cut(const Selection& s)
{
    Clip clip = CopySelection(s);
    if (s.left == 0 && s.right == m_cols - 1) DeleteRows(s);
    else ClearCells(s);
    return clip;
}

std::vector<QStringList> TableGrid::decodeRtfTable(const QByteArray& rtf)
{
    enum Kind { Char, Cell, Row, Par };
    struct Token {
        Kind kind;
        QChar ch;
    };
    std::vector<Token> tokens;
    const qsizetype start = rtf.indexOf("\\trowd", 1);
    if (start < 0) return {};
    const qsizetype n = rtf.size();
    auto isHex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); };
    // Desktop programs write letters outside the document's code page as \uN followed by a
    // fallback of \ucN characters (one by default); the fallback is skipped.
    int ucCount = 1;
    int skip = 0;
    auto put = [&](QChar ch) {
        if (skip > 0) {
            --skip;
            return;
        }
        tokens.push_back({Char, ch});
    };
    for (qsizetype i = start + 6; i < n;) {
        const char c = rtf[i];
        if (c == '{' || c == '}' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            put(codepage::fromCp1251(QByteArray(1, c)).front());
            ++i;
            continue;
        }
        if (i + 1 >= n) break; // a stray backslash at the end
        const char next = rtf[i + 1];
        if (next == '\\' || next == '{' || next == '}') {
            put(QLatin1Char(next));
            i += 2;
            continue;
        }
        if (next == '\'') {
            if (i + 3 < n && isHex(rtf[i + 2]) && isHex(rtf[i + 3])) {
                put(codepage::fromCp1251(QByteArray(1, char(rtf.mid(i + 2, 2).toInt(nullptr, 16)))).front());
                i += 4;
            } else {
                i += 2;
            }
            continue;
        }
        qsizetype j = i + 1;
        while (j < n && ((rtf[j] >= 'a' && rtf[j] <= 'z') || (rtf[j] >= 'A' && rtf[j] <= 'Z'))) ++j;
        if (j == i + 1) {
            i += 2; // a control symbol such as \~ or \-
            continue;
        }
        const QByteArray word = rtf.mid(i + 1, j - i - 1);
        const bool delimited = j >= n || rtf[j] == ' ' || rtf[j] == '\\' || rtf[j] == '{' || rtf[j] == '}' || rtf[j] == '\r' ||
                               rtf[j] == '\n';
        const qsizetype paramStart = j;
        if (j < n && (rtf[j] == '-' || (rtf[j] >= '0' && rtf[j] <= '9'))) {
            ++j;
            while (j < n && rtf[j] >= '0' && rtf[j] <= '9') ++j; // the parameter goes with the word
        }
        const QByteArray param = rtf.mid(paramStart, j - paramStart);
        if (delimited) {
            if (word == "cell") tokens.push_back({Cell, {}});
            else if (word == "row") tokens.push_back({Row, {}});
            else if (word == "par") tokens.push_back({Par, {}});
            else if (word == "rquote") put(QLatin1Char('\''));
        } else if (word == "u" && !param.isEmpty()) {
            int code = param.toInt();
            if (code < 0) code += 65536;
            put(QChar(char16_t(code)));
            skip = ucCount;
        } else if (word == "uc" && !param.isEmpty()) {
            ucCount = std::max(0, param.toInt());
        }
        if (j < n && rtf[j] == ' ') ++j;
        i = j;
    }
    // Everything after the last row separator is not a whole row.
    auto lastRow = std::find_if(tokens.rbegin(), tokens.rend(), [](const Token& t) { return t.kind == Row; });
    if (lastRow == tokens.rend()) return {};
    tokens.erase(lastRow.base(), tokens.end());
    std::vector<QStringList> rows(1);
    QString text;
    for (const Token& t : tokens) {
        switch (t.kind) {
        case Char: text += t.ch; break;
        case Par: text += QLatin1String("\r\n"); break;
        case Cell:
            rows.back() << text;
            text.clear();
            break;
        case Row:
            // Text after the last cell of a row (rare) counts as one more cell.
            if (!text.trimmed().isEmpty()) rows.back() << text;
            text.clear();
            rows.emplace_back();
            break;
        }
    }
    rows.pop_back();
    return rows;
}

void TableGrid::PasteClipboard(const QString& plain, const QByteArray& rtf, const Selection& s)
{
    const std::vector<QStringList> rows = rtf.isEmpty() ? std::vector<QStringList>() : decodeRtfTable(rtf);
    if (rows.empty()) {
        if (!plain.isEmpty() && s.top < rowCount() && s.left < m_cols) putCell(s.left, s.top, plain);
        m_remeasure.push_back(s.top);
        return;
    }
    const int lastCol = s.right > s.left ? std::min(s.right, m_cols - 1) : m_cols - 1;
    const int lastRowAllowed = s.bottom > s.top ? s.bottom : INT_MAX;
    int row = s.top;
    for (const QStringList& cells : rows) {
        if (row > lastRowAllowed) break;
        if (row >= rowCount()) m_cells.emplace_back(size_t(m_cols)); // the block grows the grid downwards
        int col = s.left;
        for (const QString& text : cells) {
            if (col > lastCol) break;
            putCell(col, row, text.trimmed());
            ++col;
        }
        m_remeasure.push_back(row);
        ++row;
    }
}

bool TableGrid::Find(const QString& raw, int& col, int& row) const
{
    const QString text = raw.toLower();
    if (text.isEmpty()) return false;
    auto matches = [&](int c, int r) { return cell(c, r).toLower().contains(text); };
    for (int c = col + 1; c < m_cols; ++c)
        if (matches(c, row)) { col = c; return true; }
    for (int r = row + 1; r < rowCount(); ++r)
        for (int c = 0; c < m_cols; ++c)
            if (matches(c, r)) { col = c; row = r; return true; }
    for (int r = m_fixed; r <= row && r < rowCount(); ++r)
        for (int c = 0; c < m_cols; ++c)
            if (matches(c, r)) { col = c; row = r; return true; }
    return false;
}

QStringList TableGrid::completedRow(int row, const QStringList& previous) const
{
    QStringList texts = previous;
    while (texts.size() < kMaxColumns) texts << QString();
    // Once a column of this row has its group value, the cells right of it are taken as they
    // stand; before that a blank group cell means "as in the row above". (Counting from −1:
    // a value in column 0 counts too.)
    int lastKeyCol = -1;
    for (int c = 0; c < m_cols; ++c) {
        const int g = std::clamp(groupColumn[size_t(c)], 0, m_cols - 1);
        if (!cell(g, row).isEmpty()) {
            texts[c] = cell(c, row);
            lastKeyCol = c;
        } else if (lastKeyCol >= 0) {
            texts[c] = cell(c, row);
        }
    }
    return texts;
}

TableGrid::SaveResult TableGrid::SaveTable(ReportModule& module, int number, int* selectCol, int* selectRow)
{
    db::Dataset& ds = *dataset;
    if (!ds.active()) ds.open();
    const bool emptyGrid = rowCount() == m_fixed + 1 &&
                           std::all_of(m_cells[size_t(m_fixed)].begin(), m_cells[size_t(m_fixed)].end(), [](const QString& t) { return t.isEmpty(); });
    auto stopAt = [&](int c, int r, const QString& message) {
        if (selectCol) *selectCol = c;
        if (selectRow) *selectRow = r;
        errorRow = r;
        errorCol = c;
        showMessage(message, kSaveCaption, MsgIcon::Error);
        return SaveResult::Stopped;
    };
    if (emptyGrid) {
        for (int r = ds.recordCount(); r >= 1; --r) {
            ds.setRecNo(r);
            ds.remove();
        }
    } else {
        // Records the grid posts in this save; the others are deleted afterwards.
        std::vector<bool> posted(size_t(ds.recordCount()), false);
        const QChar sep = QLocale().decimalPoint().front();
        QStringList previous;
        for (int r = m_fixed; r < rowCount(); ++r) {
            const QStringList texts = completedRow(r, previous);
            previous = texts;
            int located = 0;
            try {
                located = module.LocateRow(number, texts);
                if (located < 0) return stopAt(-located - 1, r, QStringLiteral("Ключові поля не заповнено"));
                if (located == 1) {
                    if (ds.recNo() - 1 < int(posted.size())) posted[size_t(ds.recNo() - 1)] = true;
                    ds.edit();
                } else {
                    ds.append();
                }
                module.InitNewRow(number);
            } catch (const Error&) {
                ds.cancel();
                return stopAt(0, r, QStringLiteral("Поле заповнене некоректно"));
            }
            for (int c = 0; c < m_cols; ++c) {
                if (fieldNames[size_t(c)].isEmpty()) continue;
                try {
                    db::Field& f = ds.field(fieldNames[size_t(c)]);
                    QString text = texts[c];
                    if (f.type() == db::FieldType::Double) text.replace(u',', sep).replace(u'.', sep);
                    f.setText(text);
                } catch (const Error&) {
                    ds.cancel();
                    return stopAt(c, r, QStringLiteral("Поле заповнене некоректно"));
                }
            }
            try {
                ds.post();
            } catch (const Error&) {
                ds.cancel();
                showMessage(QStringLiteral("Помилка в ключових полях"), kSaveCaption, MsgIcon::Error);
                return SaveResult::Stopped;
            }
        }
        // From the end, so that the positions of the records still to visit stay as they were.
        for (int r = int(posted.size()); r >= 1; --r) {
            if (posted[size_t(r - 1)]) continue;
            if (r > ds.recordCount() || ds.updateStatusAt(r - 1) != db::UpdateStatus::Unchanged) continue;
            ds.setRecNo(r);
            ds.remove();
        }
    }
    if (ds.updatesPending()) {
        db::Transaction* tra = module.transaction();
        try {
            ds.applyUpdates(false);
            if (tra) tra->commit();
            ds.commitUpdates();
        } catch (const Error& e) {
            const QString m = e.message();
            showMessage(m.contains(QLatin1String("FOREIGN"))   ? QStringLiteral("Посилання на код елементу, якого не існує")
                        : m.contains(QLatin1String("PRIMARY")) ? QStringLiteral("Помилка у ключових полях")
                                                               : QStringLiteral("Збереження таблиці до БД не відбулося"),
                        kSaveCaption, MsgIcon::Error);
            module.Reload(number);
            return SaveResult::ApplyFailed;
        }
        module.Reload(number);
        FillGrid();
    }
    errorRow = -1;
    errorCol = 0;
    modified = false;
    return SaveResult::Saved;
}

QString TableGrid::wrap(const QString& text, int maxCol)
{
    if (maxCol <= 0) return text;
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList out;
    for (QString line : t.split(u'\n')) {
        while (line.size() > maxCol) {
            int cut = -1;
            for (int i = maxCol - 1; i >= 0; --i)
                if (isBreakChar(line[i])) { cut = i; break; }
            if (cut < 0) {
                // A word longer than the column breaks at its first break character.
                for (int i = maxCol; i < line.size() - 1; ++i)
                    if (isBreakChar(line[i])) { cut = i; break; }
                if (cut < 0) break;
            }
            out << line.left(cut + 1);
            line = line.mid(cut + 1);
        }
        out << line;
    }
    return out.join(QLatin1String("\r\n"));
}

bool TableGrid::dataBottomLine(int col, int row) const
{
    if (row >= rowCount() - 1) return true;
    const int g = std::clamp(groupColumn[size_t(col)], 0, m_cols - 1);
    if (!cell(g, row + 1).isEmpty()) return true;
    for (int k = col; k < m_cols; ++k)
        if (groupColumn[size_t(k)] == k && !cell(k, row + 1).isEmpty()) return false;
    return true;
}

} // namespace aeris::reports
