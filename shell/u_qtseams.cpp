#include "u_qtseams.h"

#include "u_seams.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QProcess>
#include <QUrl>

namespace aeris {
namespace {

// Rich text on the clipboard goes under the names desktop programs read and write, and under
// the registered name of the format itself.
const char* const kRtfFormats[] = {"text/rtf", "text/richtext", "application/rtf"};
#ifdef Q_OS_WIN
const char* const kRegisteredRtf = "application/x-qt-windows-mime;value=\"Rich Text Format\"";
#else
const char* const kRegisteredRtf = "Rich Text Format";
#endif

class QtMessages final : public MessageSeam {
public:
    Answer show(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons) override
    {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(caption);
        box.setText(text);
        switch (icon) {
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        }
        struct Map { MsgButton ours; QMessageBox::StandardButton qt; Answer answer; const char* text; };
        static const Map map[] = {
            {BtnYes, QMessageBox::Yes, Answer::Yes, "Так"},
            {BtnNo, QMessageBox::No, Answer::No, "Ні"},
            {BtnOk, QMessageBox::Ok, Answer::Ok, "OK"},
            {BtnCancel, QMessageBox::Cancel, Answer::Cancel, "Скасувати"},
            {BtnAbort, QMessageBox::Abort, Answer::Abort, "Перервати"},
            {BtnRetry, QMessageBox::Retry, Answer::Retry, "Повторити"},
            {BtnIgnore, QMessageBox::Ignore, Answer::Ignore, "Пропустити"},
        };
        if (buttons == 0) buttons = BtnOk;
        for (const Map& m : map) {
            if (!(buttons & m.ours)) continue;
            box.addButton(m.qt);
            box.button(m.qt)->setText(QString::fromUtf8(m.text));
        }
        const int result = box.exec();
        for (const Map& m : map)
            if (result == m.qt) return m.answer;
        return (buttons & BtnCancel) ? Answer::Cancel : (buttons & BtnNo) ? Answer::No : Answer::None;
    }
};

class QtFileDialogs final : public FileDialogSeam {
public:
    QString openFile(const QString& caption, const QString& dir, const QString& filter) override
    {
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, dir, filter);
    }
    QString saveFile(const QString& caption, const QString& dir, const QString& filter) override
    {
        return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, dir, filter);
    }
    QString chooseFolder(const QString& caption, const QString& dir) override
    {
        return QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption, dir);
    }
};

class QtClipboard final : public ClipboardSeam {
public:
    QString text() override { return QApplication::clipboard()->text(); }
    QByteArray rtf() override
    {
        const QMimeData* mime = QApplication::clipboard()->mimeData();
        if (!mime) return {};
        for (const char* f : kRtfFormats)
            if (mime->hasFormat(QLatin1String(f))) return mime->data(QLatin1String(f));
        if (mime->hasFormat(QLatin1String(kRegisteredRtf))) return mime->data(QLatin1String(kRegisteredRtf));
        return {};
    }
    void setText(const QString& t) override { QApplication::clipboard()->setText(t); }
    void setRtf(const QByteArray& r, const QByteArray& desktop) override
    {
        auto* mime = new QMimeData;
        mime->setData(QLatin1String(kRegisteredRtf), r);
        for (const char* f : kRtfFormats) mime->setData(QLatin1String(f), desktop.isEmpty() ? r : desktop);
        QApplication::clipboard()->setMimeData(mime);
    }
    void setTextAndRtf(const QString& t, const QByteArray& r) override
    {
        auto* mime = new QMimeData;
        if (!t.isEmpty()) mime->setText(t);
        for (const char* f : kRtfFormats) mime->setData(QLatin1String(f), r);
        QApplication::clipboard()->setMimeData(mime);
    }
};

class QtDesktop final : public DesktopSeam {
public:
    bool openDocument(const QString& path) override { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }
};

class QtProcesses final : public ProcessSeam {
public:
    bool startDetached(const QString& program, const QStringList& args, const QString& workDir) override
    {
        return QProcess::startDetached(program, args, workDir);
    }
};

} // namespace

void installQtSeams()
{
    seams() = Seams{std::make_shared<QtMessages>(), std::make_shared<QtFileDialogs>(), std::make_shared<QtClipboard>(),
                    std::make_shared<QtDesktop>(), std::make_shared<QtProcesses>()};
}

} // namespace aeris
