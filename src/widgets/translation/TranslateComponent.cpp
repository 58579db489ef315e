#include "translation/TranslateComponent.h"

#include "i18n/Translate.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {
template <typename TGetter, typename TSetter>
void TranslateCaption(TGetter caption, TSetter setCaption)
{
    const QString source = caption();
    const QString translated = TranslateText(source);
    if (translated != source)
        setCaption(translated);
}

void TranslateComboBox(QComboBox* box)
{
    const int selected = box->currentIndex();
    QStringList items;
    for (int index = 0; index < box->count(); ++index)
        items.append(box->itemText(index));
    TranslateStrings(&items);
    box->setUpdatesEnabled(false);
    for (int index = 0; index < box->count(); ++index)
        box->setItemText(index, items.at(index));
    box->setUpdatesEnabled(true);
    box->setCurrentIndex(selected);
}

// The column captions of a report view; the selected rows stay selected.
void TranslateColumns(QAbstractItemView* view)
{
    QAbstractItemModel* model = view->model();
    if (!model)
        return;
    QItemSelectionModel* selection = view->selectionModel();
    const QItemSelection selected = selection ? selection->selection() : QItemSelection();
    const QModelIndex current = selection ? selection->currentIndex() : QModelIndex();
    for (int column = 0; column < model->columnCount(); ++column) {
        TranslateCaption(
            [&] { return model->headerData(column, Qt::Horizontal).toString(); },
            [&](const QString& text) { model->setHeaderData(column, Qt::Horizontal, text); });
    }
    if (selection) {
        selection->select(selected, QItemSelectionModel::ClearAndSelect);
        selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    }
}

bool IsReportView(QObject* component)
{
    return qobject_cast<QTreeView*>(component) || qobject_cast<QTableView*>(component);
}

// A top-level window shows the English title to everyone but Korean users.
void TranslateWindowTitle(QWidget* window)
{
    const QString language = CurrentLanguage() == u"ko"_s ? QString() : u"en"_s;
    const QString translated = TranslateText(window->windowTitle(), language);
    if (translated != window->windowTitle())
        window->setWindowTitle(translated);
}

void TranslateOwnCaption(QObject* component)
{
    if (auto* menu = qobject_cast<QMenu*>(component))
        TranslateMenuItem(menu->menuAction());
    else if (auto* widget = qobject_cast<QWidget*>(component); widget && widget->isWindow())
        TranslateWindowTitle(widget);

    if (auto* button = qobject_cast<QAbstractButton*>(component))
        TranslateCaption([&] { return button->text(); },
                         [&](const QString& text) { button->setText(text); });
    else if (auto* label = qobject_cast<QLabel*>(component))
        TranslateCaption([&] { return label->text(); },
                         [&](const QString& text) { label->setText(text); });
    else if (auto* group = qobject_cast<QGroupBox*>(component))
        TranslateCaption([&] { return group->title(); },
                         [&](const QString& text) { group->setTitle(text); });
    else if (auto* item = qobject_cast<QAction*>(component))
        TranslateCaption([&] { return item->text(); },
                         [&](const QString& text) { item->setText(text); });
}
} // namespace

void TranslateStrings(QStringList* list)
{
    if (!list)
        return;
    for (QString& line : *list)
        line = TranslateText(line);
}

void TranslateMenuItem(QAction* item)
{
    if (!item)
        return;
    TranslateCaption([&] { return item->text(); },
                     [&](const QString& text) { item->setText(text); });
    if (QMenu* subMenu = item->menu())
        for (QAction* subItem : subMenu->actions())
            TranslateMenuItem(subItem);
}

void TranslateComponent(QObject* component, const QString& language)
{
    if (!language.isEmpty())
        SetCurrentLanguage(language);
    if (!component)
        return;
    if (auto* box = qobject_cast<QComboBox*>(component)) {
        TranslateComboBox(box);
        return;
    }
    if (IsReportView(component))
        TranslateColumns(static_cast<QAbstractItemView*>(component));
    TranslateOwnCaption(component);
    const QObjectList children = component->children();
    for (QObject* child : children)
        TranslateComponent(child, language);
}
