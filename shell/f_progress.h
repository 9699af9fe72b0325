#pragma once
// The progress window shown while a project is copied.

#include <QDialog>

class QLabel;
class QProgressBar;

namespace aeris {

class TFormProgress : public QDialog {
    Q_OBJECT
public:
    explicit TFormProgress(QWidget* parent = nullptr);
    QLabel* LabelInfo = nullptr;
    QProgressBar* ProgressBar = nullptr;

    void clearText();
    // One entry done: the bar goes round from 0 to 100, the line shows the entry, and the
    // interface handles what is pending.
    void step(const QString& text);
};

} // namespace aeris
