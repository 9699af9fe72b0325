#pragma once
// The project page: commands to create, open, copy and close projects, the history of
// projects with their comments and report databases, and the open project's name and folder.

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

namespace aeris {

class TMainForm;
class TFormCreate;

// A command of the page: a label whose text turns white under the pointer.
class CommandLabel : public QWidget {
    Q_OBJECT
public:
    CommandLabel(const QString& text, QWidget* parent);
    QLabel* label() const { return m_label; }
    void setCommandEnabled(bool enabled);

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QLabel* m_label;
};

class TFormFiles : public QWidget {
    Q_OBJECT
public:
    explicit TFormFiles(TMainForm& main);

    // Docks the page (unless it is shown already) and refreshes it.
    void showPage();
    bool isShown() const { return m_shown; }
    void LoadHistory();

    // The commands.
    void newProject();
    void openProject();
    void closeProject();
    void saveCopy();
    void clearHistory();
    void exitProgram();
    void historyDoubleClicked(int row);
    void historyDeleteKey();
    void commentEnter();

    // How the folder dialog is shown; tests fill it in and answer instead of the user.
    std::function<bool(TFormCreate&)> runDialog;

    QLineEdit* EditObjName = nullptr;
    QLineEdit* EditObjPath = nullptr;
    QTableWidget* ListViewHistory = nullptr;
    QTableWidget* ListViewDetail = nullptr;
    QPlainTextEdit* MemoComment = nullptr;
    CommandLabel* LabelNew = nullptr;
    CommandLabel* LabelOpen = nullptr;
    CommandLabel* LabelClose = nullptr;
    CommandLabel* LabelSaveCopy = nullptr;
    CommandLabel* LabelClearHistory = nullptr;
    CommandLabel* LabelExit = nullptr;

protected:
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void selectionChanged();
    void startTreeAtHistory(TFormCreate& dlg);
    int selectedRow() const;

    TMainForm& m_main;
    bool m_shown = false;
};

} // namespace aeris
