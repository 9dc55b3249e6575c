/* How long a timed wait really sleeps, measured with QueryPerformanceCounter: the
 * candidates for a timer finer than SetTimer's 10 ms on the GUI thread, each waited for
 * with MsgWaitForMultipleObjectsEx as the main loop waits.
 *
 *   timeout    MsgWaitForMultipleObjectsEx with no handle and a timeout of N ms
 *   waitable   a waitable timer due in N ms, the one handle of the wait
 *   waitable-hr  the same with CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, where it exists
 *
 * each for N = 1, 2, 4 and 8 ms (or the timeouts given), first at the default timer resolution and
 * then inside timeBeginPeriod(1). Prints one line per case, in ms:
 *
 *   WAIT period DEFAULT|1ms timeout N n COUNT min MIN median MEDIAN p90 P90 max MAX
 *
 * usage: timer-lateness.exe [SAMPLES [TIMEOUT_MS...]] (default 200 samples). */

#include <windows.h>

#include <mmsystem.h>
#include <stdio.h>
#include <stdlib.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

#define DEFAULT_SAMPLES 200
#define MAX_SAMPLES 10000
#define HUNDRED_NS_PER_MS 10000

typedef enum { WAIT_TIMEOUT_ONLY, WAIT_WAITABLE, WAIT_WAITABLE_HIGH_RESOLUTION } WaitKind;

static const char* const WAIT_NAMES[] = {"timeout", "waitable", "waitable-hr"};
#define MAX_TIMEOUTS 16
#define MAX_TIMEOUT_MS 10000

static DWORD timeoutsMs[MAX_TIMEOUTS] = {1, 2, 4, 8};
static int timeoutCount = 4;

static double performanceFrequency;

static double nowMs(void) {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart * 1000.0 / performanceFrequency;
}

/* NULL when the platform has no such timer (the high-resolution flag is Windows 10 1803+). */
static HANDLE createTimer(WaitKind kind) {
    if (kind == WAIT_TIMEOUT_ONLY) {
        return NULL;
    }
    const DWORD flags =
        kind == WAIT_WAITABLE_HIGH_RESOLUTION ? CREATE_WAITABLE_TIMER_HIGH_RESOLUTION : 0;
    return CreateWaitableTimerExW(NULL, NULL, flags, TIMER_ALL_ACCESS);
}

/* One wait of timeoutMs; returns the time it took in ms. */
static double timeOneWait(HANDLE timer, DWORD timeoutMs) {
    const double start = nowMs();
    if (timer == NULL) {
        MsgWaitForMultipleObjectsEx(0, NULL, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    } else {
        LARGE_INTEGER due;
        due.QuadPart = -(LONGLONG)timeoutMs * HUNDRED_NS_PER_MS; /* negative: relative */
        SetWaitableTimer(timer, &due, 0, NULL, NULL, FALSE);
        MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    return nowMs() - start;
}

static int compareDoubles(const void* left, const void* right) {
    const double a = *(const double*)left;
    const double b = *(const double*)right;
    return (a > b) - (a < b);
}

static void printSummary(WaitKind kind, const char* period, DWORD timeoutMs, double* samples,
                         int count) {
    qsort(samples, (size_t)count, sizeof samples[0], compareDoubles);
    const double median =
        count % 2 == 1 ? samples[count / 2] : (samples[count / 2 - 1] + samples[count / 2]) / 2.0;
    /* Nearest rank: the smallest sample with at least 90 % of them at or below it. */
    const int p90Rank = (count * 9 + 9) / 10;
    printf("%s period %s timeout %lu n %d min %.3f median %.3f p90 %.3f max %.3f\n",
           WAIT_NAMES[kind], period, (unsigned long)timeoutMs, count, samples[0], median,
           samples[p90Rank - 1], samples[count - 1]);
}

static void measureKind(WaitKind kind, const char* period, int samples) {
    static double slept[MAX_SAMPLES];
    HANDLE timer = createTimer(kind);
    if (kind != WAIT_TIMEOUT_ONLY && timer == NULL) {
        printf("%s period %s unavailable (error %lu)\n", WAIT_NAMES[kind], period,
               (unsigned long)GetLastError());
        return;
    }
    for (int t = 0; t < timeoutCount; ++t) {
        for (int i = 0; i < samples; ++i) {
            slept[i] = timeOneWait(timer, timeoutsMs[t]);
        }
        printSummary(kind, period, timeoutsMs[t], slept, samples);
    }
    if (timer != NULL) {
        CloseHandle(timer);
    }
}

static void measureAll(const char* period, int samples) {
    measureKind(WAIT_TIMEOUT_ONLY, period, samples);
    measureKind(WAIT_WAITABLE, period, samples);
    measureKind(WAIT_WAITABLE_HIGH_RESOLUTION, period, samples);
}

/* The timeouts given after the sample count, when there are any; 0 when one is wrong. */
static int readTimeouts(int count, char** texts) {
    if (count == 0) {
        return 1;
    }
    if (count > MAX_TIMEOUTS) {
        return 0;
    }
    for (int t = 0; t < count; ++t) {
        const long ms = atol(texts[t]);
        if (ms < 1 || ms > MAX_TIMEOUT_MS) {
            return 0;
        }
        timeoutsMs[t] = (DWORD)ms;
    }
    timeoutCount = count;
    return 1;
}

int main(int argc, char** argv) {
    const int samples = argc > 1 ? atoi(argv[1]) : DEFAULT_SAMPLES;
    if (samples < 1 || samples > MAX_SAMPLES || !readTimeouts(argc > 2 ? argc - 2 : 0, argv + 2)) {
        fprintf(stderr,
                "usage: timer-lateness.exe [SAMPLES [TIMEOUT_MS...]]: 1 to %d samples, at most %d"
                " timeouts of 1 to %d ms\n",
                MAX_SAMPLES, MAX_TIMEOUTS, MAX_TIMEOUT_MS);
        return 2;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    performanceFrequency = (double)frequency.QuadPart;
    measureAll("default", samples);
    timeBeginPeriod(1);
    measureAll("1ms", samples);
    timeEndPeriod(1);
    fflush(stdout);
    return 0;
}
