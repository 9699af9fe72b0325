#pragma once
// The substance reference window "Речовини": the summary as cards with the details of the
// current substance, and one page per editable table.

#include "u_refdata.h"

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QListView;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace aeris {

class DataGrid;
namespace db {
class DatasetModel;
}

class TFormInfoSubst : public QWidget {
    Q_OBJECT
public:
    explicit TFormInfoSubst(ref::InfoSubstData& data, QWidget* parent = nullptr);
    ~TFormInfoSubst() override;

    ref::InfoSubstData& data() { return m_data; }
    // Connects and opens everything (nothing when shown already); the file is the program
    // folder's Data\INFO.FDB.
    void showData(const QString& infoFile);
    bool isShown() const { return m_data.isShown(); }

    void SpeedButtonSaveClick();
    void SpeedButtonFindClick();

    QLabel* LabelHead = nullptr;
    QToolButton* SpeedButtonSave = nullptr;
    QLineEdit* EditFind = nullptr;
    QToolButton* SpeedButtonFind = nullptr;
    QTabWidget* PageControl = nullptr;
    QListView* DBCtrlGrid = nullptr;
    QRadioButton* RadioButtonGdk = nullptr;
    QRadioButton* RadioButton2TP = nullptr;
    std::vector<DataGrid*> tableGrids;
    // The details of the current substance, by field name.
    QLineEdit* detail(const QString& field) const;
    // The field the cards show as the name.
    const QString& cardNameField() const { return m_cardName; }

protected:
    void hideEvent(QHideEvent* e) override;

private:
    void refreshDetails();
    void bindAll();

    ref::InfoSubstData& m_data;
    std::unique_ptr<db::DatasetModel> m_summaryModel;
    std::vector<std::pair<QString, QLineEdit*>> m_details;
    QString m_cardName = QStringLiteral("SUBST_NAME");
};

} // namespace aeris
