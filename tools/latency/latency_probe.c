/* Times how long a key press takes to reach a file. Presses SPACE through the XTest
 * extension at random moments, 100 to 400 ms apart, and measures the time from the press
 * until FILE grows; releases the key once it has, and waits for the release to reach the
 * file too. Two warm-up presses are not counted. Prints one line, in milliseconds:
 *
 *   LABEL n N min MIN median MEDIAN p90 P90 max MAX
 *
 * usage: latency-probe LABEL FILE [PRESSES [SEED]]; the X display comes from DISPLAY and
 * the key goes to the window that has the focus. Exits 1 when a press never arrived. */

#define _POSIX_C_SOURCE 200809L

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#define DEFAULT_PRESSES 60
#define WARM_UP_PRESSES 2
#define MAX_PRESSES 10000
#define GAP_MIN_MS 100
#define GAP_SPREAD_MS 300
#define ARRIVAL_TIMEOUT_MS 3000.0
#define NOTIFY_BUFFER_SIZE 4096

static double nowMs(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec * 1000.0 + (double)now.tv_nsec / 1e6;
}

static void sleepMs(long milliseconds) {
    struct timespec pause = {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    nanosleep(&pause, NULL);
}

static long long fileSize(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 ? (long long)status.st_size : -1;
}

/* Blocks on inotify, never spins. Returns the moment the file grew past `from`, or a
 * negative value on a time-out. */
static double waitForGrowth(int notify, const char* path, long long from) {
    const double deadline = nowMs() + ARRIVAL_TIMEOUT_MS;
    char events[NOTIFY_BUFFER_SIZE];
    for (;;) {
        if (fileSize(path) > from) {
            return nowMs();
        }
        const double remaining = deadline - nowMs();
        if (remaining <= 0) {
            return -1.0;
        }
        struct pollfd wait = {notify, POLLIN, 0};
        if (poll(&wait, 1, (int)remaining + 1) > 0 && read(notify, events, sizeof events) < 0) {
            return -1.0;
        }
    }
}

static void sendKey(Display* display, KeyCode key, Bool down) {
    XTestFakeKeyEvent(display, key, down, CurrentTime);
    XFlush(display);
}

/* The press's latency in ms, or a negative value when it never arrived. */
static double measurePress(Display* display, KeyCode key, int notify, const char* path) {
    const long long before = fileSize(path);
    const double pressedAt = nowMs();
    sendKey(display, key, True);
    const double arrivedAt = waitForGrowth(notify, path, before);
    const long long afterPress = fileSize(path);
    sendKey(display, key, False);
    if (waitForGrowth(notify, path, afterPress) < 0) {
        fprintf(stderr, "latency-probe: a release did not reach %s\n", path);
    }
    return arrivedAt < 0 ? -1.0 : arrivedAt - pressedAt;
}

static int compareDoubles(const void* left, const void* right) {
    const double a = *(const double*)left;
    const double b = *(const double*)right;
    return (a > b) - (a < b);
}

static void printSummary(const char* label, double* samples, int count) {
    qsort(samples, (size_t)count, sizeof samples[0], compareDoubles);
    const double median =
        count % 2 == 1 ? samples[count / 2] : (samples[count / 2 - 1] + samples[count / 2]) / 2.0;
    /* Nearest rank: the smallest sample with at least 90 % of them at or below it. */
    const int p90Rank = (count * 9 + 9) / 10;
    printf("%s n %d min %.2f median %.2f p90 %.2f max %.2f\n", label, count, samples[0], median,
           samples[p90Rank - 1], samples[count - 1]);
}

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) {
        fprintf(stderr, "usage: latency-probe LABEL FILE [PRESSES [SEED]]\n");
        return 2;
    }
    const char* label = argv[1];
    const char* path = argv[2];
    const int presses = argc > 3 ? atoi(argv[3]) : DEFAULT_PRESSES;
    unsigned int seed =
        argc > 4 ? (unsigned int)strtoul(argv[4], NULL, 10) : (unsigned int)time(NULL);
    if (presses < 1 || presses > MAX_PRESSES) {
        fprintf(stderr, "latency-probe: PRESSES must be 1 to %d\n", MAX_PRESSES);
        return 2;
    }
    /* A folder or a device never grows as the program writes: every press would time out. */
    struct stat status;
    if (stat(path, &status) != 0 || !S_ISREG(status.st_mode)) {
        fprintf(stderr, "latency-probe: %s is not a file the program writes\n", path);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (display == NULL || !XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        fprintf(stderr, "latency-probe: no X display with the XTest extension\n");
        return 2;
    }
    const int notify = inotify_init1(IN_NONBLOCK);
    if (notify < 0 || inotify_add_watch(notify, path, IN_MODIFY) < 0) {
        fprintf(stderr, "latency-probe: cannot watch %s\n", path);
        return 2;
    }
    const KeyCode space = XKeysymToKeycode(display, XK_space);
    static double samples[MAX_PRESSES];
    int measured = 0;
    int missed = 0;
    for (int press = -WARM_UP_PRESSES; press < presses; ++press) {
        sleepMs(GAP_MIN_MS + rand_r(&seed) % GAP_SPREAD_MS);
        const double latency = measurePress(display, space, notify, path);
        if (latency < 0) {
            ++missed;
        } else if (press >= 0) {
            samples[measured++] = latency;
        }
    }
    if (measured > 0) {
        printSummary(label, samples, measured);
    }
    XCloseDisplay(display);
    if (missed > 0) {
        fprintf(stderr, "latency-probe: %d presses never reached %s\n", missed, path);
        return 1;
    }
    return 0;
}
