#pragma once
// Signals that end the game.
//
// SIGTERM, SIGINT and SIGHUP ask the game to close: every window gets the close message its
// close button would give, and the game shuts down as usual (display mode back, usual exit code).
// The other signals whose default action ends the process (SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM,
// SIGXCPU, the real-time signals...) still end it as they would have, but the window system
// first puts the display mode back; when the main loop does not get to that within
// kEndGraceMs, the signal takes its default course without it. Faults (SIGSEGV, SIGBUS, SIGFPE,
// SIGILL, SIGABRT, SIGTRAP, SIGSYS) are left alone: a process in that state must not be trusted
// to talk to the display. Signals that were ignored when the game started (nohup, a shell's
// background job) stay ignored.
//
// Any of these signals also ends a message box that is up, and no box is shown after one.

namespace plat {

constexpr int kEndGraceMs = 2000;

// Takes over the signals above; once per process. Call it before a library installs handlers of
// its own for SIGINT and SIGTERM (SDL does at start unless told not to).
void InstallEndSignals();

// True once for each close request (SIGTERM, SIGINT, SIGHUP) that arrived since the last call.
bool TakeCloseRequest();
// The signal that is to end the process once the display mode is back; 0 when none arrived.
int PendingEndSignal();
// Ends the process by `signal` as its default action does.
[[noreturn]] void EndBySignal(int signal);
// Whether any of the signals above has arrived.
bool EndSignalled();

// While one exists (around showing a message box), a process forked to show the box dies when
// this one does, even by SIGKILL, and is killed when one of the signals above arrives; the box's
// wait then returns.
class BoxChildGuard {
 public:
  BoxChildGuard();
  ~BoxChildGuard();
  BoxChildGuard(const BoxChildGuard&) = delete;
  BoxChildGuard& operator=(const BoxChildGuard&) = delete;
};

}  // namespace plat
