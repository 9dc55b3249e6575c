// Moves the mouse through XTest the way a real mouse reports, and times or reads what
// reaches a file: the packets.bin of qora's virtual adapter (Xbox 360 packets), or the
// latency-floor.bin of the bare DirectInput program in its mouse mode. X pointer
// acceleration is switched off first, so every count sent is a count the program reads.
//
//   aim-probe latency LABEL FILE SOURCE [BURSTS [SEED [SPEED]]]
//       Bursts of motion along X, one XTest event per millisecond at SPEED counts/ms
//       (default 2), 40 to 200 ms long, in alternating directions, with random pauses
//       after the stick is back at rest. Two warm-up bursts are not counted. Prints, in ms:
//         LABEL onset n N min MIN median MEDIAN p90 P90 max MAX
//         LABEL stop n N min MIN median MEDIAN p90 P90 max MAX      (not for the floor)
//         LABEL last n N min MIN median MEDIAN p90 P90 max MAX      (the floor only)
//         LABEL counts sent S received R events E records C         (the floor only)
//       stop: from the last event to the packet that centres the stick; last: from the
//       last event to the floor's read of the last count, the earliest a stop can be.
//   aim-probe deflection LABEL FILE SOURCE RATE SPEED...
//       For each SPEED in counts/ms, 500 ms of steady motion along X as a RATE Hz mouse
//       (one event every 1000/RATE ms, whole counts carried by a fractional accumulator,
//       so the average is exact). Prints a line per speed:
//         LABEL rate RATE speed SPEED median RAW percent P min RAW max RAW
//       the stick's X over the steady part (from 200 ms on), or for the floor:
//         LABEL rate RATE speed SPEED counts sent S received R events E records C
//   aim-probe move SECONDS SPEED
//       Steady motion at 1000 Hz for SECONDS, turning back every second.
//
// SOURCE is `floor`, or the stick the profile's mouse moves: `left` or `right`. Exits 1
// when a burst never reached the file or counts went missing, 2 on bad arguments. With
// AIM_PROBE_TRACE set, the latency command also prints every burst on standard error.

#include "link/packet.h"
#include "mapping/controller_state.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kDefaultBursts = 40;
constexpr int kWarmUpBursts = 2;
constexpr int kMaxBursts = 10000;
constexpr double kDefaultBurstSpeed = 2.0;
constexpr int kBurstMinMs = 40;
constexpr int kBurstSpreadMs = 161; // 40 .. 200 ms
constexpr int kPauseMinMs = 150;
constexpr int kPauseSpreadMs = 300;
constexpr double kArrivalTimeoutMs = 1500.0;
constexpr double kRestTimeoutMs = 3000.0;
constexpr double kFloorQuietMs = 100.0; // no record for this long: the floor got everything

constexpr int kSpeedRunMs = 500;
constexpr int kSteadyFromMs = 200;
constexpr int kSpeedPauseMs = 200;
constexpr int kMoveTurnMs = 1000;

constexpr std::size_t kFloorRecordSize = 12; // dx, dy, motion records: 32-bit each
constexpr double kStickFullScale = 32767.0;

double nowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// ---- The mouse -------------------------------------------------------------------------

Display* openDisplayWithXTest() {
    Display* display = XOpenDisplay(nullptr);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (display == nullptr ||
        !XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        return nullptr;
    }
    return display;
}

// `xset m 1 1`: a program that reads the accelerated pointer would otherwise get more
// counts than were sent. (Wine 8's exclusive mouse reads the counts one to one even at the
// X server's default of 2x past 4 counts; this keeps other set-ups honest.) The core
// pointer's setting reaches every pointer device, the XTest one included.
void switchOffPointerAcceleration(Display* display) {
    XChangePointerControl(display, True, True, 1, 1, 1);
    XSync(display, False);
}

void sendMotion(Display* display, int dx) {
    XTestFakeRelativeMotionEvent(display, dx, 0, CurrentTime);
    XFlush(display);
}

// Whole counts per event from a steady speed: the fraction left over is carried, so the
// counts sent over any stretch are the speed's to within one count. The first event
// carries at least one count, so a burst starts at its first event.
struct MotionSteps {
    double countsPerEvent;
    double carried;

    explicit MotionSteps(double counts)
        : countsPerEvent(counts), carried(std::max(0.0, 1.0 - counts)) {}

    int next() {
        carried += countsPerEvent;
        const double whole = std::floor(carried);
        carried -= whole;
        return static_cast<int>(whole);
    }
};

// ---- What reaches the file -------------------------------------------------------------

enum class Source { floor, leftStick, rightStick };

struct Stick {
    int x = 0;
    int y = 0;

    bool centred() const { return x == 0 && y == 0; }
};

struct FloorTotals {
    long long counts = 0;
    long long events = 0;
    long long records = 0;
};

// The file, what has been read of it, and what it told about the current burst. Times are
// when the probe read the record: inotify wakes it at the write.
struct Watch {
    Source source = Source::floor;
    int file = -1;
    int notify = -1;
    std::vector<std::uint8_t> unread;
    Stick stick;
    FloorTotals floor;
    double burstStartedAt = -1.0; // the first motion of the burst, -1 outside one
    double deflectedAt = -1.0;
    bool stopArmed = false; // the last motion is sent: the next centring is the stop
    double centredAt = -1.0;
    double lastFloorMotionAt = -1.0; // the floor's latest record that carried motion
};

std::size_t recordSize(Source source) {
    return source == Source::floor ? kFloorRecordSize : qora::kPacketSize;
}

std::int32_t littleEndian32(const std::uint8_t* bytes) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

int littleEndian16(const std::uint8_t* bytes) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8));
}

// An Xbox 360 packet carries the controller state's report unchanged after its first byte.
Stick stickOf(const std::uint8_t* packet, Source source) {
    const std::size_t x =
        source == Source::leftStick ? qora::state::leftStickX : qora::state::rightStickX;
    const std::size_t y =
        source == Source::leftStick ? qora::state::leftStickY : qora::state::rightStickY;
    return {littleEndian16(packet + qora::packet::reportBegin + x),
            littleEndian16(packet + qora::packet::reportBegin + y)};
}

void takePacket(Watch& watch, const std::uint8_t* packet, double at) {
    const Stick before = watch.stick;
    watch.stick = stickOf(packet, watch.source);
    if (watch.burstStartedAt >= 0 && watch.deflectedAt < 0 && !watch.stick.centred()) {
        watch.deflectedAt = at;
    }
    if (watch.stopArmed && watch.centredAt < 0 && watch.stick.centred() && !before.centred()) {
        watch.centredAt = at;
    }
}

void takeFloorRecord(Watch& watch, const std::uint8_t* record, double at) {
    watch.floor.counts += littleEndian32(record);
    watch.floor.records += littleEndian32(record + 8);
    ++watch.floor.events;
    if (littleEndian32(record + 8) != 0) {
        watch.lastFloorMotionAt = at;
    }
    if (watch.burstStartedAt >= 0 && watch.deflectedAt < 0) {
        watch.deflectedAt = at;
    }
}

// Reads what was appended since the last call and takes every whole record.
void readAppended(Watch& watch) {
    std::uint8_t chunk[4096];
    ssize_t got = 0;
    while ((got = read(watch.file, chunk, sizeof chunk)) > 0) {
        watch.unread.insert(watch.unread.end(), chunk, chunk + got);
    }
    const double at = nowMs();
    const std::size_t size = recordSize(watch.source);
    std::size_t used = 0;
    for (; used + size <= watch.unread.size(); used += size) {
        if (watch.source == Source::floor) {
            takeFloorRecord(watch, watch.unread.data() + used, at);
        } else {
            takePacket(watch, watch.unread.data() + used, at);
        }
    }
    watch.unread.erase(watch.unread.begin(), watch.unread.begin() + static_cast<long>(used));
}

// Blocks on inotify until the deadline, reading every change as it comes; never spins.
void serviceUntil(Watch& watch, double deadline) {
    char events[4096];
    for (;;) {
        readAppended(watch);
        const double remaining = deadline - nowMs();
        if (remaining <= 0) {
            return;
        }
        const auto nanoseconds = static_cast<long long>(remaining * 1e6);
        const timespec timeout{static_cast<time_t>(nanoseconds / 1000000000LL),
                               static_cast<long>(nanoseconds % 1000000000LL)};
        pollfd wait{watch.notify, POLLIN, 0};
        if (ppoll(&wait, 1, &timeout, nullptr) > 0) {
            while (read(watch.notify, events, sizeof events) > 0) {
            }
        }
    }
}

// Services until done() holds or the deadline passes; returns done().
template <typename Done>
bool serviceUntilDone(Watch& watch, double deadline, Done done) {
    while (!done() && nowMs() < deadline) {
        serviceUntil(watch, std::min(deadline, nowMs() + 1.0));
    }
    return done();
}

// Only a file that the program appends to is watched: a folder cannot be read, and a
// device would give records for ever.
bool openWatch(Watch& watch, const char* path, Source source) {
    watch.source = source;
    watch.file = open(path, O_RDONLY);
    watch.notify = inotify_init1(IN_NONBLOCK);
    struct stat status {};
    if (watch.file < 0 || fstat(watch.file, &status) != 0 || !S_ISREG(status.st_mode)) {
        std::fprintf(stderr, "aim-probe: %s is not a file the program writes\n", path);
        return false;
    }
    if (watch.notify < 0 || inotify_add_watch(watch.notify, path, IN_MODIFY) < 0) {
        std::fprintf(stderr, "aim-probe: cannot watch %s\n", path);
        return false;
    }
    lseek(watch.file, 0, SEEK_END); // earlier records belong to the run's start
    return true;
}

// The stick back at the centre; for the floor, no record for a while.
bool waitForRest(Watch& watch) {
    if (watch.source != Source::floor) {
        return serviceUntilDone(watch, nowMs() + kRestTimeoutMs,
                                [&] { return watch.stick.centred(); });
    }
    long long events = -1;
    while (events != watch.floor.events) {
        events = watch.floor.events;
        serviceUntil(watch, nowMs() + kFloorQuietMs);
    }
    return true;
}

// ---- Figures ---------------------------------------------------------------------------

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

void printSummary(const char* label, const char* what, std::vector<double> samples) {
    if (samples.empty()) {
        std::printf("%s %s n 0\n", label, what);
        return;
    }
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    // Nearest rank: the smallest sample with at least 90 % of them at or below it.
    const std::size_t p90Rank = (n * 9 + 9) / 10;
    std::printf("%s %s n %zu min %.2f median %.2f p90 %.2f max %.2f\n", label, what, n,
                samples.front(), median(samples), samples[p90Rank - 1], samples.back());
}

// What the floor read of the motion sent, summed over bursts or steady runs.
struct CountCheck {
    long long sent = 0;
    long long received = 0;
    long long events = 0;
    long long records = 0;
    int mismatches = 0;
};

FloorTotals difference(const FloorTotals& after, const FloorTotals& before) {
    return {after.counts - before.counts, after.events - before.events,
            after.records - before.records};
}

// Once the floor is quiet, adds what it read since `before` against the signed counts sent.
void checkFloorCounts(Watch& watch, const FloorTotals& before, long long sent, CountCheck& check) {
    waitForRest(watch);
    const FloorTotals got = difference(watch.floor, before);
    check.sent += std::llabs(sent);
    check.received += std::llabs(got.counts);
    check.events += got.events;
    check.records += got.records;
    check.mismatches += got.counts == sent ? 0 : 1;
}

void printCountCheck(const char* prefix, const CountCheck& check) {
    std::printf("%s counts sent %lld received %lld events %lld records %lld\n", prefix, check.sent,
                check.received, check.events, check.records);
}

// ---- latency ---------------------------------------------------------------------------

struct SentBurst {
    double lastMotionAt = 0.0;
    long long counts = 0;
};

struct BurstResult {
    double onset = -1.0; // ms from the first motion to the first deflected record
    double stop = -1.0;  // ms from the last motion to the centring packet; -1 when missed
};

// Sends one event per millisecond for durationMs; returns when the last one is sent.
SentBurst sendBurst(Display* display, Watch& watch, int direction, int durationMs, double speed) {
    SentBurst sent;
    MotionSteps steps(speed);
    const double start = nowMs();
    watch.deflectedAt = -1.0;
    watch.centredAt = -1.0;
    for (int ms = 0; ms < durationMs; ++ms) {
        serviceUntil(watch, start + ms);
        const int counts = steps.next();
        if (counts == 0) {
            continue;
        }
        sent.lastMotionAt = nowMs();
        if (watch.burstStartedAt < 0) {
            watch.burstStartedAt = sent.lastMotionAt;
        }
        sendMotion(display, direction * counts);
        sent.counts += counts;
    }
    watch.stopArmed = true;
    return sent;
}

// Waits for the burst's deflection and, on a stick, its centring.
BurstResult awaitBurstEnd(Watch& watch, const SentBurst& sent) {
    const bool floor = watch.source == Source::floor;
    serviceUntilDone(watch, sent.lastMotionAt + kArrivalTimeoutMs,
                     [&] { return watch.deflectedAt >= 0 && (floor || watch.centredAt >= 0); });
    BurstResult result;
    if (watch.deflectedAt >= 0) {
        result.onset = watch.deflectedAt - watch.burstStartedAt;
    }
    if (watch.centredAt >= 0) {
        result.stop = watch.centredAt - sent.lastMotionAt;
    }
    watch.burstStartedAt = -1.0;
    watch.stopArmed = false;
    return result;
}

void traceBurst(int burst, int durationMs, const SentBurst& sent, const BurstResult& result) {
    if (std::getenv("AIM_PROBE_TRACE") != nullptr) {
        std::fprintf(stderr, "burst %d: %d ms, %lld counts, onset %.2f stop %.2f\n", burst,
                     durationMs, sent.counts, result.onset, result.stop);
    }
}

int runLatency(Display* display, const char* label, Watch& watch, int bursts, unsigned seed,
               double speed) {
    std::mt19937 random(seed);
    std::vector<double> onsets, stops;
    std::vector<double> lastCounts; // the floor: from the last motion to its last count read
    int missed = 0;
    CountCheck counts;
    const bool floor = watch.source == Source::floor;
    for (int burst = -kWarmUpBursts; burst < bursts; ++burst) {
        if (!waitForRest(watch)) {
            std::fprintf(stderr, "aim-probe: %s: the stick did not come back to rest\n", label);
            return 1;
        }
        serviceUntil(watch, nowMs() + kPauseMinMs + static_cast<int>(random() % kPauseSpreadMs));
        const int direction = burst % 2 == 0 ? 1 : -1;
        const int durationMs = kBurstMinMs + static_cast<int>(random() % kBurstSpreadMs);
        const FloorTotals before = watch.floor;
        const SentBurst sent = sendBurst(display, watch, direction, durationMs, speed);
        const BurstResult result = awaitBurstEnd(watch, sent);
        traceBurst(burst, durationMs, sent, result);
        const bool arrived = result.onset >= 0 && (floor || result.stop >= 0);
        missed += arrived ? 0 : 1;
        if (burst < 0) {
            continue;
        }
        if (arrived) {
            onsets.push_back(result.onset);
            stops.push_back(result.stop);
        }
        if (floor) {
            checkFloorCounts(watch, before, direction * sent.counts, counts);
            lastCounts.push_back(watch.lastFloorMotionAt - sent.lastMotionAt);
        }
    }
    printSummary(label, "onset", onsets);
    if (floor) {
        printSummary(label, "last", lastCounts);
        printCountCheck(label, counts);
    } else {
        printSummary(label, "stop", stops);
    }
    if (missed > 0 || counts.mismatches > 0) {
        std::fprintf(stderr, "aim-probe: %s: %d bursts never arrived, %d lost or gained counts\n",
                     label, missed, counts.mismatches);
        return 1;
    }
    return 0;
}

// ---- deflection ------------------------------------------------------------------------

struct SpeedRun {
    std::vector<double> steadyX; // |stick X| once a millisecond over the steady part
    long long sentCounts = 0;
};

SpeedRun moveSteadily(Display* display, Watch& watch, int rateHz, double speed, int direction) {
    SpeedRun run;
    const int periodMs = 1000 / rateHz;
    MotionSteps steps(speed * periodMs);
    const double start = nowMs();
    for (int ms = 0; ms < kSpeedRunMs; ++ms) {
        serviceUntil(watch, start + ms);
        if (ms % periodMs == 0) {
            const int counts = steps.next();
            if (counts != 0) {
                sendMotion(display, direction * counts);
                run.sentCounts += counts;
            }
        }
        if (ms >= kSteadyFromMs) {
            run.steadyX.push_back(std::abs(watch.stick.x));
        }
    }
    return run;
}

void printDeflection(const char* label, int rateHz, double speed, const SpeedRun& run) {
    const double raw = median(run.steadyX);
    const auto [low, high] = std::minmax_element(run.steadyX.begin(), run.steadyX.end());
    std::printf("%s rate %d speed %g median %.0f percent %.2f min %.0f max %.0f\n", label, rateHz,
                speed, raw, raw * 100.0 / kStickFullScale, *low, *high);
}

int runDeflection(Display* display, const char* label, Watch& watch, int rateHz,
                  const std::vector<double>& speeds) {
    int failed = 0;
    for (std::size_t i = 0; i < speeds.size(); ++i) {
        const double speed = speeds[i];
        const int direction = i % 2 == 0 ? 1 : -1;
        if (!waitForRest(watch)) {
            std::fprintf(stderr, "aim-probe: %s: the stick did not come back to rest\n", label);
            return 1;
        }
        serviceUntil(watch, nowMs() + kSpeedPauseMs);
        const FloorTotals before = watch.floor;
        const SpeedRun run = moveSteadily(display, watch, rateHz, speed, direction);
        if (watch.source != Source::floor) {
            printDeflection(label, rateHz, speed, run);
            continue;
        }
        CountCheck check;
        checkFloorCounts(watch, before, direction * run.sentCounts, check);
        char prefix[128];
        std::snprintf(prefix, sizeof prefix, "%s rate %d speed %g", label, rateHz, speed);
        printCountCheck(prefix, check);
        failed += check.mismatches;
    }
    return failed > 0 ? 1 : 0;
}

// ---- move ------------------------------------------------------------------------------

int runMove(Display* display, double seconds, double speed) {
    MotionSteps steps(speed);
    const double start = nowMs();
    const long long totalMs = std::llround(seconds * 1000.0);
    long long sentCounts = 0, events = 0;
    for (long long ms = 0; ms < totalMs; ++ms) {
        const double due = start + static_cast<double>(ms);
        const auto nanoseconds = static_cast<long long>(due * 1e6);
        const timespec at{static_cast<time_t>(nanoseconds / 1000000000LL),
                          static_cast<long>(nanoseconds % 1000000000LL)};
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
        const int counts = steps.next();
        if (counts != 0) {
            const int direction = (ms / kMoveTurnMs) % 2 == 0 ? 1 : -1;
            sendMotion(display, direction * counts);
            sentCounts += counts;
            ++events;
        }
    }
    std::printf("move counts sent %lld events %lld\n", sentCounts, events);
    return 0;
}

// ---- Command line ----------------------------------------------------------------------

bool parseSource(const char* text, Source& source) {
    const std::string name = text;
    if (name == "floor" || name == "left" || name == "right") {
        source = name == "floor"  ? Source::floor
                 : name == "left" ? Source::leftStick
                                  : Source::rightStick;
        return true;
    }
    return false;
}

int usage() {
    std::fprintf(stderr, "usage: aim-probe latency LABEL FILE floor|left|right [BURSTS [SEED "
                         "[SPEED]]]\n"
                         "       aim-probe deflection LABEL FILE floor|left|right RATE SPEED...\n"
                         "       aim-probe move SECONDS SPEED\n");
    return 2;
}

int latencyCommand(Display* display, int argc, char** argv) {
    Source source{};
    if (argc < 5 || argc > 8 || !parseSource(argv[4], source)) {
        return usage();
    }
    const int bursts = argc > 5 ? std::atoi(argv[5]) : kDefaultBursts;
    const unsigned seed = argc > 6 ? static_cast<unsigned>(std::strtoul(argv[6], nullptr, 10))
                                   : static_cast<unsigned>(time(nullptr));
    const double speed = argc > 7 ? std::atof(argv[7]) : kDefaultBurstSpeed;
    Watch watch;
    if (bursts < 1 || bursts > kMaxBursts || !(speed > 0) || !openWatch(watch, argv[3], source)) {
        return usage();
    }
    return runLatency(display, argv[2], watch, bursts, seed, speed);
}

int deflectionCommand(Display* display, int argc, char** argv) {
    Source source{};
    if (argc < 7 || !parseSource(argv[4], source)) {
        return usage();
    }
    const int rateHz = std::atoi(argv[5]);
    std::vector<double> speeds;
    for (int i = 6; i < argc; ++i) {
        speeds.push_back(std::atof(argv[i]));
    }
    const bool speedsValid =
        std::all_of(speeds.begin(), speeds.end(), [](double v) { return v > 0; });
    Watch watch;
    if (rateHz < 1 || rateHz > 1000 || 1000 % rateHz != 0 || !speedsValid ||
        !openWatch(watch, argv[3], source)) {
        return usage();
    }
    return runDeflection(display, argv[2], watch, rateHz, speeds);
}

int moveCommand(Display* display, int argc, char** argv) {
    if (argc != 4 || !(std::atof(argv[2]) > 0) || !(std::atof(argv[3]) > 0)) {
        return usage();
    }
    return runMove(display, std::atof(argv[2]), std::atof(argv[3]));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usage();
    }
    Display* display = openDisplayWithXTest();
    if (display == nullptr) {
        std::fprintf(stderr, "aim-probe: no X display with the XTest extension\n");
        return 2;
    }
    switchOffPointerAcceleration(display);
    const std::string command = argv[1];
    const int status = command == "latency"      ? latencyCommand(display, argc, argv)
                       : command == "deflection" ? deflectionCommand(display, argc, argv)
                       : command == "move"       ? moveCommand(display, argc, argv)
                                                 : usage();
    std::fflush(stdout);
    XCloseDisplay(display);
    return status;
}
