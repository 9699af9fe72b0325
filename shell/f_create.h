#pragma once
// The folder dialog of the project page: the object's name, the name of its new subfolder, and
// the folder in which it is placed (or which is opened).

#include <QDialog>

class QLabel;
class QLineEdit;
class QTreeView;
class QFileSystemModel;

namespace aeris {

class TFormCreate : public QDialog {
    Q_OBJECT
public:
    explicit TFormCreate(QWidget* parent = nullptr);

    QLineEdit* EditName = nullptr;
    QLineEdit* EditDir = nullptr;
    QLabel* LabelName = nullptr;
    QLabel* LabelDir = nullptr;

    // Puts the folder tree on a folder; false when it cannot be shown (does not exist).
    bool setFolder(const QString& path);
    // The folder chosen in the tree.
    QString folder() const { return m_folder; }
    void setFieldsEnabled(bool enabled);

private:
    QTreeView* m_tree = nullptr;
    QFileSystemModel* m_model = nullptr;
    QLineEdit* m_path = nullptr;
    QString m_folder;
};

} // namespace aeris
