#include "u_seams.h"

#include <QProcess>
#include <cstdio>

namespace aeris {
namespace {

// Used where no window exists (the batch tool, and any process before the application installs
// its own): a message becomes one line "caption: text" on standard error and every question is
// answered Yes.
class ConsoleMessages final : public MessageSeam {
public:
    Answer show(const QString& text, const QString& caption, MsgIcon, MsgButtons buttons) override
    {
        QString line = text;
        line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(u'\n', u' ');
        std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), line.toUtf8().constData());
        std::fflush(stderr);
        if (buttons & BtnYes) return Answer::Yes;
        if (buttons & BtnOk) return Answer::Ok;
        return Answer::None;
    }
};

class NoFileDialogs final : public FileDialogSeam {
public:
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
};

class MemoryClipboard final : public ClipboardSeam {
public:
    QString text() override { return m_text; }
    QByteArray rtf() override { return m_rtf; }
    void setText(const QString& t) override { m_text = t; m_rtf.clear(); }
    void setRtf(const QByteArray& r, const QByteArray&) override { m_rtf = r; m_text.clear(); }
    void setTextAndRtf(const QString& t, const QByteArray& r) override { m_text = t; m_rtf = r; }

private:
    QString m_text;
    QByteArray m_rtf;
};

class NoDesktop final : public DesktopSeam {
public:
    bool openDocument(const QString&) override { return false; }
};

class DetachedProcesses final : public ProcessSeam {
public:
    bool startDetached(const QString& program, const QStringList& args, const QString& workDir) override
    {
        return QProcess::startDetached(program, args, workDir);
    }
};

} // namespace

Seams& seams()
{
    static Seams s{std::make_shared<ConsoleMessages>(), std::make_shared<NoFileDialogs>(),
                   std::make_shared<MemoryClipboard>(), std::make_shared<NoDesktop>(),
                   std::make_shared<DetachedProcesses>()};
    return s;
}

} // namespace aeris
