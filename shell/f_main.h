#pragma once
// The main window: the navigation bar with the five module buttons and the task strip of the
// pressed module, and the client panel into which exactly one working window is docked. It
// owns the open project and the small shared windows.

#include "u_paths.h"
#include "u_project.h"

#include <QMainWindow>
#include <QToolButton>
#include <functional>
#include <memory>
#include <vector>

class QLabel;

namespace aeris {

class TFormFiles;
class TFormInfoSubst;
class TFormEmissTab;
namespace reports {
class TFormTable;
}
class TFormSelSubst;
class TFormSelSrc;
class TFormSelPro;
class TFormSelSum;
class TFormInfoProd;
namespace ref {
class InfoSubstData;
class InfoProdData;
}
namespace obj {
class TDataModuleObj;
}
class TFormCreate;
class TFormProgress;
class TFormYear;
class TFormLog;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    enum Module { ModEco, ModObj, ModInv, ModOvns, ModCalc, ModuleCount };

    explicit TMainForm(AppPaths& paths, QWidget* parent = nullptr);
    ~TMainForm() override;

    AppPaths& paths() { return m_paths; }
    ProjectSession& project() { return m_project; }
    QString ProjectPath() const { return m_project.projectPath(); }
    QString ProjectName() const { return m_project.projectName(); }
    QWidget* CurrentForm() const { return m_currentForm; }

    void ShowInMainPanel(QWidget* form);
    void ClearMainPanel();
    void HideTaskButtons();
    void PlaceTaskButton(QToolButton* button, int& row, int& x);
    // Reopens the report database of a kind (1 inventory, 2 impact assessment, 3 dispersion)
    // for the open project; false while that database's module is not part of the program.
    bool OpenModuleDatabase(int kind);
    // Hands the manual aeris.pdf of the program folder to the desktop; nothing when absent.
    void openManual();

    // Presses a module button as the user does (pressing the down one releases it).
    void clickModule(Module m);
    QToolButton* moduleButton(Module m) const { return m_modules[m]; }
    QToolButton* taskButton(const QString& objectName) const;
    const std::vector<QToolButton*>& taskButtons(Module m) const { return m_tasks[m]; }
    QWidget* PanelTask() const { return m_panelTask; }
    QLabel* ImageUpTask() const { return m_up; }
    QLabel* ImageDownTask() const { return m_down; }
    void scrollTasksDown(); // ImageDownTask click
    void scrollTasksUp();   // ImageUpTask click

    // Project modules follow the open project; without one only "Аерист" is usable.
    void setProjectModulesEnabled(bool enabled);
    // Presses "Аерист" and "проекти" unless "Аерист" is down (back to the project page).
    void returnToProjectPage();

    TFormFiles& formFiles() { return *m_formFiles; }
    TFormInfoSubst& formInfoSubst() { return *m_formInfoSubst; }
    TFormEmissTab& formEmissTab() { return *m_formEmissTab; }
    reports::TFormTable& formTable() { return *m_formTable; }
    // A table button: docks the viewer and shows the table unless it shows it already.
    void showTableButton(int code);
    // Table buttons are usable when a report module owns their code.
    void updateTableButtons();
    TFormSelSubst& formSelSubst() { return *m_formSelSubst; }
    TFormSelSrc& formSelSrc() { return *m_formSelSrc; }
    TFormSelPro& formSelPro() { return *m_formSelPro; }
    TFormSelSum& formSelSum() { return *m_formSelSum; }
    TFormInfoProd& formInfoProd() { return *m_formInfoProd; }
    obj::TDataModuleObj& dataModuleObj() { return *m_dmObj; }
    // Docks a window unless it is shown already, then runs its entry operation.
    void dock(QWidget* form, const std::function<bool()>& isShown, const std::function<void()>& enter);
    TFormCreate& formCreate() { return *m_formCreate; }
    TFormProgress& formProgress() { return *m_formProgress; }
    TFormYear& formYear() { return *m_formYear; }
    TFormLog& formLog() { return *m_formLog; }

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void buildBar();
    void addTask(Module m, const char* name, const char* caption, std::function<void()> action);
    void addTable(Module m, const char* name, const char* caption, int code);
    void layoutTasks();
    void updateCaption();

    AppPaths& m_paths;
    ProjectSession m_project;
    QWidget* m_panelBar = nullptr;
    QWidget* m_taskArea = nullptr;
    QWidget* m_panelTask = nullptr;
    QLabel* m_up = nullptr;
    QLabel* m_down = nullptr;
    QLabel* m_logo = nullptr;
    QWidget* m_panelLine = nullptr;
    QWidget* m_panelMain = nullptr;
    QToolButton* m_modules[ModuleCount] = {};
    std::vector<QToolButton*> m_tasks[ModuleCount];
    QWidget* m_currentForm = nullptr;
    bool m_activated = false;

    // The data behind the reference windows own the reference connections, which the object
    // data module reads through; so they come first.
    std::unique_ptr<ref::InfoSubstData> m_infoSubstData;
    std::unique_ptr<ref::InfoProdData> m_infoProdData;
    std::unique_ptr<obj::TDataModuleObj> m_dmObj;
    TFormFiles* m_formFiles = nullptr;
    TFormInfoSubst* m_formInfoSubst = nullptr;
    TFormInfoProd* m_formInfoProd = nullptr;
    TFormSelSubst* m_formSelSubst = nullptr;
    TFormSelSrc* m_formSelSrc = nullptr;
    TFormSelPro* m_formSelPro = nullptr;
    TFormSelSum* m_formSelSum = nullptr;
    TFormEmissTab* m_formEmissTab = nullptr;
    reports::TFormTable* m_formTable = nullptr;
    std::vector<std::pair<QToolButton*, int>> m_tableButtons;
    TFormCreate* m_formCreate = nullptr;
    TFormProgress* m_formProgress = nullptr;
    TFormYear* m_formYear = nullptr;
    TFormLog* m_formLog = nullptr;
};

} // namespace aeris
