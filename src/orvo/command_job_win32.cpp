#include "orvo/command_job.h"

namespace velnor {

namespace {
// How long End waits for the ended programs to be gone, so that the files they
// held (the capture file) are free again for the next command.
constexpr DWORD kEndWaitMs = 5000;
constexpr DWORD kEndPollMs = 10;

DWORD ActiveProcesses(HANDLE job) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting, nullptr))
        return 0;
    return accounting.ActiveProcesses;
}
}  // namespace

bool JoinCommandJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return false;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !AssignProcessToJobObject(job, GetCurrentProcess())) {
        CloseHandle(job);
        return false;
    }
    // The handle is left open on purpose: the system closes it as the process
    // ends, and that close ends every command still running.
    return true;
}

CommandJob::CommandJob(HANDLE process) : process_(process) {
    if (!process_) return;
    // No kill-on-close here: a command whose wait is abandoned runs on, and
    // the program's job still ends it with the program.
    job_ = CreateJobObjectW(nullptr, nullptr);
    if (job_ && !AssignProcessToJobObject(job_, process_)) {
        CloseHandle(job_);
        job_ = nullptr;
    }
}

CommandJob::~CommandJob() {
    if (job_) CloseHandle(job_);
}

void CommandJob::End() {
    if (!process_) return;
    if (!job_) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, kEndWaitMs);
        return;
    }
    TerminateJobObject(job_, 1);
    const DWORD start = GetTickCount();
    WaitForSingleObject(process_, kEndWaitMs);
    while (ActiveProcesses(job_) > 0 && GetTickCount() - start < kEndWaitMs) Sleep(kEndPollMs);
}

}  // namespace velnor
