#pragma once

#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

// The platform's own file-drop message on one widget, open also to less privileged processes
// where the platform separates privilege levels. Detaches when destroyed. Main thread.
class TNativeDropReceiver
{
public:
    using TDropProc = std::function<void(const QStringList& paths)>;

    // Nothing on platforms that deliver every drop as a toolkit drag.
    static std::unique_ptr<TNativeDropReceiver> Attach(QWidget* target, TDropProc dropProc);

    virtual ~TNativeDropReceiver() = default;
};
