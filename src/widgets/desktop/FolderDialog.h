#pragma once

#include <QString>

class QFileDialog;
class QWidget;

// The folder chooser, titled and labelled in the interface language, starting at `folder`.
QFileDialog* CreateFolderDialog(const QString& folder, QWidget* parent);

// Shows the chooser modally: true and the chosen folder in `folder` when the user confirms,
// false and `folder` unchanged otherwise. Main thread.
bool SelectFolder(QString& folder, QWidget* parent);
