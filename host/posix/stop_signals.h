// The stop signals of the Linux programs (the X11 hack, the Wayland saver): SIGTERM and SIGINT, and SIGCONT.
// The first stop signal asks the program to stop: the frame loop looks at the request between frames, and
// the wait between frames ends at once. A second one ends the process at once with the signal's default
// action wherever it is, even inside Xlib, GLX or EGL waiting on a display server that stopped answering.
#pragma once

#include <poll.h>

#include <ctime>

// Installs the handler and unblocks both signals, whatever mask the hack inherited (some launchers and
// service managers start their children with them blocked). Call from the main thread, before any
// other thread exists.
void CatchStopSignals();
bool StopRequested();
// True once after each SIGCONT: the hack was stopped (xscreensaver stops it while the monitor is off) and
// goes on now. The handler is installed by CatchStopSignals.
bool TakeContinued();
// ppoll on the given descriptors for up to the timeout, unless a stop was asked for; a stop signal that
// comes at any time after the last look at the request still cuts the wait short.
void PollUnlessStopped(pollfd* fds, nfds_t count, const timespec& timeout);
