#include "app/run_scheduler.h"

#include "app/adapter_recovery.h"
#include "app/capture_steps.h"
#include "app/message_loop_api.h"
#include "capture_run_fixture.h"
#include "fakes/fake_clock_api.h"
#include "fakes/fake_event_api.h"
#include "input/keyboard_device.h"
#include "input/mouse_device.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace qora::testing {
namespace {

constexpr std::uint8_t kKeyW = 0x11;
constexpr std::uint8_t kKeyF11 = 0x57;
constexpr NativeHandle kKeyboardEventHandle = 11;
constexpr NativeHandle kMouseEventHandle = 12;
constexpr std::uint8_t kMouseActionB = 3; // positions in the mouse-action list
constexpr std::uint8_t kMouseActionY = 1;

MouseRecord record(std::uint32_t offset, std::int32_t data, std::uint32_t timeStamp) {
    return MouseRecord{offset, static_cast<std::uint32_t>(data), timeStamp, 0, 0};
}

// True when the entries appear in the log in this order, one right after the other.
bool loggedInARow(const std::vector<std::string>& log, const std::vector<std::string>& entries) {
    return std::search(log.begin(), log.end(), entries.begin(), entries.end()) != log.end();
}

struct SetUpCase {
    const char* lowLatency; // nullptr: no key
    std::vector<NativeHandle> made;
    bool enabled;
    std::vector<std::string> calls;
};

class FastPathSetUpTest : public CaptureRunTest {};

TEST_F(FastPathSetUpTest, OnlyLowLatencyOneWithBothEventsTurnsTheFastPathOn) {
    const std::vector<SetUpCase> cases = {
        {nullptr, {}, false, {}},
        {"0", {}, false, {}},
        {"2", {}, false, {}},
        {"1", {101, 102}, true, {"CreateEvent auto unset", "CreateEvent auto unset"}},
        {"1",
         {101, kNoEvent},
         false,
         {"CreateEvent auto unset", "CreateEvent auto unset", "CloseHandle 101"}},
    };
    for (const SetUpCase& test : cases) {
        SCOPED_TRACE(test.lowLatency == nullptr ? "no key" : test.lowLatency);
        if (test.lowLatency != nullptr) {
            setIni("SETTING", "LOWLATENCY", test.lowLatency);
        }
        FakeEventApi events;
        events.results.assign(test.made.begin(), test.made.end());
        FastPath fastPath;
        setUpFastPath(events, ini, paths, fastPath);
        EXPECT_EQ(fastPath.enabled, test.enabled);
        EXPECT_EQ(events.calls, test.calls);
        const auto expectedEvents = test.enabled ? std::array<NativeHandle, 2>{101, 102}
                                                 : std::array<NativeHandle, 2>{kNoEvent, kNoEvent};
        EXPECT_EQ(fastPath.events, expectedEvents);

        events.calls.clear();
        tearDownFastPath(events, fastPath);
        const std::vector<std::string> closes = {"CloseHandle 101", "CloseHandle 102"};
        EXPECT_EQ(events.calls, test.enabled ? closes : std::vector<std::string>{});
        EXPECT_FALSE(fastPath.enabled);
    }
}

// A run with the fast path, driven the way the main loop drives it.
class CaptureEventsTest : public CaptureRunTest {
protected:
    CaptureEventsTest() {
        run.fastPath.enabled = true;
        run.fastPath.events = {kKeyboardEventHandle, kMouseEventHandle};
    }

    void event() { onDeviceEvent(services, context); }
    // Timer 0 at the grid's next tick (without the fast path, the timer is the tick).
    void tick() {
        if (run.fastPath.enabled && run.active) {
            advanceTo(run.schedule.nextTickUs);
        }
        onCaptureTimer(services, context);
    }
    void advanceTo(std::int64_t us) {
        clock.advanceMicroseconds(std::max<std::int64_t>(us - microsecondsNow(clock), 0));
    }
    std::uint32_t wait() { return beforeLoopWait(services, context); }
    void message() { beforeLoopMessage(services, context); }
    std::string keyboardName() const { return directInput.nameOf(devices.keyboard.device); }
    std::string mouseName() const { return directInput.nameOf(devices.mouse.device); }
};

TEST_F(CaptureEventsTest, AKeyGoesOutAtItsEventOnceAtThePressAndOnceAtTheRelease) {
    bindKey(action::buttonA, kKeyW);
    start();
    for (const auto& [device, handle] : {std::pair{keyboardName(), kKeyboardEventHandle},
                                         std::pair{mouseName(), kMouseEventHandle}}) {
        SCOPED_TRACE(device);
        EXPECT_TRUE(loggedInARow(user.calls,
                                 {"Unacquire " + device,
                                  "SetEventNotification " + device + " " + std::to_string(handle),
                                  "Acquire " + device}));
    }
    tick();
    ASSERT_EQ(packets().size(), 1u);

    press(kKeyW);
    event();
    ControllerState pressed = restState();
    pressed.bytes[state::buttons2] = buttons2::a;
    ASSERT_EQ(packets().size(), 2u);
    EXPECT_EQ(packets()[1], packetFor(kConsoleXbox360, pressed));

    event(); // a repeat of the held key
    tick();
    EXPECT_EQ(packets().size(), 2u);

    release(kKeyW);
    event();
    ASSERT_EQ(packets().size(), 3u);
    EXPECT_EQ(packets()[2], packetFor(kConsoleXbox360, restState()));
}

TEST_F(CaptureEventsTest, AnEventSendsRestMouseOutputMouseButtonsAndKeysAsOneState) {
    profile.bytes[profile::direction] = profile::kDirectionRightStick;
    profile.bytes[profile::mouseBindings + 0] = kMouseActionB;
    writeZoomScale(profile, profile::xZoomScale, 1.0f);
    writeZoomScale(profile, profile::yZoomScale, 1.0f);
    bindKey(action::buttonA, kKeyW);
    mouse.smoothingDepth = 1;
    start();
    // Two ticks of one motion group (X +3, Y -3) each: the second drains to 25 and -25.
    directInput.mouseBuffer = {record(mouse_offset::x, 3, 10), record(mouse_offset::y, -3, 10)};
    tick();
    directInput.mouseBuffer = {record(mouse_offset::x, 3, 20), record(mouse_offset::y, -3, 20)};
    tick();
    ControllerState expected = restState();
    expected.bytes[state::rightStickX + 1] = 0x19;
    expected.bytes[state::rightStickY + 1] = 0x19;
    ASSERT_EQ(packets().back(), packetFor(kConsoleXbox360, expected));

    directInput.mouseBuffer = {record(mouse_offset::button0, 0x80, 30)};
    press(kKeyW);
    event();
    expected.bytes[state::buttons2] = buttons2::a | buttons2::b;
    EXPECT_EQ(packets().size(), 3u);
    EXPECT_EQ(packets().back(), packetFor(kConsoleXbox360, expected));
}

TEST_F(CaptureEventsTest, F11OnAnEventEndsTheRunAndSendsNothing) {
    bindKey(action::buttonA, kKeyW);
    start();
    tick();
    press(kKeyW);
    press(kKeyF11);
    event();
    EXPECT_FALSE(run.active);
    EXPECT_EQ(packets().size(), 1u);
    EXPECT_EQ(directInput.liveHandles(), 0u);

    event(); // a late event after the stop changes nothing
    EXPECT_EQ(packets().size(), 1u);
}

TEST_F(CaptureEventsTest, AKeyboardOnLoanIsLeftAloneAndSetsItsEventAgainWhenItComesBack) {
    profile.bytes[profile::mouseBindings + 0] = kMouseActionB;
    bindKey(action::buttonA, kKeyW);
    start();
    tick();
    lendKeyboardToMapDialog(services, context);
    press(kKeyW);
    const std::size_t keyboardReads = directInput.stateReads.size();
    directInput.mouseBuffer = {record(mouse_offset::button0, 0x80, 40)};
    event();
    EXPECT_EQ(directInput.stateReads.size(), keyboardReads);
    ControllerState buttonB = restState();
    buttonB.bytes[state::buttons2] = buttons2::b;
    EXPECT_EQ(packets().back(), packetFor(kConsoleXbox360, buttonB));

    returnKeyboardFromMapDialog(services, context);
    ASSERT_TRUE(keyboardExists(devices));
    EXPECT_TRUE(loggedInARow(user.calls, {"SetEventNotification " + keyboardName() + " " +
                                          std::to_string(kKeyboardEventHandle)}));
    event();
    buttonB.bytes[state::buttons2] |= buttons2::a;
    EXPECT_EQ(packets().back(), packetFor(kConsoleXbox360, buttonB));
}

TEST_F(CaptureEventsTest, WithoutTheFastPathARunKeepsToItsTick) {
    run.fastPath.enabled = false;
    bindKey(action::buttonA, kKeyW);
    start();
    EXPECT_FALSE(loggedInARow(user.calls, {"SetEventNotification " + keyboardName() + " " +
                                           std::to_string(kKeyboardEventHandle)}));
    tick();
    press(kKeyW);
    directInput.mouseBuffer = {record(mouse_offset::button0, 0x80, 50)};
    const std::size_t calls = user.calls.size();
    event();
    EXPECT_EQ(user.calls.size(), calls); // no device was read, nothing was sent
    EXPECT_EQ(packets().size(), 1u);
    EXPECT_EQ(directInput.mouseBuffer.size(), 1u);
}

// The timer calls in the log, in order.
std::vector<std::string> timerCalls(const std::vector<std::string>& log) {
    std::vector<std::string> timers;
    std::copy_if(log.begin(), log.end(), std::back_inserter(timers), [](const std::string& call) {
        return call.rfind("SetTimer", 0) == 0 || call.rfind("KillTimer", 0) == 0;
    });
    return timers;
}

// What keeps the tick running before the main loop waits, one thing at a time.
enum class Unsettled {
    nothing,
    noTickSinceStart,
    recordsKept,
    mouseMoving,
    fullRecordBuffer,
    failedKeyboardRead,
    adapterLost,
    keyboardWithoutEvent,
    keyboardOnLoan,
    mouseWithoutEvent,
    messageSinceTick,
    noFastPath,
};

struct PauseCase {
    const char* name;
    Unsettled unsettled;
    bool pauses;
};

class TickPauseTest : public CaptureEventsTest, public ::testing::WithParamInterface<PauseCase> {
protected:
    TickPauseTest() { mouse.smoothingDepth = 2; } // as PACKETBUFFERLENGTH=2 sets it

    void arrangeBeforeStart(Unsettled unsettled) {
        if (unsettled == Unsettled::keyboardWithoutEvent) {
            directInput.setEventNotificationResults.next = {kDierrInvalidParam};
        } else if (unsettled == Unsettled::mouseWithoutEvent) {
            directInput.setEventNotificationResults.next = {kDiOk, kDierrInvalidParam};
        } else if (unsettled == Unsettled::noFastPath) {
            run.fastPath.enabled = false;
        } else if (unsettled == Unsettled::mouseMoving) {
            writeZoomScale(profile, profile::xZoomScale, 1.0f);
            setProfiles({profile});
        }
    }

    void arrangeAtTick(Unsettled unsettled) {
        if (unsettled == Unsettled::mouseMoving) {
            directInput.mouseBuffer = {record(mouse_offset::x, 6, 1),
                                       record(mouse_offset::x, 6, 2)};
        } else if (unsettled == Unsettled::fullRecordBuffer) {
            // Button records only, so the mouse processor itself comes to rest.
            directInput.mouseBuffer.assign(kMouseRecordCapacity + 1,
                                           record(mouse_offset::button0, 0x80, 7));
        } else if (unsettled == Unsettled::failedKeyboardRead) {
            directInput.getDeviceStateResults.next = {kDierrInputLost};
        }
    }

    void arrangeAfterTick(Unsettled unsettled) {
        if (unsettled == Unsettled::recordsKept) {
            directInput.mouseBuffer = {record(mouse_offset::button0 + 1, 0x80, 9)};
            event();
        } else if (unsettled == Unsettled::adapterLost) {
            markAdapterLost(services, context);
        } else if (unsettled == Unsettled::keyboardOnLoan) {
            lendKeyboardToMapDialog(services, context);
        } else if (unsettled == Unsettled::messageSinceTick) {
            message();
        }
    }
};

TEST_P(TickPauseTest, TheTickPausesOnlyWhenItCouldChangeNothing) {
    const PauseCase& test = GetParam();
    bindKey(action::buttonA, kKeyW);
    press(kKeyW);
    arrangeBeforeStart(test.unsettled);
    start();
    ASSERT_TRUE(run.active);
    if (test.unsettled != Unsettled::noTickSinceStart) {
        arrangeAtTick(test.unsettled);
        tick();
    }
    arrangeAfterTick(test.unsettled);
    ASSERT_TRUE(run.active);

    user.calls.clear();
    const std::uint32_t timeout = wait();
    wait(); // a second wait kills nothing more
    EXPECT_EQ(run.schedule.tickPaused, test.pauses);
    EXPECT_EQ(timerCalls(user.calls),
              test.pauses ? std::vector<std::string>{"KillTimer 0"} : std::vector<std::string>{});
    // A paused run waits for news alone; a running one until its next tick at the latest.
    EXPECT_EQ(timeout == kInfinite, test.pauses || test.unsettled == Unsettled::noFastPath);
}

INSTANTIATE_TEST_SUITE_P(
    EachCondition, TickPauseTest,
    ::testing::Values(PauseCase{"Settled", Unsettled::nothing, true},
                      PauseCase{"NoTickSinceStart", Unsettled::noTickSinceStart, false},
                      PauseCase{"RecordsKept", Unsettled::recordsKept, false},
                      PauseCase{"MouseMoving", Unsettled::mouseMoving, false},
                      PauseCase{"FullRecordBuffer", Unsettled::fullRecordBuffer, false},
                      PauseCase{"FailedKeyboardRead", Unsettled::failedKeyboardRead, false},
                      PauseCase{"AdapterLost", Unsettled::adapterLost, false},
                      PauseCase{"KeyboardWithoutEvent", Unsettled::keyboardWithoutEvent, false},
                      PauseCase{"KeyboardOnLoan", Unsettled::keyboardOnLoan, false},
                      PauseCase{"MouseWithoutEvent", Unsettled::mouseWithoutEvent, false},
                      PauseCase{"MessageSinceTick", Unsettled::messageSinceTick, false},
                      PauseCase{"NoFastPath", Unsettled::noFastPath, false}),
    [](const ::testing::TestParamInfo<PauseCase>& info) { return std::string(info.param.name); });

// A paused tick comes back at the next point of its grid (the run's start + n x 33 ms),
// not a fresh 33 ms after the news; a running timer keeps its countdown; a stop ends the
// pause and gives the timer resolution back.
TEST_F(CaptureEventsTest, APausedTickResumesOnItsGridForRecordsAndMessages) {
    bindKey(action::buttonA, kKeyW);
    start();
    const std::int64_t startUs = microsecondsNow(clock);
    EXPECT_TRUE(logged(user.calls, "timeBeginPeriod 1"));
    tick();
    user.calls.clear();

    EXPECT_EQ(wait(), kInfinite);
    press(kKeyW); // keys go out at their events, paused or not
    event();
    EXPECT_EQ(wait(), kInfinite);
    ControllerState pressed = restState();
    pressed.bytes[state::buttons2] = buttons2::a;
    EXPECT_EQ(packets().back(), packetFor(kConsoleXbox360, pressed));
    EXPECT_EQ(timerCalls(user.calls), (std::vector<std::string>{"KillTimer 0"}));

    advanceTo(startUs + 5 * kTickPeriodUs + 20'000); // 20 ms past a grid point
    directInput.mouseBuffer = {record(mouse_offset::button0, 0x80, 5)};
    event(); // records for the tick: it comes back on its grid, 13 ms from now
    EXPECT_EQ(timerCalls(user.calls), (std::vector<std::string>{"KillTimer 0", "SetTimer 0 33"}));
    EXPECT_EQ(run.schedule.nextTickUs, startUs + 6 * kTickPeriodUs);
    EXPECT_EQ(wait(), 13u);

    tick();
    EXPECT_EQ(wait(), kInfinite);
    message();              // the paused timer is set again ...
    message();              // ... and a running one keeps its countdown
    EXPECT_EQ(wait(), 33u); // no tick since the message yet
    EXPECT_EQ(timerCalls(user.calls), (std::vector<std::string>{"KillTimer 0", "SetTimer 0 33",
                                                                "KillTimer 0", "SetTimer 0 33"}));

    tick();
    wait();
    press(kKeyF11);
    event();
    EXPECT_FALSE(run.active);
    EXPECT_FALSE(run.schedule.tickPaused);
    EXPECT_TRUE(logged(user.calls, "timeEndPeriod 1"));
    user.calls.clear();
    message();
    EXPECT_EQ(wait(), kInfinite);
    EXPECT_EQ(timerCalls(user.calls), std::vector<std::string>{});
}

// With the fast path the wait keeps the grid, and timer 0 ticks only when the grid's tick
// is due (in modal loops, which do not wait): one tick per grid point either way.
TEST_F(CaptureEventsTest, TheWaitAndTheTimerShareOneGrid) {
    start();
    const std::int64_t startUs = microsecondsNow(clock);
    directInput.mouseBuffer.assign(kMouseRecordCapacity + 1,
                                   record(mouse_offset::button0, 0x80, 7)); // never idle
    EXPECT_EQ(wait(), 33u);
    advanceTo(startUs + 10'000);
    onCaptureTimer(services, context); // early: the wait will serve it
    EXPECT_EQ(run.schedule.nextTickUs, startUs + kTickPeriodUs);
    EXPECT_EQ(wait(), 23u);
    advanceTo(startUs + kTickPeriodUs);
    onWaitTimeout(services, context);
    EXPECT_EQ(run.schedule.nextTickUs, startUs + 2 * kTickPeriodUs);
    advanceTo(startUs + kTickPeriodUs + 500);
    onCaptureTimer(services, context); // the same grid point: nothing more
    EXPECT_EQ(run.schedule.nextTickUs, startUs + 2 * kTickPeriodUs);
    advanceTo(startUs + 3 * kTickPeriodUs + 7'000); // a modal loop: only the timer comes
    onCaptureTimer(services, context);
    EXPECT_EQ(run.schedule.nextTickUs, startUs + 4 * kTickPeriodUs);
}

// Precise aim between ticks: the first motion goes out at its event; while the mouse moves
// the loop sleeps until its next event or the moment the estimator names (the decay, the
// stop), to the nearest whole millisecond; the centred stick goes out at the stop, within
// half a millisecond of it and without a tick, and then the run waits for news alone.
TEST_F(CaptureEventsTest, PreciseAimFollowsTheMouseAtItsOwnPace) {
    profile.bytes[profile::direction] = profile::kDirectionRightStick;
    writeZoomScale(profile, profile::xZoomScale, 1.0f);
    writeZoomScale(profile, profile::yZoomScale, 1.0f);
    writeAimSettings(profile, AimSettings{AimMode::precise, AimShape::circle, 2000, 0});
    setProfiles({profile});
    start();
    tick();
    ASSERT_EQ(wait(), kInfinite); // settled: the tick pauses

    // The wait lasts until the whole millisecond nearest the estimator's next change (a long
    // one a millisecond less).
    const auto waitsForTheNamedMoment = [&](std::uint32_t timeout) {
        const std::int64_t nowUs = microsecondsNow(clock);
        const std::int64_t changeUs = nextVelocityChange(mouse.aim, nowUs);
        const std::int64_t servedFromUs = changeUs - kMomentEarlyUs - nowUs;
        const auto ms =
            static_cast<std::uint32_t>(std::max<std::int64_t>((servedFromUs + 999) / 1000, 0));
        return changeUs != kNeverUs && run.schedule.aimDueUs == changeUs &&
               timeout == (ms >= kLongWaitMs ? ms - kLongWaitCutMs : ms);
    };
    // Two bursts of a 1000 Hz mouse at 5 counts/ms: the first teaches the report period.
    for (int burst = 0; burst < 2; ++burst) {
        const std::size_t packetsBefore = packets().size();
        std::int64_t lastMotionUs = 0;
        for (std::uint32_t ms = 0; ms < 40; ++ms) {
            if (ms > 0) {
                EXPECT_TRUE(waitsForTheNamedMoment(wait())) << "burst " << burst << ", " << ms;
            }
            clock.advanceMicroseconds(1000);
            directInput.mouseBuffer = {record(mouse_offset::x, 5, 100 + ms)};
            event();
            lastMotionUs = microsecondsNow(clock);
            if (burst == 1 && ms == 0) {
                EXPECT_EQ(packets().size(), packetsBefore + 1) << "onset at the first event";
            }
        }
        EXPECT_GT(stickValue(run.lastSent, state::rightStickX), 0);
        const std::int64_t stopAtUs = mouse.aim.stopUs(); // the estimator's, after the last report
        std::uint32_t timeout = 0;
        for (int wakes = 0; wakes < 20 && stickValue(run.lastSent, state::rightStickX) != 0;
             ++wakes) {
            timeout = wait();
            ASSERT_TRUE(waitsForTheNamedMoment(timeout));
            clock.advanceMicroseconds(timeout * 1000);
            onWaitTimeout(services, context);
        }
        EXPECT_EQ(run.lastSent, restState()) << "centred by the stop";
        // Woken for it: within half a millisecond of the stop, either way.
        EXPECT_GT(stopAtUs, lastMotionUs);
        EXPECT_GE(microsecondsNow(clock), stopAtUs - kMomentEarlyUs);
        EXPECT_LT(microsecondsNow(clock), stopAtUs + kMomentEarlyUs);
        EXPECT_EQ(run.schedule.aimDueUs, kNeverUs);
        // No records wait for a tick, so a tick or two later nothing keeps the run awake.
        for (int i = 0; i < 3 && wait() != kInfinite; ++i) {
            tick();
        }
        EXPECT_EQ(wait(), kInfinite);
        EXPECT_TRUE(run.schedule.tickPaused);
    }
}

// A read that takes a while (Wine's input thread handing reports over meanwhile) returns
// reports that came during it: precise aim counts them from the read's end, so the hold and
// the stop run from there and not from before the read.
TEST_F(CaptureEventsTest, PreciseAimTimesAReadFromItsEnd) {
    profile.bytes[profile::direction] = profile::kDirectionRightStick;
    writeAimSettings(profile, AimSettings{AimMode::precise, AimShape::circle, 2000, 0});
    setProfiles({profile});
    start();
    tick();
    for (std::uint32_t ms = 0; ms < 20; ++ms) {
        clock.advanceMicroseconds(1000);
        directInput.mouseBuffer = {record(mouse_offset::x, 5, 100 + ms)};
        event();
    }
    const std::int64_t promptStopAfterUs = mouse.aim.stopUs() - microsecondsNow(clock);

    clock.advanceMicroseconds(1000);
    directInput.mouseBuffer = {record(mouse_offset::x, 5, 120)};
    directInput.whileReading = [&] { clock.advanceMicroseconds(3000); };
    event();
    EXPECT_GE(mouse.aim.stopUs() - microsecondsNow(clock), promptStopAfterUs);
}

struct TimerFailureCase {
    const char* name;
    bool fastPath;
    bool failsAtStart; // else when the keyboard comes back from the Map dialog
    bool runs;
};

class TimerFailureTest : public CaptureEventsTest,
                         public ::testing::WithParamInterface<TimerFailureCase> {};

// Without the fast path nothing but the timer ticks: the run does not start, or ends, with
// a message. With it, the wait keeps the grid and SetTimer is tried again before each wait.
TEST_P(TimerFailureTest, ARunIsNeverLeftWithoutItsTick) {
    const TimerFailureCase& test = GetParam();
    run.fastPath.enabled = test.fastPath;
    if (test.failsAtStart) {
        user.setTimerResults = {false};
    }
    start();
    if (!test.failsAtStart) {
        ASSERT_TRUE(run.active);
        lendKeyboardToMapDialog(services, context);
        user.setTimerResults = {false};
        returnKeyboardFromMapDialog(services, context);
    }
    EXPECT_EQ(run.active, test.runs);
    EXPECT_EQ(user.messageBoxes.size(), test.runs ? 0u : 1u);
    if (!test.runs) {
        EXPECT_EQ(user.messageBoxes[0].text, "Can not set the capture timer");
        EXPECT_EQ(directInput.liveHandles(), 0u);
        return;
    }
    EXPECT_FALSE(run.schedule.timerSet);
    EXPECT_EQ(wait(), 33u);
    EXPECT_TRUE(run.schedule.timerSet);
    EXPECT_EQ(timerCalls(user.calls).back(), "SetTimer 0 33");
}

INSTANTIATE_TEST_SUITE_P(
    AtStartAndAfterTheMapDialog, TimerFailureTest,
    ::testing::Values(TimerFailureCase{"TickOnlyAtStart", false, true, false},
                      TimerFailureCase{"TickOnlyAfterTheMapDialog", false, false, false},
                      TimerFailureCase{"FastPathAtStart", true, true, true},
                      TimerFailureCase{"FastPathAfterTheMapDialog", true, false, true}),
    [](const ::testing::TestParamInfo<TimerFailureCase>& info) {
        return std::string(info.param.name);
    });

// One capture run on fakes of its own, without an adapter; the stream test drives two.
struct StreamRun {
    StreamRun(bool fastPath, std::uint8_t direction) {
        run.active = true;
        run.fastPath.enabled = fastPath;
        run.profile.bytes[profile::direction] = direction;
        run.profile.bytes[profile::mouseBindings + 0] = kMouseActionB;
        run.profile.bytes[profile::mouseBindings + mouse_flag::wheelUp] = kMouseActionY;
        writeZoomScale(run.profile, profile::xZoomScale, 1.4f);
        writeZoomScale(run.profile, profile::yZoomScale, 0.7f);
        mouse.smoothingDepth = 2;
        createKeyboardDevice(directInput, user, devices, nullptr, kCaptureKeyboardBackgroundMode);
        createMouseDevice(directInput, user, devices, nullptr);
    }

    // The steps alone, without their scheduler. Without the fast path an event changes
    // nothing.
    void event() { captureEvent(services, context, microsecondsNow(clock)); }
    void tick() { captureTick(services, context, microsecondsNow(clock)); }

    FakeUserApi user;
    FakeDirectInput directInput{user.calls};
    FakeHidApi hid;
    HostFileApi files;
    HostProfileFile ini;
    CaptureRun run;
    CaptureDevices devices;
    MouseState mouse;
    IconPositions icons;
    FakeClockApi clock;
    FakeTimePeriodApi timePeriod{user.calls};
    ProgramPaths paths = makeProgramPaths("stream/");
    CaptureServices services{hid, files, ini, directInput, user, clock, timePeriod};
    CaptureContext context{run, devices, mouse, icons, paths, kConsolePs3, nullptr};
};

// Motion in pairs of X and Y records, two per time stamp.
std::vector<MouseRecord> motionBurst(std::size_t count, std::uint32_t firstTimeStamp) {
    std::vector<MouseRecord> records;
    for (std::size_t i = 0; i < count; ++i) {
        const auto step = static_cast<std::uint32_t>(i / 2);
        const std::int32_t data = static_cast<std::int32_t>(i % 11) - 4;
        records.push_back(
            record(i % 2 == 0 ? mouse_offset::x : mouse_offset::y, data, firstTimeStamp + step));
    }
    return records;
}

class MouseStreamTest : public ::testing::TestWithParam<std::uint8_t> {};

// A moment of the stream: records reach the device (its event served at once, or only
// after the next tick, as when the tick's timer message comes first), or a tick.
struct StreamStep {
    enum Kind { event, lateEvent, tick } kind;
    std::vector<MouseRecord> records;
};

// One record stream, read at the ticks only and read at every event in between: the
// mouse processor must see the same records in the same order at each tick.
TEST_P(MouseStreamTest, TheTickGivesTheSameOutputWhetherRecordsArriveByEventOrNot) {
    StreamRun tickOnly(false, GetParam());
    StreamRun fast(true, GetParam());
    const std::vector<StreamStep> stream = {
        // A motion group split over two events, and a button in the middle of a group.
        {StreamStep::event,
         {record(mouse_offset::x, 5, 10), record(mouse_offset::y, -2, 10),
          record(mouse_offset::x, 3, 11)}},
        {StreamStep::event,
         {record(mouse_offset::y, 1, 11), record(mouse_offset::button0, 0x80, 11),
          record(mouse_offset::x, 2, 12)}},
        // The tick comes before this event is served: kept records, then the device's.
        {StreamStep::lateEvent, {record(mouse_offset::x, -9, 12), record(mouse_offset::y, 4, 13)}},
        {StreamStep::tick, {}},
        {StreamStep::event, {}},
        {StreamStep::event,
         {record(mouse_offset::wheel, 120, 20), record(mouse_offset::x, 40, 21),
          record(mouse_offset::y, 1, 21)}},
        {StreamStep::tick, {}},
        // 300 records before the next tick: it takes 256, the rest wait in the device.
        {StreamStep::event, motionBurst(150, 100)},
        {StreamStep::event, motionBurst(150, 175)},
        {StreamStep::tick, {}},
        {StreamStep::event,
         {record(mouse_offset::button0, 0x00, 300), record(mouse_offset::x, -7, 301),
          record(mouse_offset::y, -7, 301)}},
        {StreamStep::tick, {}},
        {StreamStep::tick, {}},
        {StreamStep::tick, {}},
    };
    int ticks = 0;
    int events = 0;
    bool stickMoved = false;
    for (const StreamStep& step : stream) {
        if (step.kind != StreamStep::tick) {
            for (StreamRun* run : {&tickOnly, &fast}) {
                run->directInput.mouseBuffer.insert(run->directInput.mouseBuffer.end(),
                                                    step.records.begin(), step.records.end());
                if (step.kind == StreamStep::event) {
                    run->event();
                }
            }
            if (++events == 2) { // the button went out at once, without a tick
                EXPECT_NE(fast.run.lastSent.bytes[state::buttons2] & buttons2::b, 0);
                EXPECT_EQ(tickOnly.run.lastSent, idleControllerState());
            }
            continue;
        }
        SCOPED_TRACE("tick " + std::to_string(++ticks));
        if (ticks == 1) {
            EXPECT_EQ(fast.run.fastPath.pendingMouseCount, 6u);
            EXPECT_EQ(fast.directInput.mouseBuffer.size(), 2u);
        }
        if (ticks == 3) {
            EXPECT_EQ(fast.run.fastPath.pendingMouseCount, kMouseRecordCapacity);
            EXPECT_EQ(fast.directInput.mouseBuffer.size(), 300u - kMouseRecordCapacity);
        }
        tickOnly.tick();
        fast.tick();
        EXPECT_EQ(fast.run.state, tickOnly.run.state);
        EXPECT_EQ(fast.mouse.output, tickOnly.mouse.output);
        EXPECT_EQ(fast.mouse.flags, tickOnly.mouse.flags);
        EXPECT_EQ(fast.mouse.samples.count, tickOnly.mouse.samples.count);
        EXPECT_EQ(fast.mouse.history.x, tickOnly.mouse.history.x);
        EXPECT_EQ(fast.mouse.history.y, tickOnly.mouse.history.y);
        EXPECT_EQ(fast.run.fastPath.pendingMouseCount, 0u);
        stickMoved = stickMoved || tickOnly.mouse.output != MotionPair{0, 0};
    }
    EXPECT_TRUE(fast.directInput.mouseBuffer.empty());
    EXPECT_TRUE(stickMoved);
}

// The same kind of stream with quiet stretches, in time: the tick-only run ticks at the
// run's start + n x 33 ms; the fast run is driven as its main loop drives it (wait with
// the timeout it is given, serve an event, time out), pausing its tick while idle. Every
// tick it runs falls on the same grid, and after every grid point both have sent the same.
TEST_P(MouseStreamTest, TheFastPathTicksOnTheTickOnlyRunsGridAndSendsTheSame) {
    StreamRun tickOnly(false, GetParam());
    StreamRun fast(true, GetParam());
    fast.run.fastPath.events = {kKeyboardEventHandle, kMouseEventHandle};
    fast.run.active = false;
    for (StreamRun* run : {&tickOnly, &fast}) {
        run->run.active = true;
        armFastPath(run->directInput, run->devices, run->run.fastPath);
        ASSERT_TRUE(startRunSchedule(run->services, run->context));
    }
    const std::int64_t startUs = microsecondsNow(fast.clock);
    struct Arrival {
        std::int64_t atUs; // after the start
        std::vector<MouseRecord> records;
    };
    const std::vector<Arrival> arrivals = {
        {2'000, {record(mouse_offset::x, 5, 10), record(mouse_offset::y, -2, 10)}},
        {9'000, {record(mouse_offset::x, 3, 11), record(mouse_offset::button0, 0x80, 11)}},
        {40'500, {record(mouse_offset::x, -9, 12), record(mouse_offset::y, 4, 12)}},
        // A second burst after a quiet stretch: a lone group, then the wheel and more motion.
        {610'000, {record(mouse_offset::x, 30, 40), record(mouse_offset::y, 2, 40)}},
        {700'300, {record(mouse_offset::wheel, -120, 50), record(mouse_offset::x, 7, 51)}},
        {701'000, {record(mouse_offset::y, 7, 51), record(mouse_offset::button0, 0x00, 52)}},
    };
    std::size_t next = 0;
    int fastTicks = 0;
    for (std::int64_t tick = 1; tick <= 40; ++tick) {
        const std::int64_t gridUs = startUs + tick * kTickPeriodUs;
        // The fast run's main loop up to this grid point.
        for (;;) {
            const std::uint32_t timeout = beforeLoopWait(fast.services, fast.context);
            const std::int64_t nowUs = microsecondsNow(fast.clock);
            const std::int64_t wakeUs = timeout == kInfinite ? kNeverUs : nowUs + timeout * 1000;
            const std::int64_t arrivalUs =
                next < arrivals.size() ? startUs + arrivals[next].atUs : kNeverUs;
            if (std::min(wakeUs, arrivalUs) > gridUs) {
                break;
            }
            if (arrivalUs <= wakeUs) {
                fast.clock.advanceMicroseconds(arrivalUs - nowUs);
                for (StreamRun* run : {&tickOnly, &fast}) {
                    const std::vector<MouseRecord>& records = arrivals[next].records;
                    run->directInput.mouseBuffer.insert(run->directInput.mouseBuffer.end(),
                                                        records.begin(), records.end());
                }
                ++next;
                onDeviceEvent(fast.services, fast.context);
                continue;
            }
            fast.clock.advanceMicroseconds(wakeUs - nowUs);
            const std::int64_t before = fast.run.schedule.nextTickUs;
            onWaitTimeout(fast.services, fast.context);
            if (fast.run.schedule.nextTickUs != before) {
                ++fastTicks;
                EXPECT_EQ((wakeUs - startUs) % kTickPeriodUs, 0) << "off the grid";
            }
        }
        fast.clock.advanceMicroseconds(gridUs - microsecondsNow(fast.clock));
        tickOnly.clock.advanceMicroseconds(gridUs - microsecondsNow(tickOnly.clock));
        onCaptureTimer(tickOnly.services, tickOnly.context);
        SCOPED_TRACE("tick " + std::to_string(tick));
        EXPECT_EQ(fast.run.lastSent, tickOnly.run.lastSent);
        EXPECT_EQ(fast.mouse.output, tickOnly.mouse.output);
    }
    EXPECT_EQ(next, arrivals.size());
    EXPECT_LE(fastTicks, 20);
    EXPECT_TRUE(fast.run.schedule.tickPaused);
}

INSTANTIATE_TEST_SUITE_P(LeftStickAndTilt, MouseStreamTest,
                         ::testing::Values(profile::kDirectionLeftStick, profile::kDirectionTilt));

} // namespace
} // namespace qora::testing
