#pragma once

#include <QString>

class QWidget;

// Offers the update in a modal dialog built from the whole reply (texts in CurrentLanguage, the
// extras of its "info" object) and returns true when the user chose Yes; closing it any other way
// counts as No. A ticked hold box sends the hold request whichever way the dialog closed. Throws
// TJsonEscapeError on a malformed \u escape before anything is shown. Main thread.
bool UpdateDialog(const QString& reply);

// Stateless click handlers shared by the update client's controls.
class TFormHelper
{
public:
    // Opens the clicked control's tool tip, which holds a web address or nothing.
    static void OpenURL(const QWidget* sender);
};
