#include "orvo/command_job.h"

#include <windows.h>

namespace velnor {

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

}  // namespace velnor
