#pragma once
// "Вибір речовин": substances as tiles (codes) and as a list of tiles (codes and names), with
// the incremental search by code or name.

#include "f_picker.h"

namespace aeris {

class TileView;

class TFormSelSubst : public PickerForm {
    Q_OBJECT
public:
    explicit TFormSelSubst(QWidget* parent = nullptr);
    void SetListSource(db::Dataset* ds) override;

    TileView* TileGrid = nullptr;
    TileView* ListGrid = nullptr;
    QCheckBox* CheckBox2TP = nullptr; // "Обирати назву за 2-ТП"
    const QString& searchText() const { return m_search; }

    // A key typed in a tile grid: characters extend the search, Backspace shortens it.
    void searchKey(const QString& text, int key);
    // The Delete key in the list grid: the search starts over at the first row.
    void clearSearch();

protected:
    void fullListToggled(bool on) override;

private:
    void applySearch();
    QString m_search; // kept between uses
};

} // namespace aeris
