// Starts a program on the X display and watches it from outside, the same way for any program:
// the time from its start until its window first shows pixels of its own, and, on request, the
// processor time it uses over a stretch of seconds after given input. The whole-process
// benchmarks under bench/ (startup.sh, playcpu.sh) run our program and mpv through it.
//
// "Painted": the root window is filled with a colour no program here draws (magenta) before the
// start; an X window that has not been drawn into shows what is under it, so the window counts
// as painted at the first sample in which any pixel of it is not that colour. Rows of the window
// are sampled every millisecond from the moment it is mapped.
//
// Input goes through the XTEST extension (libXtst, loaded at run time), so the server routes it
// like a real pointer and keyboard would.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned long kMagenta = 0xFF00FF;
constexpr int kSampleRows = 12;

struct Args {
    std::string title;
    double timeout = 30;
    std::vector<std::pair<int, int>> doubleClicks;
    std::vector<std::string> keys;
    double inputDelay = 0.5;
    double warmup = 0;
    double measure = 0;
    // Where the picture is, for telling whether it moves (x, y, width, height; 0 0 0 0 whole).
    int area[4] = {0, 0, 0, 0};
    std::vector<char*> command;
};

[[noreturn]] void Usage() {
    std::fprintf(
        stderr,
        "usage: bench_window_watch [--title TEXT] [--timeout S] [--dclick X,Y]... [--key NAME]...\n"
        "       [--input-delay S] [--warmup S] [--measure S] [--area X,Y,W,H] -- command [args...]\n");
    std::exit(2);
}

Args Parse(int argc, char** argv) {
    Args a;
    int i = 1;
    auto value = [&](const char* name) -> std::string {
        if (i + 1 >= argc) {
            std::fprintf(stderr, "%s needs a value\n", name);
            Usage();
        }
        return argv[++i];
    };
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            for (++i; i < argc; ++i)
                a.command.push_back(argv[i]);
            break;
        }
        if (arg == "--title")
            a.title = value("--title");
        else if (arg == "--timeout")
            a.timeout = std::stod(value("--timeout"));
        else if (arg == "--dclick") {
            const std::string v = value("--dclick");
            const auto comma = v.find(',');
            if (comma == std::string::npos)
                Usage();
            a.doubleClicks.emplace_back(std::stoi(v.substr(0, comma)), std::stoi(v.substr(comma + 1)));
        } else if (arg == "--key")
            a.keys.push_back(value("--key"));
        else if (arg == "--input-delay")
            a.inputDelay = std::stod(value("--input-delay"));
        else if (arg == "--warmup")
            a.warmup = std::stod(value("--warmup"));
        else if (arg == "--measure")
            a.measure = std::stod(value("--measure"));
        else if (arg == "--area") {
            if (std::sscanf(value("--area").c_str(), "%d,%d,%d,%d", &a.area[0], &a.area[1], &a.area[2],
                            &a.area[3]) != 4)
                Usage();
        } else
            Usage();
    }
    if (a.command.empty())
        Usage();
    a.command.push_back(nullptr);
    return a;
}

// The three XTEST calls used, looked up at run time so that building needs no libXtst headers.
struct XTest {
    using FakeKey = int (*)(Display*, unsigned, Bool, unsigned long);
    using FakeButton = int (*)(Display*, unsigned, Bool, unsigned long);
    using FakeMotion = int (*)(Display*, int, int, int, unsigned long);
    FakeKey key = nullptr;
    FakeButton button = nullptr;
    FakeMotion motion = nullptr;

    bool load() {
        void* lib = dlopen("libXtst.so.6", RTLD_NOW);
        if (!lib)
            return false;
        key = reinterpret_cast<FakeKey>(dlsym(lib, "XTestFakeKeyEvent"));
        button = reinterpret_cast<FakeButton>(dlsym(lib, "XTestFakeButtonEvent"));
        motion = reinterpret_cast<FakeMotion>(dlsym(lib, "XTestFakeMotionEvent"));
        return key && button && motion;
    }
};

// The program watched: ended with the watcher, whatever ends the watcher.
volatile pid_t g_child = 0;

void EndChildAndExit(int signal) {
    if (g_child > 0)
        kill(g_child, SIGKILL);
    _exit(128 + signal);
}

// Windows come and go while they are looked at (a splash screen): a request about one that has
// just gone fails, which is no reason to stop watching.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::string TitleOf(Display* dpy, Window w) {
    static const Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
    static const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(dpy, w, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(dpy, w, &name) && name) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

// True when any sampled pixel of the window is not the root's colour.
bool ShowsOwnPixels(Display* dpy, Window w) {
    XWindowAttributes wa;
    if (!XGetWindowAttributes(dpy, w, &wa) || wa.map_state != IsViewable || wa.width < 1 || wa.height < 1)
        return false;
    for (int r = 0; r < kSampleRows; ++r) {
        const int y = (wa.height - 1) * r / (kSampleRows - 1);
        XImage* row = XGetImage(dpy, w, 0, y, wa.width, 1, AllPlanes, ZPixmap);
        if (!row)
            return false;
        bool own = false;
        for (int x = 0; x < wa.width && !own; ++x)
            own = (XGetPixel(row, x, 0) & 0xFFFFFF) != kMagenta;
        XDestroyImage(row);
        if (own)
            return true;
    }
    return false;
}

// A fingerprint of the window's pixels, to tell whether the picture moved.
unsigned long long Fingerprint(Display* dpy, Window w, const int (&area)[4]) {
    XWindowAttributes wa;
    if (!XGetWindowAttributes(dpy, w, &wa) || wa.map_state != IsViewable)
        return 0;
    int x0 = 0, y0 = 0, width = wa.width, height = wa.height;
    if (area[2] > 0 && area[3] > 0) {
        x0 = std::clamp(area[0], 0, wa.width - 1);
        y0 = std::clamp(area[1], 0, wa.height - 1);
        width = std::min(area[2], wa.width - x0);
        height = std::min(area[3], wa.height - y0);
    }
    XImage* img = XGetImage(dpy, w, x0, y0, width, height, AllPlanes, ZPixmap);
    if (!img)
        return 0;
    unsigned long long h = 1469598103934665603ull;
    for (int y = 0; y < height; y += 3)
        for (int x = 0; x < width; x += 3)
            h = (h ^ XGetPixel(img, x, y)) * 1099511628211ull;
    XDestroyImage(img);
    return h;
}

// User plus system time of a process so far, in seconds; nullopt once it is gone.
std::optional<double> CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return std::nullopt;
    // The command name in parentheses may hold blanks: count fields after its closing one.
    const auto close = line.rfind(')');
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int n = 3; rest >> field; ++n) {
        if (n == 14)
            utime = std::stoull(field);
        else if (n == 15) {
            stime = std::stoull(field);
            break;
        }
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

bool Alive(pid_t pid) {
    return waitpid(pid, nullptr, WNOHANG) == 0;
}

} // namespace

int main(int argc, char** argv) {
    const Args args = Parse(argc, argv);
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    XSetErrorHandler(&IgnoreXError);
    const Window root = DefaultRootWindow(dpy);
    XSetWindowBackground(dpy, root, kMagenta);
    XClearWindow(dpy, root);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    std::signal(SIGTERM, &EndChildAndExit);
    std::signal(SIGINT, &EndChildAndExit);
    std::signal(SIGHUP, &EndChildAndExit);
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(args.command[0], args.command.data());
        std::fprintf(stderr, "cannot run %s: %s\n", args.command[0], std::strerror(errno));
        _exit(127);
    }
    g_child = pid;

    std::vector<Window> mapped;
    Window target = None;
    double paintedMs = -1;
    while (target == None) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            if (e.type == MapNotify && e.xmap.event == root)
                mapped.push_back(e.xmap.window);
            else if (e.type == DestroyNotify)
                mapped.erase(std::remove(mapped.begin(), mapped.end(), e.xdestroywindow.window),
                             mapped.end());
        }
        for (Window w : mapped) {
            if (!args.title.empty() && TitleOf(dpy, w).rfind(args.title, 0) != 0)
                continue;
            if (ShowsOwnPixels(dpy, w)) {
                paintedMs = Seconds(Clock::now() - start) * 1000;
                target = w;
                break;
            }
        }
        if (target != None)
            break;
        if (!Alive(pid)) {
            std::fprintf(stderr, "the program ended before its window was painted\n");
            return 1;
        }
        if (Seconds(Clock::now() - start) > args.timeout) {
            std::fprintf(stderr, "no painted window within %.0f s\n", args.timeout);
            Stop(pid);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::printf("painted_ms=%.1f\n", paintedMs);
    std::fflush(stdout);

    if (!args.doubleClicks.empty() || !args.keys.empty()) {
        XTest xtest;
        if (!xtest.load()) {
            std::fprintf(stderr, "libXtst.so.6 is needed for input\n");
            Stop(pid);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::duration<double>(args.inputDelay));
        for (const auto& [x, y] : args.doubleClicks) {
            int rx = 0, ry = 0;
            Window child;
            XTranslateCoordinates(dpy, target, root, x, y, &rx, &ry, &child);
            xtest.motion(dpy, -1, rx, ry, CurrentTime);
            for (int click = 0; click < 2; ++click) {
                xtest.button(dpy, 1, True, CurrentTime);
                xtest.button(dpy, 1, False, CurrentTime);
            }
            XSync(dpy, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        for (const std::string& name : args.keys) {
            const KeySym sym = XStringToKeysym(name.c_str());
            const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(dpy, sym);
            if (!code) {
                std::fprintf(stderr, "no key %s\n", name.c_str());
                Stop(pid);
                return 1;
            }
            xtest.key(dpy, code, True, CurrentTime);
            xtest.key(dpy, code, False, CurrentTime);
            XSync(dpy, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }

    int rc = 0;
    if (args.measure > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(args.warmup));
        const unsigned long long before = Fingerprint(dpy, target, args.area);
        const std::optional<double> cpu0 = CpuSeconds(pid);
        const Clock::time_point t0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(args.measure));
        const std::optional<double> cpu1 = CpuSeconds(pid);
        const double wall = Seconds(Clock::now() - t0);
        const unsigned long long after = Fingerprint(dpy, target, args.area);
        if (!cpu0 || !cpu1) {
            std::fprintf(stderr, "the program ended while measured\n");
            rc = 1;
        } else {
            std::printf("cpu_s=%.3f wall_s=%.3f cpu_per_s=%.4f moving=%d\n", *cpu1 - *cpu0, wall,
                        (*cpu1 - *cpu0) / wall, before != after ? 1 : 0);
        }
        std::printf("title=%s\n", TitleOf(dpy, target).c_str());
    }
    Stop(pid);
    XCloseDisplay(dpy);
    return rc;
}
