#include "media/childprocess.h"

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

void cwEndsWithProgram(QProcess& process)
{
    const pid_t parent = ::getpid();
    // Runs in the child between fork and exec: async-signal-safe calls only.
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // A failure leaves the child as it was: nothing to do about it here.
        [[maybe_unused]] const int niceness = ::nice(5);
        // The program may have ended before the line above took effect.
        if (::getppid() != parent)
            ::_exit(127);
    });
}
