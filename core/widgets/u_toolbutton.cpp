#include "u_toolbutton.h"

#include <QLabel>
#include <QToolButton>

namespace aeris {

QToolButton* makeToolButton(QWidget* parent, const char* name, const char* hint, QStyle::StandardPixmap icon)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(QString::fromUtf8(hint));
    b->setIcon(parent->style()->standardIcon(icon));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QLabel* makeTitleLabel(QWidget* parent, const QString& text, int pointSize)
{
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    f.setPointSize(pointSize);
    label->setFont(f);
    return label;
}

} // namespace aeris
