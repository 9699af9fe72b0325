#pragma once
// The table viewer's grid, without widgets: header rows set by a report module, one data row
// per record of the module's dataset with repeated group values blanked, the row operations,
// copying as text or RTF, pasting RTF tables, finding, and saving the grid back into the
// dataset by the module's keys.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace aeris {
namespace db {
class Dataset;
class Transaction;
} // namespace db
} // namespace aeris

namespace aeris::reports {

inline constexpr int kMaxColumns = 50;

class TableGrid;

// What a report module does for the viewer; table numbers are the module's own.
class ReportModule {
public:
    virtual ~ReportModule() = default;
    // Sets the dataset, captions, header rows, widths and the three settings per column.
    virtual void DefineTable(int number, TableGrid& grid) = 0;
    // Positions the dataset on the record of a grid row (50 texts): 1 found, 0 none, −(c+1)
    // when the text of key column c is empty.
    virtual int LocateRow(int number, const QStringList& texts) = 0;
    virtual void InitNewRow(int number) {}
    // Ends the module's transaction without committing, starts a new one, reopens the dataset.
    virtual void Reload(int number) = 0;
    virtual void PickForCell(int number, int column, TableGrid& grid) {}
    virtual void PrintTable(int number) {}
    virtual void SelectResultOption(int code) {}
    // The transaction the dataset writes through (committed by a save).
    virtual db::Transaction* transaction() = 0;
};

struct Selection {
    int left = 0, top = 0, right = 0, bottom = 0;
};

class TableGrid {
public:
    TableGrid();

    // ---- set by the module's DefineTable
    db::Dataset* dataset = nullptr;
    QString labelHead, labelTitle, labelRight;
    std::array<QString, kMaxColumns> fieldNames;
    std::array<std::uint32_t, kMaxColumns> headerMask{};
    std::array<int, kMaxColumns> groupColumn{};
    std::vector<int> columnWidths;
    std::vector<int> headerHeights;
    bool insertEnabled = true, appendEnabled = true, deleteEnabled = true;
    bool optionsVisible = false;
    QStringList optionItems;

    // Header rows: row count (header rows + 1), fixed rows, columns; then header texts.
    void setShape(int rowCount, int fixedRows, int colCount);
    void setHeader(int row, int col, const QString& text) { m_cells[size_t(row)][size_t(col)] = text; }
    void reset(); // an empty grid with default column slots

    // ---- contents
    int rowCount() const { return int(m_cells.size()); }
    int colCount() const { return m_cols; }
    int fixedRows() const { return m_fixed; }
    int firstDataRow() const { return m_fixed; }
    const QString& cell(int col, int row) const { return m_cells[size_t(row)][size_t(col)]; }
    void setCell(int col, int row, const QString& text); // an edit: marks the grid changed
    void putCell(int col, int row, const QString& text) { m_cells[size_t(row)][size_t(col)] = text; }

    int errorRow = -1;
    int errorCol = 0;
    bool modified = false;
    int editedRow = 0;

    // Rows whose height must be measured again (their content may have shrunk).
    std::vector<int> takeRowsToRemeasure();

    // ---- operations
    void FillGrid();
    void InsertRowsBefore(const Selection& s);
    void InsertRowsAfter(const Selection& s);
    void DeleteRows(const Selection& s);
    void ClearCells(const Selection& s); // the Delete key outside the editor
    // Cut: copies, then deletes whole rows or empties the cells.
    struct Clip {
        QString text;          // one cell: plain text
        QByteArray rtf;        // a block: RTF only, in the viewer's own minimal form
        QByteArray desktopRtf; // the same block as desktop word processors paste it as a table
    };
    Clip CopySelection(const Selection& s) const;
    Clip Cut(const Selection& s);
    // Pastes the clipboard's contents at the selection (plain text into one cell, RTF tables
    // cell by cell, clipped to the selection when it is larger than one cell).
    void PasteClipboard(const QString& plain, const QByteArray& rtf, const Selection& s);
    // The next cell after (col,row) whose text contains `text` (ignoring case), wrapping;
    // false when none.
    bool Find(const QString& text, int& col, int& row) const;

    enum class SaveResult { Saved, Stopped, ApplyFailed };
    // Writes the grid into the dataset and the database; messages through the seams.
    // `selectCell` receives the cell to select when the save stops at a cell.
    SaveResult SaveTable(ReportModule& module, int number, int* selectCol = nullptr, int* selectRow = nullptr);

    // The texts of a data row with the group values restored from the rows above.
    QStringList completedRow(int row, const QStringList& previous) const;

    // Word wrap for drawing: lines longer than maxCol characters are broken after a space, a
    // hyphen or one of the lower-case vowels і є ї а е и о у ю я.
    static QString wrap(const QString& text, int maxCol);
    // Whether the bottom edge of data cell (col,row) gets a line (groups are separated).
    bool dataBottomLine(int col, int row) const;

    // Decodes RTF table text into cells: rows of cells (line breaks as CR LF).
    static std::vector<QStringList> decodeRtfTable(const QByteArray& rtf);

private:
    void clearRow(int row);
    std::vector<std::vector<QString>> m_cells;
    int m_cols = 0;
    int m_fixed = 0;
    std::vector<int> m_remeasure;
};

} // namespace aeris::reports
