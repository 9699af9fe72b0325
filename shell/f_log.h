#pragma once
// A window of text lines (the list of planned measures); the caller sets caption and lines.

#include <QDialog>

class QPlainTextEdit;

namespace aeris {

class TFormLog : public QDialog {
    Q_OBJECT
public:
    explicit TFormLog(QWidget* parent = nullptr);
    QPlainTextEdit* Log = nullptr;
    void setLines(const QStringList& lines);
};

} // namespace aeris
