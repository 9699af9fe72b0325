#pragma once
// The program's contact points with the user and the desktop. Every message box, question, file
// dialog, clipboard access, document opening and process start goes through these interfaces:
// the application installs implementations over Qt Widgets, tests install recording ones that
// answer as told and keep every text and caption.

#include <QString>
#include <QStringList>
#include <memory>

namespace aeris {

enum class MsgIcon { None, Information, Warning, Error, Question };

enum MsgButton : unsigned {
    BtnOk = 1, BtnCancel = 2, BtnYes = 4, BtnNo = 8, BtnAbort = 16, BtnRetry = 32, BtnIgnore = 64,
};
using MsgButtons = unsigned;

enum class Answer { None, Ok, Cancel, Yes, No, Abort, Retry, Ignore };

class MessageSeam {
public:
    virtual ~MessageSeam() = default;
    virtual Answer show(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons) = 0;

    void inform(const QString& text, const QString& caption, MsgIcon icon) { show(text, caption, icon, BtnOk); }
    bool askYesNo(const QString& text, const QString& caption, MsgIcon icon = MsgIcon::Question)
    {
        return show(text, caption, icon, BtnYes | BtnNo) == Answer::Yes;
    }
};

class FileDialogSeam {
public:
    virtual ~FileDialogSeam() = default;
    // Each returns an empty text when the user cancels.
    virtual QString openFile(const QString& caption, const QString& dir, const QString& filter) = 0;
    virtual QString saveFile(const QString& caption, const QString& dir, const QString& filter) = 0;
    virtual QString chooseFolder(const QString& caption, const QString& dir) = 0;
};

class ClipboardSeam {
public:
    virtual ~ClipboardSeam() = default;
    virtual QString text() = 0;
    virtual QByteArray rtf() = 0; // empty when the clipboard holds no rich text
    virtual void setText(const QString& text) = 0;
    // Rich text only: `rtf` under the registered name "Rich Text Format", `desktopRtf` (when
    // given) under the names desktop programs read (text/rtf and its aliases).
    virtual void setRtf(const QByteArray& rtf, const QByteArray& desktopRtf = {}) = 0;
    virtual void setTextAndRtf(const QString& text, const QByteArray& rtf) = 0;
};

class DesktopSeam {
public:
    virtual ~DesktopSeam() = default;
    // Opens a document with the desktop's default application; false when that failed.
    virtual bool openDocument(const QString& path) = 0;
};

class ProcessSeam {
public:
    virtual ~ProcessSeam() = default;
    // Starts a program that runs on by itself; false when it could not be started.
    virtual bool startDetached(const QString& program, const QStringList& args, const QString& workDir) = 0;
};

// The implementations in force. Tests replace them; nothing is owned twice.
struct Seams {
    std::shared_ptr<MessageSeam> messages;
    std::shared_ptr<FileDialogSeam> fileDialogs;
    std::shared_ptr<ClipboardSeam> clipboard;
    std::shared_ptr<DesktopSeam> desktop;
    std::shared_ptr<ProcessSeam> processes;
};

Seams& seams();

// Shorthands for the calls every Part makes.
inline void showMessage(const QString& text, const QString& caption, MsgIcon icon)
{
    seams().messages->inform(text, caption, icon);
}
inline bool askYesNo(const QString& text, const QString& caption, MsgIcon icon = MsgIcon::Question)
{
    return seams().messages->askYesNo(text, caption, icon);
}

} // namespace aeris
