#include "convert/ProcessPlatform.h"

#include <QProcess>

#include <signal.h>
#include <unistd.h>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

struct TChildProcess::TNative
{};

TChildProcess::TChildProcess(QProcess& process) : FProcess(process)
{
    const pid_t parent = getpid();
    // Runs in the child between fork and exec: async-signal-safe calls only.
    process.setChildProcessModifier([parent] {
        // Its own session and group: a terminal's Ctrl+C or hang-up reaches us, not it, and it
        // is ended with everything it starts.
        setsid();
#ifdef Q_OS_LINUX
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        // We died before the request was made: nobody would end it.
        if (getppid() != parent)
            _exit(127);
#else
        Q_UNUSED(parent);
#endif
    });
}

TChildProcess::~TChildProcess() = default;

void TChildProcess::Started() {}

void TChildProcess::KillGroup()
{
    // Still running or not yet reaped, so its number still names its group and nothing else.
    const qint64 leader = FProcess.processId();
    if (leader > 0)
        ::kill(-pid_t(leader), SIGKILL);
}
