#include "f_log.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace aeris {

TFormLog::TFormLog(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Log = new QPlainTextEdit(this);
    Log->setObjectName(QStringLiteral("Log"));
    Log->setReadOnly(true);
    Log->setLineWrapMode(QPlainTextEdit::NoWrap);
    Log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(Log);
    resize(520, 400);
}

void TFormLog::setLines(const QStringList& lines) { Log->setPlainText(lines.join(u'\n')); }

} // namespace aeris
