#pragma once
// The source, production and summation-group pickers.

#include "f_picker.h"

namespace aeris {

class DataGrid;
class TileView;

// "Вибір джерела": sources as tiles of their numbers and as a list.
class TFormSelSrc : public PickerForm {
    Q_OBJECT
public:
    explicit TFormSelSrc(QWidget* parent = nullptr);
    void SetListSource(db::Dataset* ds) override;
    TileView* TileGrid = nullptr;
    DataGrid* ListGrid = nullptr;
};

// "Вибір виробництв": productions as a list, with the full reference on demand.
class TFormSelPro : public PickerForm {
    Q_OBJECT
public:
    explicit TFormSelPro(QWidget* parent = nullptr);
    void SetListSource(db::Dataset* ds) override;
    DataGrid* ListGrid = nullptr;

protected:
    void fullListToggled(bool on) override;
};

// "Вибір груп сумацій": summation groups with their members.
class TFormSelSum : public PickerForm {
    Q_OBJECT
public:
    explicit TFormSelSum(QWidget* parent = nullptr);
    void SetListSource(db::Dataset* ds) override;
    DataGrid* ListGrid = nullptr;
};

} // namespace aeris
