#pragma once
// The heaviest input a tick can meet, behind seams that neither allocate nor log: every
// action bound to two keys, many keys down, mouse buttons held, and 256 mouse records in
// many time-stamp groups at every read. Used to prove the tick allocates nothing and to
// measure what it costs.

#include "app/capture_run.h"
#include "app/capture_steps.h"
#include "app/message_loop_api.h"
#include "app/run_scheduler.h"
#include "fakes/fake_clock_api.h"
#include "fakes/fake_time_period_api.h"
#include "formats/action_codes.h"
#include "formats/setting_ini.h"
#include "input/direct_input_api.h"
#include "link/hid_api.h"
#include "platform/file_api.h"
#include "platform/profile_file_api.h"
#include "platform/user_api.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace qora::testing {

// DirectInput that always succeeds and serves the prepared keys and records.
class QuietDirectInput : public DirectInputApi {
public:
    ModuleHandle getModuleHandle(const char*) override { return nullptr; }
    HResult directInput8Create(ModuleHandle, std::uint32_t, DirectInputHandle* object) override {
        *object = reinterpret_cast<DirectInputHandle>(&objectTag_);
        return kDiOk;
    }
    HResult createDevice(DirectInputHandle, SystemDevice which,
                         DirectInputDeviceHandle* device) override {
        *device = reinterpret_cast<DirectInputDeviceHandle>(
            which == SystemDevice::keyboard ? &keyboardTag_ : &mouseTag_);
        return kDiOk;
    }
    std::uint32_t releaseDirectInput(DirectInputHandle) override { return 0; }
    HResult setDataFormat(DirectInputDeviceHandle, DataFormat) override { return kDiOk; }
    HResult setCooperativeLevel(DirectInputDeviceHandle, WindowHandle, std::uint32_t) override {
        return kDiOk;
    }
    HResult setProperty(DirectInputDeviceHandle, DeviceProperty, const DiPropDword&) override {
        return kDiOk;
    }
    HResult setEventNotification(DirectInputDeviceHandle, NativeHandle) override { return kDiOk; }
    HResult acquire(DirectInputDeviceHandle) override { return kDiOk; }
    HResult unacquire(DirectInputDeviceHandle) override { return kDiOk; }
    HResult getDeviceState(DirectInputDeviceHandle, std::uint32_t size, void* state) override {
        std::memcpy(state, keys.data(), size < keys.size() ? size : keys.size());
        return kDiOk;
    }
    HResult getDeviceData(DirectInputDeviceHandle, std::uint32_t, MouseRecord* out,
                          std::uint32_t* count, std::uint32_t) override {
        const std::uint32_t n = *count < recordCount ? *count : recordCount;
        std::memcpy(out, records.data(), n * sizeof(MouseRecord));
        *count = n;
        return kDiOk;
    }
    std::uint32_t releaseDevice(DirectInputDeviceHandle) override { return 0; }

    std::array<std::uint8_t, kKeyboardSnapshotSize> keys{};
    std::array<MouseRecord, kMouseRecordCapacity> records{};
    std::uint32_t recordCount = 0;

private:
    int objectTag_ = 0;
    int keyboardTag_ = 0;
    int mouseTag_ = 0;
};

class QuietUserApi : public UserApi {
public:
    std::int32_t messageBox(WindowHandle, const char*, const char*, std::uint32_t) override {
        ++messageBoxes;
        return kIdOk;
    }
    bool setTimer(WindowHandle, std::uintptr_t, std::uint32_t) override {
        ++timersSet;
        return true;
    }
    bool killTimer(WindowHandle, std::uintptr_t) override {
        ++timersKilled;
        return true;
    }
    bool invalidateRect(WindowHandle, bool) override {
        ++invalidations;
        return true;
    }
    void outputDebugString(const char*) override { ++debugLines; }

    int messageBoxes = 0;
    int timersSet = 0;
    int timersKilled = 0;
    int invalidations = 0;
    int debugLines = 0;
};

// The adapter as a file handle that only counts: any other file call during a tick is a
// fault, so every call is counted by kind.
class CountingFileApi : public FileApi {
public:
    // Every file opens as the adapter's pipe, but layers.bin, which is missing: no profile
    // of the busy run's store has layers.
    NativeHandle createFile(const char* name, std::uint32_t, std::uint32_t, std::uint32_t,
                            std::uint32_t) override {
        ++otherCalls;
        if (std::string_view(name).ends_with(kLayersBinName)) {
            lastError = kErrorFileNotFound;
            return kInvalidHandle;
        }
        lastError = kErrorSuccess;
        return kAdapterHandle;
    }
    bool readFile(NativeHandle, void*, std::uint32_t, std::uint32_t* read) override {
        ++otherCalls;
        *read = 0;
        return true;
    }
    bool writeFile(NativeHandle file, const void*, std::uint32_t length,
                   std::uint32_t* written) override {
        if (file == kAdapterHandle && length == 50) {
            ++packetWrites;
        } else {
            ++otherCalls;
        }
        *written = length;
        return true;
    }
    bool setFilePointer(NativeHandle, std::int32_t, std::uint32_t) override {
        ++otherCalls;
        return true;
    }
    bool setEndOfFile(NativeHandle) override {
        ++otherCalls;
        return true;
    }
    bool getFileSizeEx(NativeHandle, std::int64_t* size) override {
        ++otherCalls;
        *size = 0;
        return true;
    }
    bool flushFileBuffers(NativeHandle) override {
        ++otherCalls;
        return true;
    }
    bool closeHandle(NativeHandle) override {
        ++otherCalls;
        return true;
    }
    bool moveFileReplacing(const char*, const char*) override {
        ++otherCalls;
        return true;
    }
    bool deleteFile(const char*) override {
        ++otherCalls;
        return true;
    }
    std::uint32_t getFileAttributes(const char*) override {
        ++otherCalls;
        return kFileAttributeNormal;
    }
    std::uint32_t getLastError() override {
        ++otherCalls;
        return lastError;
    }

    static constexpr NativeHandle kAdapterHandle = 42;
    int packetWrites = 0;
    int otherCalls = 0;
    std::uint32_t lastError = kErrorSuccess;
};

// setting.ini as the virtual adapter wants it; every other key gives its default.
class VirtualAdapterIni : public ProfileFileApi {
public:
    std::uint32_t getPrivateProfileInt(const char* section, const char* key, std::int32_t def,
                                       const char*) override {
        if (std::strcmp(section, "ADAPTER") == 0 && std::strcmp(key, "VIRTUAL") == 0) {
            return 1;
        }
        return static_cast<std::uint32_t>(def);
    }
    std::uint32_t getPrivateProfileString(const char*, const char*, const char* def, char* buffer,
                                          std::uint32_t size, const char*) override {
        std::strncpy(buffer, def, size);
        if (size > 0) {
            buffer[size - 1] = '\0';
        }
        return static_cast<std::uint32_t>(std::strlen(buffer));
    }
    bool writePrivateProfileString(const char*, const char*, const char*, const char*) override {
        return true;
    }
};

// A HID seam that is never asked: the virtual adapter skips the search.
class NoHid : public HidApi {
public:
    void hidDGetHidGuid(HidGuid*) override {}
    DeviceInfoSet setupDiGetClassDevs(const HidGuid*, const char*, WindowHandle,
                                      std::uint32_t) override {
        return kInvalidDeviceInfoSet;
    }
    bool setupDiEnumDeviceInterfaces(DeviceInfoSet, const HidGuid*, std::uint32_t,
                                     DeviceInterfaceData*) override {
        return false;
    }
    bool setupDiGetDeviceInterfaceDetail(DeviceInfoSet, const DeviceInterfaceData*, void*,
                                         std::uint32_t, std::uint32_t*) override {
        return false;
    }
    std::uint32_t deviceInterfaceDetailFixedSize() override { return 8; }
    NativeHandle createFile(const char*, std::uint32_t, std::uint32_t, std::uint32_t,
                            std::uint32_t) override {
        return kInvalidHandle;
    }
    bool hidDGetAttributes(NativeHandle, HidAttributes*) override { return false; }
    bool hidDGetPreparsedData(NativeHandle, HidPreparsedData*) override { return false; }
    std::int32_t hidPGetCaps(HidPreparsedData, HidCaps*) override { return 0; }
    bool hidDFreePreparsedData(HidPreparsedData) override { return true; }
    bool closeHandle(NativeHandle) override { return true; }
    bool setupDiDestroyDeviceInfoList(DeviceInfoSet) override { return true; }
    void* globalAlloc(std::uint32_t, std::size_t) override { return nullptr; }
    void* globalFree(void* memory) override { return memory; }
};

// A started capture run with every action bound twice, on the heaviest input; with the
// fast path, its devices set their events from the start.
struct BusyRun {
    static constexpr NativeHandle kKeyboardEvent = 11;
    static constexpr NativeHandle kMouseEvent = 12;

    BusyRun(ConsoleMode mode, bool fastPath)
        : context{run, devices, mouse, icons, paths, mode, nullptr} {
        run.fastPath.enabled = fastPath;
        run.fastPath.events = {kKeyboardEvent, kMouseEvent};
        startCaptureRun(services, context);
        bindEverything();
        mouse.smoothingDepth = 4;
        fillMouseRecords();
    }
    ~BusyRun() { stopCaptureRun(services, context); }

    // Alternates between two sets of held keys so every tick sends a packet.
    void tick() {
        alternateKeys();
        onCaptureTimer(services, context);
    }

    // The main loop of the fast path: it waits, and a device reports a change.
    void waitAndServeEvent() {
        beforeLoopWait(services, context);
        clock.advanceMicroseconds(kMicrosecondsPerMillisecond);
        alternateKeys();
        onDeviceEvent(services, context);
    }

    // The main loop waits as long as it is told; true when a tick was due then.
    bool waitForTimeout() {
        const std::uint32_t ms = beforeLoopWait(services, context);
        if (ms == kInfinite) {
            return false;
        }
        clock.advanceMicroseconds(ms * kMicrosecondsPerMillisecond);
        onWaitTimeout(services, context);
        return true;
    }

    // Every key but F11, which ends the run, Scroll Lock, which turns calibration on and
    // off, and F4, which saves it (and may allocate).
    void alternateKeys() {
        for (std::size_t code = 1; code < kKeyboardSnapshotSize; ++code) {
            const bool even = (code + ticks) % 2 == 0;
            const bool held = code != 0x57 && code != 0x46 && code != 0x3E;
            directInput.keys[code] = held && even ? 0x80 : 0x00;
        }
        if (layersAlwaysHeld) {
            for (const std::uint8_t code : kLayerKeys) {
                directInput.keys[code] = 0x80;
            }
        }
        ++ticks;
    }

    // The running profile becomes the bound profile with eight layers, each held by a key
    // of kLayerKeys and each changing everything a layer can change. Held always: all
    // eight are in effect at every step; otherwise the keys alternate with the others, and
    // every step turns some layers on and others off.
    void addEightLayers(bool alwaysHeld) {
        layersAlwaysHeld = alwaysHeld;
        RunProfile running;
        running.stored.index = 0;
        running.base = run.profile;
        ProfileRecord values = run.profile;
        for (std::size_t k = 0; k < kActionCount; ++k) {
            values.bytes[profile::primaryKeys + k] = static_cast<std::uint8_t>(0x60 - k);
        }
        values.bytes[profile::direction] = profile::kDirectionRightStick;
        for (std::size_t i = 0; i < kMaxLayers; ++i) {
            LayerRecord layer;
            layer.trigger = {TriggerSource::key, kLayerKeys[i]};
            for (unsigned change = 0; change < layer_change::count; ++change) {
                takeChange(layer, change, values);
            }
            running.layers.push_back(layer);
        }
        run.profiles.profiles = {running};
        run.profiles.running = 0;
    }

    // Scroll Lock pressed for one tick: from then on F5 to F10 and the wheel calibrate.
    void startCalibrating() {
        directInput.keys[0x46] = 0x80;
        if (run.fastPath.enabled) {
            onDeviceEvent(services, context);
        } else {
            onCaptureTimer(services, context);
        }
        directInput.keys[0x46] = 0x00;
    }

    void bindEverything() {
        for (std::size_t k = 0; k < kActionCount; ++k) {
            run.profile.bytes[profile::primaryKeys + k] = static_cast<std::uint8_t>(0x02 + k);
            run.profile.bytes[profile::secondaryKeys + k] = static_cast<std::uint8_t>(0x40 + k);
        }
        for (std::size_t i = 0; i < 9; ++i) {
            run.profile.bytes[profile::mouseBindings + i] = static_cast<std::uint8_t>(1 + i * 3);
        }
        run.profile.bytes[profile::direction] = profile::kDirectionTilt;
    }

    // Motion, wheel and held buttons, two records per time stamp.
    void fillMouseRecords() {
        for (std::uint32_t i = 0; i < kMouseRecordCapacity; ++i) {
            MouseRecord& record = directInput.records[i];
            const std::uint32_t kind = i % 8;
            record.dwOfs = kind < 4 ? kind % 2 * 4 : (kind == 4 ? 8 : 12 + kind - 5);
            record.dwData = kind < 4
                                ? static_cast<std::uint32_t>(static_cast<std::int32_t>(i % 13) - 6)
                                : (kind == 4 ? 120u : 0x80u);
            record.dwTimeStamp = 1000 + i / 2;
        }
        directInput.recordCount = kMouseRecordCapacity;
    }

    QuietDirectInput directInput;
    QuietUserApi user;
    CountingFileApi files;
    VirtualAdapterIni ini;
    NoHid hid;
    FakeClockApi clock;
    std::vector<std::string> timePeriodCalls;
    FakeTimePeriodApi timePeriod{timePeriodCalls};
    CaptureServices services{hid, files, ini, directInput, user, clock, timePeriod};

    CaptureRun run;
    CaptureDevices devices;
    MouseState mouse;
    IconPositions icons;
    ProgramPaths paths = makeProgramPaths("busy/");
    CaptureContext context;
    std::uint64_t ticks = 0;
    static constexpr std::uint8_t kLayerKeys[kMaxLayers] = {0x10, 0x11, 0x12, 0x13,
                                                            0x14, 0x15, 0x16, 0x17};
    bool layersAlwaysHeld = false;
};

} // namespace qora::testing
