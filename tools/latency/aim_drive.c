/* Moves the mouse through XTest at steady velocities, one segment per line of standard
 * input, "VX VY RATE_HZ MS": counts per millisecond on each axis, the report rate of the
 * mouse it imitates (an event every 1000/RATE_HZ ms carrying the counts of that time,
 * whole counts carried over by a fractional accumulator on each axis) and the segment's
 * length. REST_MS of rest come before each segment and after the last, and the direction
 * alternates so the pointer stays on the screen. Pointer acceleration is switched off
 * first, so every count sent is a count read.
 *
 * Prints for each segment, in microseconds on CLOCK_MONOTONIC_RAW (the clock Wine's
 * QueryPerformanceCounter counts, so the lines go straight into an aim trace):
 *   segment START LAST END VX VY RATE_HZ      the first and last motion event, the end,
 *                                             the velocity as sent (signed)
 *   # late MAX_US EVENTS N                    how late the driver itself sent its events
 * Run it at real-time priority (chrt -f 50): at normal priority on a busy machine it was
 * seen to hold its events for up to 100 ms and send them in a lump.
 *
 * usage: aim-drive [REST_MS] < segments */

#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#define DEFAULT_REST_MS 400.0

static long long microseconds(clockid_t clock) {
    struct timespec now;
    clock_gettime(clock, &now);
    return (long long)now.tv_sec * 1000000LL + now.tv_nsec / 1000;
}

/* Sleeps until dueUs on CLOCK_MONOTONIC. */
static void sleepUntil(long long dueUs) {
    struct timespec at;
    at.tv_sec = (time_t)(dueUs / 1000000LL);
    at.tv_nsec = (long)(dueUs % 1000000LL) * 1000L;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, NULL) != 0) {
    }
}

/* Whole counts of one event on one axis; the fraction stays for the next. */
static int takeCounts(double* carried, double counts) {
    *carried += counts;
    const double whole = trunc(*carried);
    *carried -= whole;
    return (int)whole;
}

typedef struct {
    long long firstUs;
    long long lastUs;
    long long mostLateUs;
    int events;
} SentSegment;

static SentSegment driveSegment(Display* display, double vx, double vy, double rateHz,
                                double lengthMs, int direction) {
    SentSegment sent = {-1, -1, 0, 0};
    const double periodMs = 1000.0 / rateHz;
    const long long startUs = microseconds(CLOCK_MONOTONIC);
    double carriedX = 0.0, carriedY = 0.0;
    for (int k = 0; (k + 1) * periodMs <= lengthMs; ++k) {
        const long long dueUs = startUs + (long long)llround((k + 1) * periodMs * 1000.0);
        sleepUntil(dueUs);
        const long long lateUs = microseconds(CLOCK_MONOTONIC) - dueUs;
        const int dx = takeCounts(&carriedX, vx * periodMs);
        const int dy = takeCounts(&carriedY, vy * periodMs);
        if (dx == 0 && dy == 0) {
            continue;
        }
        XTestFakeRelativeMotionEvent(display, direction * dx, direction * dy, CurrentTime);
        XFlush(display);
        sent.lastUs = microseconds(CLOCK_MONOTONIC_RAW);
        if (sent.firstUs < 0) {
            sent.firstUs = sent.lastUs;
        }
        if (lateUs > sent.mostLateUs) {
            sent.mostLateUs = lateUs;
        }
        ++sent.events;
    }
    return sent;
}

int main(int argc, char** argv) {
    const double restMs = argc > 1 ? atof(argv[1]) : DEFAULT_REST_MS;
    Display* display = XOpenDisplay(NULL);
    int eventBase, errorBase, major, minor;
    if (display == NULL || !XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor) ||
        !(restMs >= 0.0)) {
        fprintf(stderr, "usage: aim-drive [REST_MS] < segments (needs an X display with XTest)\n");
        return 2;
    }
    XChangePointerControl(display, True, True, 1, 1, 1);
    XSync(display, False);
    double vx, vy, rateHz, lengthMs;
    int segment = 0;
    while (scanf("%lf %lf %lf %lf", &vx, &vy, &rateHz, &lengthMs) == 4) {
        if (!(rateHz > 0.0 && rateHz <= 1000.0) || !(lengthMs > 0.0)) {
            fprintf(stderr, "aim-drive: segment %d: a rate of 1 to 1000 Hz and a length\n",
                    segment);
            return 2;
        }
        sleepUntil(microseconds(CLOCK_MONOTONIC) + (long long)(restMs * 1000.0));
        const int direction = segment % 2 == 0 ? 1 : -1;
        const SentSegment sent = driveSegment(display, vx, vy, rateHz, lengthMs, direction);
        printf("segment %lld %lld %lld %.17g %.17g %d\n", sent.firstUs, sent.lastUs,
               microseconds(CLOCK_MONOTONIC_RAW), direction * vx, direction * vy, (int)rateHz);
        printf("# late %lld EVENTS %d\n", sent.mostLateUs, sent.events);
        fflush(stdout);
        ++segment;
    }
    sleepUntil(microseconds(CLOCK_MONOTONIC) + (long long)(restMs * 1000.0));
    XCloseDisplay(display);
    return 0;
}
