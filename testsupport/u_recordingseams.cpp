#include "u_recordingseams.h"

namespace aeris::test {
namespace {

class Messages final : public MessageSeam {
public:
    explicit Messages(RecordingSeams& r) : m_r(r) {}
    Answer show(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons) override
    {
        m_r.messages.append({text, caption, icon, buttons});
        if (!m_r.answers.empty()) {
            Answer a = m_r.answers.front();
            m_r.answers.pop_front();
            return a;
        }
        if (buttons & BtnYes) return Answer::Yes;
        return Answer::Ok;
    }

private:
    RecordingSeams& m_r;
};

class Dialogs final : public FileDialogSeam {
public:
    explicit Dialogs(RecordingSeams& r) : m_r(r) {}
    QString openFile(const QString&, const QString&, const QString&) override { return next(); }
    QString saveFile(const QString&, const QString&, const QString&) override { return next(); }
    QString chooseFolder(const QString&, const QString&) override { return next(); }

private:
    QString next()
    {
        if (m_r.dialogAnswers.empty()) return {};
        QString a = m_r.dialogAnswers.front();
        m_r.dialogAnswers.pop_front();
        return a;
    }
    RecordingSeams& m_r;
};

class Clipboard final : public ClipboardSeam {
public:
    explicit Clipboard(RecordingSeams& r) : m_r(r) {}
    QString text() override { return m_r.clipboardText; }
    QByteArray rtf() override { return m_r.clipboardRtf; }
    void setText(const QString& t) override { m_r.clipboardText = t; m_r.clipboardRtf.clear(); }
    void setRtf(const QByteArray& r, const QByteArray& desktop) override
    {
        m_r.clipboardRtf = r;
        m_r.clipboardDesktopRtf = desktop;
        m_r.clipboardText.clear();
    }
    void setTextAndRtf(const QString& t, const QByteArray& r) override { m_r.clipboardText = t; m_r.clipboardRtf = r; }

private:
    RecordingSeams& m_r;
};

class Desktop final : public DesktopSeam {
public:
    explicit Desktop(RecordingSeams& r) : m_r(r) {}
    bool openDocument(const QString& path) override { m_r.openedDocuments << path; return true; }

private:
    RecordingSeams& m_r;
};

class Processes final : public ProcessSeam {
public:
    explicit Processes(RecordingSeams& r) : m_r(r) {}
    bool startDetached(const QString& program, const QStringList& args, const QString&) override
    {
        m_r.startedProcesses << (QStringList{program} + args).join(u' ');
        return true;
    }

private:
    RecordingSeams& m_r;
};

} // namespace

RecordingSeams::RecordingSeams() : m_previous(seams())
{
    seams() = Seams{std::make_shared<Messages>(*this), std::make_shared<Dialogs>(*this),
                    std::make_shared<Clipboard>(*this), std::make_shared<Desktop>(*this),
                    std::make_shared<Processes>(*this)};
}

RecordingSeams::~RecordingSeams() { seams() = m_previous; }

QStringList RecordingSeams::texts() const
{
    QStringList out;
    for (const RecordedMessage& m : messages) out << m.text;
    return out;
}

void RecordingSeams::clear()
{
    messages.clear();
    answers.clear();
    dialogAnswers.clear();
    openedDocuments.clear();
    startedProcesses.clear();
}

} // namespace aeris::test
