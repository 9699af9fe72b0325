#pragma once
// The seams over Qt Widgets: real message boxes, file dialogs, the system clipboard, the
// desktop's default applications and detached processes.

namespace aeris {

// Installs the Qt implementations as the seams in force (needs a QApplication).
void installQtSeams();

} // namespace aeris
