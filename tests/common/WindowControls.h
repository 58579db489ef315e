#pragma once

#include "window/FileListModel.h"
#include "window/HomePage.h"

#include <QAbstractItemModel>
#include <QObject>
#include <QStringList>
#include <QTreeView>
#include <QtGlobal>

// The window's controls found by the object names they carry, as a person finds them by what
// they show. A missing control ends the test program: the window's layout has changed.
template <typename TControl = QWidget> TControl& Control(const QObject& window, const QString& name)
{
    auto* control = window.findChild<TControl*>(name);
    if (!control)
        qFatal("the window has no control %s of that kind", qPrintable(name));
    return *control;
}

// The rows of the window's file list.
inline TFileListModel& FileRows(const QObject& window)
{
    auto* rows = qobject_cast<TFileListModel*>(
        Control<QTreeView>(window, QStringLiteral("ListFile")).model());
    if (!rows)
        qFatal("the file list shows no file rows");
    return *rows;
}

// What the file list shows in one column, first row to last.
inline QStringList ShownColumn(const QObject& window, TFileListModel::TColumn column)
{
    const TFileListModel& rows = FileRows(window);
    QStringList texts;
    for (int row = 0; row < rows.rowCount(); ++row)
        texts << rows.index(row, column).data().toString();
    return texts;
}

inline QStringList ShownTitles(const QObject& window)
{
    return ShownColumn(window, TFileListModel::ColumnTitle);
}

inline QStringList ShownStatuses(const QObject& window)
{
    return ShownColumn(window, TFileListModel::ColumnStatus);
}

// No conversion run is under way in the window: none was started, or the last one has ended.
inline bool IsRunOver(const QObject& window)
{
    return !IsRunGoing(Control<THomePage>(window, QStringLiteral("PnlHome")).State());
}
