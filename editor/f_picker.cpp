#include "f_picker.h"

#include "u_appexception.h"
#include "u_dataset.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace aeris {

PickerForm::PickerForm(const QString& caption, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(caption);
    // The hidden button: Enter and Escape both close the window with "cancelled".
    auto* hidden = new QPushButton(this);
    hidden->setDefault(true);
    hidden->setFixedSize(0, 0);
    connect(hidden, &QPushButton::clicked, this, [this] { done(Cancelled); });
}

void PickerForm::SetListSource(db::Dataset* ds) { m_ds = ds; }

int PickerForm::pick()
{
    if (parentWidget()) move(parentWidget()->window()->geometry().center() - rect().center());
    return runModal(*this);
}

void PickerForm::addFullListBox(QHBoxLayout* row)
{
    CheckBoxAll = new QCheckBox(QStringLiteral("Повний перелік"), this);
    CheckBoxAll->setObjectName(QStringLiteral("CheckBoxAll"));
    connect(CheckBoxAll, &QCheckBox::clicked, this, [this](bool on) {
        fullListToggled(on);
        done(OtherList);
    });
    row->addWidget(CheckBoxAll);
}

void PickerForm::fullListToggled(bool) {}

void PickerForm::addNavigator(QHBoxLayout* row)
{
    auto make = [&](QStyle::StandardPixmap icon, const char* name, std::function<void(db::Dataset&)> act) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(style()->standardIcon(icon));
        connect(b, &QToolButton::clicked, this, [this, act] {
            if (m_ds && m_ds->active())
                guardedNotify([&] {
                    act(*m_ds);
                    return true;
                });
        });
        row->addWidget(b);
        return b;
    };
    NavFirst = make(QStyle::SP_MediaSkipBackward, "NavFirst", [](db::Dataset& d) { d.first(); });
    NavPrior = make(QStyle::SP_MediaSeekBackward, "NavPrior", [](db::Dataset& d) { d.prior(); });
    NavNext = make(QStyle::SP_MediaSeekForward, "NavNext", [](db::Dataset& d) { d.next(); });
    NavLast = make(QStyle::SP_MediaSkipForward, "NavLast", [](db::Dataset& d) { d.last(); });
    NavDelete = make(QStyle::SP_TrashIcon, "NavDelete", [](db::Dataset& d) {
        if (!d.isEmpty()) d.remove();
    });
}

} // namespace aeris
