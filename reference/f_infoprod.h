#pragma once
// The production reference window "Виробництва": the summary list and a page per table.

#include "u_refdata.h"

#include <QWidget>

class QLabel;
class QTabWidget;
class QToolButton;

namespace aeris {

class DataGrid;

class TFormInfoProd : public QWidget {
    Q_OBJECT
public:
    explicit TFormInfoProd(ref::InfoProdData& data, QWidget* parent = nullptr);

    ref::InfoProdData& data() { return m_data; }
    void showData(const QString& infoFile);
    bool isShown() const { return m_data.isShown(); }
    void SpeedButtonSaveClick();

    QLabel* LabelHead = nullptr;
    QToolButton* SpeedButtonSave = nullptr;
    QTabWidget* PageControl = nullptr;
    DataGrid* DBGridSummary = nullptr;
    std::vector<DataGrid*> tableGrids;

protected:
    void hideEvent(QHideEvent* e) override;

private:
    ref::InfoProdData& m_data;
};

} // namespace aeris
