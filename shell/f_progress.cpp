#include "f_progress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace aeris {

TFormProgress::TFormProgress(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Зачекайте, будь-ласка ..."));
    auto* layout = new QVBoxLayout(this);
    LabelInfo = new QLabel(this);
    LabelInfo->setObjectName(QStringLiteral("LabelInfo"));
    LabelInfo->setMinimumWidth(360);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    layout->addWidget(LabelInfo);
    layout->addWidget(ProgressBar);
}

void TFormProgress::clearText() { LabelInfo->clear(); }

void TFormProgress::step(const QString& text)
{
    if (ProgressBar->value() >= 100) ProgressBar->setValue(0);
    ProgressBar->setValue(ProgressBar->value() + 1);
    LabelInfo->setText(text);
    QCoreApplication::processEvents();
}

} // namespace aeris
