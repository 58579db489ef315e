#include "desktop/FolderDialog.h"

#include "i18n/Translate.h"

#include <QDir>
#include <QFileDialog>

#include <memory>

using namespace Qt::StringLiterals;

QFileDialog* CreateFolderDialog(const QString& folder, QWidget* parent)
{
    auto* dialog = new QFileDialog(parent, TranslateText(u"폴더 선택"_s), folder);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setLabelText(QFileDialog::Accept, TranslateText(u"선택"_s));
    return dialog;
}

bool SelectFolder(QString& folder, QWidget* parent)
{
    const std::unique_ptr<QFileDialog> dialog(CreateFolderDialog(folder, parent));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return false;
    folder = QDir::toNativeSeparators(dialog->selectedFiles().constFirst());
    return true;
}
