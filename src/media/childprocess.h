#pragma once

class QProcess;

// Ties a converter run to the program's life: however the program ends (a
// crash, SIGKILL, the end of the login session), the kernel ends the child
// too, so no converter goes on writing in the background. Call before start()
// on the thread that will wait for the process (the tie is to that thread).
// The child also runs five nice steps below the window, like the program's
// own background work, so a drag never waits behind an export or conversion.
void cwEndsWithProgram(QProcess& process);
