// Launches a program and watches the X screen until a colour that only the
// video shows covers enough of it: the time from launch to the first frame a
// user would see, measured the same way whichever player draws it.
//   bench_firstframe [--colour RRGGBB] [--tolerance N] [--pixels N]
//                    [--interval MS] [--timeout S] -- PROGRAM ARGS...
// Prints "WALL CPU WINDOW" in seconds: wall time from just before the launch
// to the grab that found the colour, the program's processor time (user +
// system, all its threads) at that moment, and the wall time at which anything
// first lit the (black) screen: its window. Then ends the program.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <fcntl.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    unsigned colour = 0xff00ff;
    int tolerance = 48;
    int pixels = 400;
    int intervalMs = 4;
    double timeoutS = 60;
    char** command = nullptr;
};

int shiftOf(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

// The whole root window, through shared memory when the server offers it, so
// each look costs the server one copy and this process none.
class RootShot {
public:
    bool open()
    {
        display_ = XOpenDisplay(nullptr);
        if (!display_)
            return false;
        const int screen = DefaultScreen(display_);
        root_ = RootWindow(display_, screen);
        width_ = DisplayWidth(display_, screen);
        height_ = DisplayHeight(display_, screen);
        Visual* visual = DefaultVisual(display_, screen);
        rShift_ = shiftOf(visual->red_mask);
        gShift_ = shiftOf(visual->green_mask);
        bShift_ = shiftOf(visual->blue_mask);
        if (XShmQueryExtension(display_)) {
            image_ = XShmCreateImage(display_, visual, DefaultDepth(display_, screen), ZPixmap,
                                     nullptr, &shm_, width_, height_);
            if (image_) {
                shm_.shmid =
                    shmget(IPC_PRIVATE, size_t(image_->bytes_per_line) * height_, IPC_CREAT | 0600);
                shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
                shm_.readOnly = False;
                XShmAttach(display_, &shm_);
                XSync(display_, False);
                shmctl(shm_.shmid, IPC_RMID, nullptr);
            }
        }
        return true;
    }

    ~RootShot()
    {
        if (image_) {
            XShmDetach(display_, &shm_);
            shmdt(shm_.shmaddr);
            image_->data = nullptr;
            XDestroyImage(image_);
        }
        if (display_)
            XCloseDisplay(display_);
    }

    // Sampled pixels (every fourth in each direction) within the tolerance of
    // the colour on every channel; lit counts those that are not black.
    int matches(const Options& o, int* lit = nullptr)
    {
        XImage* shot = image_;
        if (image_)
            XShmGetImage(display_, root_, image_, 0, 0, AllPlanes);
        else
            shot = XGetImage(display_, root_, 0, 0, width_, height_, AllPlanes, ZPixmap);
        if (!shot)
            return 0;
        const int r0 = int(o.colour >> 16 & 0xff), g0 = int(o.colour >> 8 & 0xff),
                  b0 = int(o.colour & 0xff);
        int found = 0;
        for (int y = 0; y < height_; y += 4) {
            for (int x = 0; x < width_; x += 4) {
                const unsigned long p = XGetPixel(shot, x, y);
                const int r = int(p >> rShift_ & 0xff), g = int(p >> gShift_ & 0xff),
                          b = int(p >> bShift_ & 0xff);
                if (lit && (r | g | b) > 16)
                    ++*lit;
                if (std::abs(r - r0) <= o.tolerance && std::abs(g - g0) <= o.tolerance &&
                    std::abs(b - b0) <= o.tolerance)
                    ++found;
            }
        }
        if (!image_)
            XDestroyImage(shot);
        return found;
    }

private:
    Display* display_ = nullptr;
    Window root_ = 0;
    int width_ = 0, height_ = 0;
    int rShift_ = 0, gShift_ = 0, bShift_ = 0;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
};

double processSeconds(pid_t pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    FILE* f = std::fopen(path, "r");
    if (!f)
        return -1;
    char buffer[2048];
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    buffer[n] = 0;
    // Fields after the command name, which may itself hold spaces.
    const char* rest = std::strrchr(buffer, ')');
    unsigned long utime = 0, stime = 0;
    if (!rest || std::sscanf(rest + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                             &utime, &stime) != 2)
        return -1;
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

void finish(pid_t pid)
{
    kill(pid, SIGTERM);
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < until) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        const timespec pause{0, 10'000'000};
        nanosleep(&pause, nullptr);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

bool parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") {
            o.command = argv + i + 1;
            return i + 1 < argc;
        }
        if (i + 1 >= argc)
            return false;
        const char* v = argv[++i];
        if (a == "--colour")
            o.colour = unsigned(std::strtoul(v, nullptr, 16));
        else if (a == "--tolerance")
            o.tolerance = std::atoi(v);
        else if (a == "--pixels")
            o.pixels = std::atoi(v);
        else if (a == "--interval")
            o.intervalMs = std::atoi(v);
        else if (a == "--timeout")
            o.timeoutS = std::atof(v);
        else
            return false;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: bench_firstframe [--colour RRGGBB] [--tolerance N] "
                             "[--pixels N] [--interval MS] [--timeout S] -- PROGRAM ARGS...\n");
        return 2;
    }
    RootShot screen;
    if (!screen.open()) {
        std::fprintf(stderr, "bench_firstframe: no X display\n");
        return 2;
    }
    // A screen that already shows the colour would end the wait at once.
    if (screen.matches(o) >= o.pixels) {
        std::fprintf(stderr, "bench_firstframe: the colour is on the screen before the launch\n");
        return 2;
    }

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0)
        return 2;
    if (pid == 0) {
        // The programs' own chatter (audio devices that are not there) is no
        // figure; a traced launch keeps its standard error for the trace.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        if (!std::getenv("CW_LAUNCH_TRACE"))
            dup2(null, STDERR_FILENO);
        execvp(o.command[0], o.command);
        _exit(127);
    }
    const auto deadline = start + std::chrono::duration<double>(o.timeoutS);
    const timespec pause{0, long(o.intervalMs) * 1'000'000};
    int status = 1;
    double window = -1;
    while (Clock::now() < deadline) {
        int lit = 0;
        const int found = screen.matches(o, &lit);
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        // A few hundred lit samples: a window, not a stray cursor.
        if (window < 0 && lit >= 400)
            window = wall;
        if (found >= o.pixels) {
            std::printf("%.4f %.3f %.4f\n", wall, processSeconds(pid), window);
            status = 0;
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "bench_firstframe: %s ended before its first frame\n",
                         o.command[0]);
            return 1;
        }
        nanosleep(&pause, nullptr);
    }
    if (status)
        std::fprintf(stderr, "bench_firstframe: no frame within %.0f s\n", o.timeoutS);
    std::fflush(stdout);
    finish(pid);
    return status;
}
