#pragma once
// The year window: a four-digit year, checked when "Ок" is pressed.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace aeris {

class TFormYear : public QDialog {
    Q_OBJECT
public:
    explicit TFormYear(QWidget* parent = nullptr);
    QLineEdit* Edit1 = nullptr;
    QPushButton* ButtonOk = nullptr;
    int year() const { return m_year; }
    // "Ок": closes with the result 1 for a year from 1000 to 9999, otherwise tells why.
    void okClick();

private:
    int m_year = 0;
};

} // namespace aeris
