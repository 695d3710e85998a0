#pragma once
// Child processes for tests of what several processes do to one file.

#include <sys/types.h>

#include <functional>

// Runs body in a forked child that then exits with 0 (body may _exit with
// another status).  Answers the child's id.
pid_t forkRunning(const std::function<void()>& body);

// Waits for the child; true when it exited with status 0.
bool exitedCleanly(pid_t child);

// Kills the child with SIGKILL and waits for it.
void killAndReap(pid_t child);

// The id of a process that has ended and been reaped.
pid_t deadProcessId();

// The process is there and has not ended (a zombie, ended but not yet
// reaped by whatever adopted it, counts as ended).
bool processRunning(pid_t process);
