// Job objects for the commands the program starts. One job holds the program
// and every command, so that no cmd.exe or netsh.exe outlives it: killed,
// crashed, or ended while a command hung, the program takes its commands with
// it when the last handle to that job closes, which the system does as the
// process ends. Each command also gets a job of its own, nested in that one,
// through which a command that must be given up is ended.
#pragma once

#include <windows.h>

namespace velnor {

// Puts this process into a new job that kills its members when it closes. On
// Windows 8 and later this works inside another job too. Returns false, and
// changes nothing, when the job cannot be made or this process not assigned
// to it (an older system, or a job that forbids it); the program then runs as
// before.
bool JoinCommandJob();

// A job of its own for one started command. It is made right after the start,
// so a program the command started before that belongs to the program's job
// alone: it ends with the program, not with End.
class CommandJob {
public:
    // Puts the started process into a new job, nested in whatever job it is
    // in. Where that fails (before Windows 8, or under an outer job that sets
    // UI limits, which forbids nesting) the command runs on without one.
    explicit CommandJob(HANDLE process);
    ~CommandJob();
    CommandJob(const CommandJob&) = delete;
    CommandJob& operator=(const CommandJob&) = delete;

    bool Joined() const { return job_ != nullptr; }

    // Ends the command, and every program it started since it joined, and
    // waits a short while for them to be gone. Never by process ids: the
    // system hands an id on as soon as its process is gone, so a process found
    // by its id later can be another program. Without a job only the started
    // process itself is ended, through its handle.
    void End();

private:
    HANDLE process_;
    HANDLE job_ = nullptr;
};

}  // namespace velnor
