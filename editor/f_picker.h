#pragma once
// What the four pickers share: the dataset a caller assigns, the modal results (1 picked,
// 2 cancelled, 4 "show the other list"), a hidden button that is both the default and the
// cancel button, the "Повний перелік" box and a navigator.

#include <QDialog>
#include <functional>

class QCheckBox;
class QToolButton;
class QHBoxLayout;

namespace aeris {

namespace db {
class Dataset;
}

class PickerForm : public QDialog {
    Q_OBJECT
public:
    enum Result { Picked = 1, Cancelled = 2, OtherList = 4 };

    PickerForm(const QString& caption, QWidget* parent);

    virtual void SetListSource(db::Dataset* ds);
    db::Dataset* listSource() const { return m_ds; }
    // Shows the picker modally and returns 1, 2 or 4.
    int pick();
    // How the picker is shown; tests act in place of the user.
    std::function<int(PickerForm&)> runModal = [](PickerForm& p) { return p.exec(); };

    void rowPicked() { done(Picked); }
    void reject() override { done(Cancelled); }

    QCheckBox* CheckBoxAll = nullptr; // "Повний перелік" (not in the source picker)
    QToolButton* NavFirst = nullptr;
    QToolButton* NavPrior = nullptr;
    QToolButton* NavNext = nullptr;
    QToolButton* NavLast = nullptr;
    QToolButton* NavDelete = nullptr;

protected:
    void addFullListBox(QHBoxLayout* row);
    void addNavigator(QHBoxLayout* row);
    // Called when "Повний перелік" is toggled, before the picker closes with result 4.
    virtual void fullListToggled(bool on);

private:
    db::Dataset* m_ds = nullptr;
};

} // namespace aeris
