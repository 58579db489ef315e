#include "convert/ProcessPlatform.h"

#include <QProcess>

#include <windows.h>

struct TChildProcess::TNative
{
    HANDLE Job = nullptr;
};

namespace {
// A job that ends every process in it when its last handle closes: ours, at the latest when we
// end, however we end.
HANDLE MakeKillOnCloseJob()
{
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}
} // namespace

TChildProcess::TChildProcess(QProcess& process)
    : FProcess(process), FNative(std::make_unique<TNative>())
{
    FNative->Job = MakeKillOnCloseJob();
    // A console's Ctrl+C reaches us, not the program.
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* arguments) {
        arguments->flags |= CREATE_NEW_PROCESS_GROUP;
    });
}

TChildProcess::~TChildProcess()
{
    // Ends whatever the program started and left running.
    if (FNative->Job)
        CloseHandle(FNative->Job);
}

void TChildProcess::Started()
{
    if (!FNative->Job)
        return;
    // Processes it starts from now on join the job with it.
    HANDLE process =
        OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, DWORD(FProcess.processId()));
    if (!process)
        return;
    AssignProcessToJobObject(FNative->Job, process);
    CloseHandle(process);
}

void TChildProcess::KillGroup()
{
    if (FNative->Job)
        TerminateJobObject(FNative->Job, 1);
    FProcess.kill();
}
