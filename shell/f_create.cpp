#include "f_create.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace aeris {

TFormCreate::TFormCreate(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    auto* layout = new QVBoxLayout(this);
    LabelName = new QLabel(QStringLiteral("Назва об'єкта:"), this);
    EditName = new QLineEdit(this);
    EditName->setObjectName(QStringLiteral("EditName"));
    LabelDir = new QLabel(QStringLiteral("Назва нового підкаталогу об'єкта:"), this);
    EditDir = new QLineEdit(this);
    EditDir->setObjectName(QStringLiteral("EditDir"));
    layout->addWidget(LabelName);
    layout->addWidget(EditName);
    layout->addWidget(LabelDir);
    layout->addWidget(EditDir);

    layout->addWidget(new QLabel(QStringLiteral("Розміщення:"), this));
    m_path = new QLineEdit(this);
    m_path->setReadOnly(true);
    layout->addWidget(m_path);
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QDir::rootPath());
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("DirectoryListBox"));
    m_tree->setModel(m_model);
    for (int c = 1; c < m_model->columnCount(); ++c) m_tree->hideColumn(c);
    m_tree->header()->hide();
    m_tree->setMinimumHeight(240);
    layout->addWidget(m_tree, 1);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        if (!i.isValid()) return;
        m_folder = m_model->filePath(i);
        m_path->setText(QDir::toNativeSeparators(m_folder));
    });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("ОК"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Відміна"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(420, 460);
}

bool TFormCreate::setFolder(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir()) return false;
    m_folder = info.absoluteFilePath();
    m_path->setText(QDir::toNativeSeparators(m_folder));
    const QModelIndex i = m_model->index(m_folder);
    if (i.isValid()) {
        m_tree->setCurrentIndex(i);
        m_tree->scrollTo(i);
    }
    return true;
}

void TFormCreate::setFieldsEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{EditName, EditDir, LabelName, LabelDir}) w->setEnabled(enabled);
}

} // namespace aeris
