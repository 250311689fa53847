#include "platform/launchtrace.h"

#include <QByteArray>
#include <QSet>
#include <chrono>
#include <cstdint>
#include <cstdio>

namespace {

bool enabled = false;
std::int64_t origin = 0;  // ns since the epoch

std::int64_t now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void CWLaunchTrace::begin()
{
    enabled = qgetenv("CW_LAUNCH_TRACE") == "1";
    if (!enabled)
        return;
    bool ok = false;
    origin = qgetenv("CW_LAUNCH_T0").toLongLong(&ok);
    if (!ok)
        origin = now();
    mark("main");
}

void CWLaunchTrace::mark(const char* step)
{
    if (!enabled)
        return;
    // Main thread only, like everything that marks a step.
    static QSet<const char*> seen;
    if (seen.contains(step))
        return;
    seen.insert(step);
    std::fprintf(stderr, "launch: %8.1f %s\n", double(now() - origin) / 1e6, step);
}
