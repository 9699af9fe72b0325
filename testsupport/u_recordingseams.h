#pragma once
// Seams for tests: every message is recorded with its exact text, caption, icon and buttons and
// answered from a queue of prepared answers (Yes/Ok when the queue is empty); dialogs return
// prepared paths; documents and processes are recorded, not opened.

#include "u_seams.h"

#include <QList>
#include <QStringList>
#include <deque>

namespace aeris::test {

struct RecordedMessage {
    QString text;
    QString caption;
    MsgIcon icon;
    MsgButtons buttons;
};

class RecordingSeams {
public:
    RecordingSeams();  // installs itself as the seams in force
    ~RecordingSeams(); // restores the previous ones

    QList<RecordedMessage> messages;
    std::deque<Answer> answers;          // consumed by questions and message boxes in order
    std::deque<QString> dialogAnswers;   // consumed by file and folder dialogs in order
    QStringList openedDocuments;
    QStringList startedProcesses;        // "program arg1 arg2 ..."
    QString clipboardText;
    QByteArray clipboardRtf;
    QByteArray clipboardDesktopRtf;

    QStringList texts() const;           // the texts of all messages, in order
    void clear();

private:
    Seams m_previous;
};

} // namespace aeris::test
