#include "platform/background.h"

#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Enough for the window's thread to get about three times the share of a
// worker that wants the processor as much; the idle machine runs them alike.
constexpr int kSteps = 5;

}  // namespace

void CWBackground::yieldToWindow()
{
    thread_local bool done = false;
    if (done)
        return;
    done = true;
    // On Linux a nice value belongs to one thread; PRIO_PROCESS with a thread
    // id sets that thread's alone.
    const auto thread = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    const int now = getpriority(PRIO_PROCESS, thread);
    if (errno != 0)
        return;
    setpriority(PRIO_PROCESS, thread, now + kSteps);
}
