/* Plays a plan of key and mouse-button presses through the XTest extension and logs, on
 * the monotonic clock, the moment of each one and every moment FILE grew, so that a later
 * step can give each packet the program wrote its arrival time. The plan is a text, one
 * command a line:
 *
 *   mark NAME       logs the name (a segment of the plan starts)
 *   down KEYSYM     presses a key (an X keysym name: t, Alt_L, Prior)
 *   up KEYSYM       releases it
 *   bdown N         presses mouse button N (1 left, 2 middle, 3 right)
 *   bup N           releases it
 *   wait MS         waits MS milliseconds after the previous command, watching FILE
 *   cpu             logs the CPU time of each PID given, in clock ticks
 *
 * It prints, once the plan has ended (nothing is written while it plays):
 *
 *   size T BYTES              FILE's length at T (ms), at the start and at every growth
 *   act T VERB ARG            a command at T, taken just before it was sent
 *   cpu T PID TICKS           user plus system time of PID
 *
 * usage: mode-probe FILE PLAN [PID...]; the X display comes from DISPLAY and the input
 * goes to the window that has the focus. Exits 1 when the plan cannot be played. */

#define _GNU_SOURCE

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#define NOTIFY_BUFFER_SIZE 4096
#define OUTPUT_BUFFER_SIZE (8 * 1024 * 1024)
#define MAX_PIDS 8
#define MAX_LINE 256

static double nowMs(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec * 1000.0 + (double)now.tv_nsec / 1e6;
}

static long long fileSize(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 ? (long long)status.st_size : -1;
}

struct Watch {
    int notify;
    const char* path;
    long long size;
};

/* Logs the file's length when it changed since the last look. */
static void noteGrowth(struct Watch* watch) {
    const long long size = fileSize(watch->path);
    if (size != watch->size) {
        watch->size = size;
        printf("size %.3f %lld\n", nowMs(), size);
    }
}

/* Blocks on inotify until the deadline, logging every growth; never spins. */
static void watchUntil(struct Watch* watch, double deadline) {
    char events[NOTIFY_BUFFER_SIZE];
    for (;;) {
        const double remaining = deadline - nowMs();
        if (remaining <= 0) {
            return;
        }
        const struct timespec timeout = {(time_t)(remaining / 1000.0),
                                         (long)(((long long)(remaining * 1e6)) % 1000000000LL)};
        struct pollfd wait = {watch->notify, POLLIN, 0};
        if (ppoll(&wait, 1, &timeout, NULL) > 0) {
            while (read(watch->notify, events, sizeof events) > 0) {
            }
            noteGrowth(watch);
        }
    }
}

/* User plus system time of a process in clock ticks (fields 14 and 15 of its stat, read
 * after the command name, which may hold blanks); -1 when it cannot be read. */
static long long cpuTicks(const char* pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%s/stat", pid);
    FILE* stat = fopen(path, "r");
    if (stat == NULL) {
        return -1;
    }
    char text[1024];
    const size_t length = fread(text, 1, sizeof text - 1, stat);
    fclose(stat);
    text[length] = '\0';
    const char* rest = strrchr(text, ')');
    unsigned long long user = 0, system = 0;
    if (rest == NULL || sscanf(rest + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu",
                               &user, &system) != 2) {
        return -1;
    }
    return (long long)(user + system);
}

struct Probe {
    Display* display;
    struct Watch watch;
    char* const* pids;
    int pidCount;
    double lastCommandAt;
};

static int sendKey(struct Probe* probe, const char* name, Bool down) {
    const KeySym symbol = XStringToKeysym(name);
    const KeyCode key = symbol == NoSymbol ? 0 : XKeysymToKeycode(probe->display, symbol);
    if (key == 0) {
        fprintf(stderr, "mode-probe: no key \"%s\" on this display\n", name);
        return 0;
    }
    printf("act %.3f %s %s\n", nowMs(), down ? "down" : "up", name);
    XTestFakeKeyEvent(probe->display, key, down, CurrentTime);
    XFlush(probe->display);
    return 1;
}

static int sendButton(struct Probe* probe, const char* number, Bool down) {
    const unsigned int button = (unsigned int)strtoul(number, NULL, 10);
    if (button < 1 || button > 9) {
        fprintf(stderr, "mode-probe: no mouse button \"%s\"\n", number);
        return 0;
    }
    printf("act %.3f %s %u\n", nowMs(), down ? "bdown" : "bup", button);
    XTestFakeButtonEvent(probe->display, button, down, CurrentTime);
    XFlush(probe->display);
    return 1;
}

static void logCpu(const struct Probe* probe) {
    const double at = nowMs();
    for (int i = 0; i < probe->pidCount; ++i) {
        printf("cpu %.3f %s %lld\n", at, probe->pids[i], cpuTicks(probe->pids[i]));
    }
}

/* Runs one command of the plan; 0 when it is not one. */
static int runCommand(struct Probe* probe, const char* verb, const char* argument) {
    if (strcmp(verb, "wait") == 0) {
        watchUntil(&probe->watch, probe->lastCommandAt + atof(argument));
    } else if (strcmp(verb, "mark") == 0) {
        printf("act %.3f mark %s\n", nowMs(), argument);
    } else if (strcmp(verb, "down") == 0 || strcmp(verb, "up") == 0) {
        if (!sendKey(probe, argument, verb[0] == 'd')) {
            return 0;
        }
    } else if (strcmp(verb, "bdown") == 0 || strcmp(verb, "bup") == 0) {
        if (!sendButton(probe, argument, verb[1] == 'd')) {
            return 0;
        }
    } else if (strcmp(verb, "cpu") == 0) {
        logCpu(probe);
    } else {
        fprintf(stderr, "mode-probe: unknown command \"%s\"\n", verb);
        return 0;
    }
    probe->lastCommandAt = nowMs();
    return 1;
}

static int playPlan(struct Probe* probe, FILE* plan) {
    char line[MAX_LINE];
    int number = 0;
    while (fgets(line, sizeof line, plan) != NULL) {
        ++number;
        char verb[MAX_LINE] = "", argument[MAX_LINE] = "";
        if (sscanf(line, "%255s %255s", verb, argument) < 1 || verb[0] == '#') {
            continue;
        }
        if (!runCommand(probe, verb, argument)) {
            fprintf(stderr, "mode-probe: plan line %d: %s", number, line);
            return 0;
        }
    }
    return 1;
}

int main(int argc, char** argv) {
    if (argc < 3 || argc - 3 > MAX_PIDS) {
        fprintf(stderr, "usage: mode-probe FILE PLAN [PID...] (at most %d PIDs)\n", MAX_PIDS);
        return 2;
    }
    struct Probe probe = {.pids = argv + 3, .pidCount = argc - 3};
    probe.watch.path = argv[1];
    FILE* plan = fopen(argv[2], "r");
    if (plan == NULL) {
        fprintf(stderr, "mode-probe: cannot read the plan %s\n", argv[2]);
        return 2;
    }
    probe.display = XOpenDisplay(NULL);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (probe.display == NULL ||
        !XTestQueryExtension(probe.display, &eventBase, &errorBase, &major, &minor)) {
        fprintf(stderr, "mode-probe: no X display with the XTest extension\n");
        return 2;
    }
    probe.watch.notify = inotify_init1(IN_NONBLOCK);
    if (probe.watch.notify < 0 ||
        inotify_add_watch(probe.watch.notify, probe.watch.path, IN_MODIFY) < 0) {
        fprintf(stderr, "mode-probe: cannot watch %s\n", probe.watch.path);
        return 2;
    }
    /* Nothing reaches standard output before the end: a write could delay a look. */
    static char output[OUTPUT_BUFFER_SIZE];
    setvbuf(stdout, output, _IOFBF, sizeof output);
    probe.watch.size = -2;
    noteGrowth(&probe.watch);
    probe.lastCommandAt = nowMs();
    const int played = playPlan(&probe, plan);
    fclose(plan);
    XCloseDisplay(probe.display);
    fflush(stdout);
    return played ? 0 : 1;
}
