#include "u_rowbuttons.h"

#include "u_appexception.h"
#include "u_datagrid.h"
#include "u_dataset.h"
#include "u_toolbutton.h"

#include <QStyle>

namespace aeris {

std::array<QToolButton*, 3> makeRowButtons(QWidget* parent, QHBoxLayout* row, db::Dataset* ds, DataGrid* grid,
                                           const char* const names[3])
{
    const std::pair<QStyle::StandardPixmap, const char*> kinds[] = {
        {QStyle::SP_ArrowUp, "Додати перед"}, {QStyle::SP_ArrowDown, "Додати після"}, {QStyle::SP_TrashIcon, "Видалити"}};
    std::array<QToolButton*, 3> out{};
    for (int k = 0; k < 3; ++k) {
        QToolButton* b = makeToolButton(parent, names[k], kinds[k].second, kinds[k].first);
        QObject::connect(b, &QToolButton::clicked, parent, [ds, k, grid] {
            guardedNotify([&] {
                if (!ds->active()) return true;
                if (k == 0) ds->insert();
                else if (k == 1) ds->append();
                else if (!ds->isEmpty() && !ds->eof()) ds->remove();
                return true;
            });
            grid->setFocus();
        });
        row->addWidget(b);
        out[size_t(k)] = b;
    }
    row->addStretch(1);
    return out;
}

} // namespace aeris
