#pragma once
// The small flat buttons of the windows' strips and their bold titles. The buttons take no
// keyboard focus, so typing goes on in the grid while they are pressed.

#include <QStyle>

class QLabel;
class QToolButton;
class QWidget;

namespace aeris {

QToolButton* makeToolButton(QWidget* parent, const char* name, const char* hint, QStyle::StandardPixmap icon);

// A bold label in the font of its window at the given point size.
QLabel* makeTitleLabel(QWidget* parent, const QString& text, int pointSize);

} // namespace aeris
