// One job object for the program and every command it starts, so that no
// cmd.exe or netsh.exe outlives it: killed, crashed, or ended while a command
// hung, the program takes its commands with it when the last handle to the
// job closes, which the system does as the process ends.
#pragma once

namespace velnor {

// Puts this process into a new job that kills its members when it closes. On
// Windows 8 and later this works inside another job too. Returns false, and
// changes nothing, when the job cannot be made or this process not assigned
// to it (an older system, or a job that forbids it); the program then runs as
// before.
bool JoinCommandJob();

}  // namespace velnor
