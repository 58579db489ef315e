#pragma once

#include <memory>

class QProcess;

// The platform's side of running an outside program apart from us: it runs in a group of its own
// with whatever it starts, is ended with that whole group, and dies when we die (Linux: when the
// thread that started it ends; Windows: through a job object that is closed with us). Lives
// around one QProcess run on one thread.
class TChildProcess
{
public:
    // Before process.start().
    explicit TChildProcess(QProcess& process);
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // Right after the program has started.
    void Started();
    // Ends the program and everything in its group; the caller then waits for it.
    void KillGroup();

private:
    struct TNative;
    QProcess& FProcess;
    std::unique_ptr<TNative> FNative;
};
