#include "f_year.h"

#include "u_yearcheck.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace aeris {

TFormYear::TFormYear(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("Введіть рік..."));
    auto* layout = new QVBoxLayout(this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    ButtonOk = new QPushButton(QStringLiteral("Ок"), this);
    ButtonOk->setDefault(true);
    layout->addWidget(Edit1);
    layout->addWidget(ButtonOk);
    connect(ButtonOk, &QPushButton::clicked, this, &TFormYear::okClick);
}

void TFormYear::okClick()
{
    const YearCheck c = checkYear(Edit1->text());
    if (!c.ok) {
        seams().messages->inform(c.message, c.caption, c.icon);
        return;
    }
    m_year = c.year;
    done(QDialog::Accepted);
}

} // namespace aeris
