#pragma once
// A scripted DirectInputApi. Every call is appended, in order, to a log the test supplies
// (share it with FakeUserApi::calls to see KillTimer and MessageBox in between), each
// call's result comes from its script, and handles are numbered so a test can tell which
// object a call went to. Calls on released or unknown handles are noted as misuse.

#include "input/direct_input_api.h"
#include "input/mouse_record.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qora::testing {

// Results for one method: the queued ones first, then `otherwise` for every later call.
struct ResultScript {
    std::deque<HResult> next;
    HResult otherwise = kDiOk;

    HResult take();
};

// One scripted GetDeviceData: the records it writes (at most the room it is given) and
// the count it reports (the number written unless overridden; a failing read leaves the
// count untouched unless overridden).
struct ScriptedRead {
    HResult result = kDiOk;
    std::vector<MouseRecord> records;
    std::optional<std::uint32_t> reportedCount;
};

struct CooperativeLevelCall {
    std::string device;
    WindowHandle window;
    std::uint32_t flags;
};

struct DeviceDataCall {
    std::string device;
    std::uint32_t recordSize;
    std::uint32_t countIn;
    std::uint32_t flags;
};

struct DeviceStateCall {
    std::string device;
    std::uint32_t size;
    const void* buffer;
};

class FakeDirectInput : public DirectInputApi {
public:
    explicit FakeDirectInput(std::vector<std::string>& callLog) : log(callLog) {}

    ModuleHandle getModuleHandle(const char* moduleName) override;
    HResult directInput8Create(ModuleHandle instance, std::uint32_t version,
                               DirectInputHandle* directInput) override;
    HResult createDevice(DirectInputHandle directInput, SystemDevice which,
                         DirectInputDeviceHandle* device) override;
    std::uint32_t releaseDirectInput(DirectInputHandle directInput) override;
    HResult setDataFormat(DirectInputDeviceHandle device, DataFormat format) override;
    HResult setCooperativeLevel(DirectInputDeviceHandle device, WindowHandle window,
                                std::uint32_t flags) override;
    HResult setProperty(DirectInputDeviceHandle device, DeviceProperty property,
                        const DiPropDword& value) override;
    HResult setEventNotification(DirectInputDeviceHandle device, NativeHandle event) override;
    HResult acquire(DirectInputDeviceHandle device) override;
    HResult unacquire(DirectInputDeviceHandle device) override;
    HResult getDeviceState(DirectInputDeviceHandle device, std::uint32_t size,
                           void* state) override;
    HResult getDeviceData(DirectInputDeviceHandle device, std::uint32_t recordSize,
                          MouseRecord* records, std::uint32_t* count, std::uint32_t flags) override;
    std::uint32_t releaseDevice(DirectInputDeviceHandle device) override;

    // The name a handle has in the log: "object1", "device2", ... numbered in the order
    // this fake created them ("null" for nullptr).
    std::string nameOf(const void* handle) const;
    // Everything created and not yet released.
    std::size_t liveHandles() const { return live_.size(); }

    // Scripts.
    ResultScript createResults;       // DirectInput8Create
    ResultScript createDeviceResults; // CreateDevice
    ResultScript setDataFormatResults;
    ResultScript setCooperativeLevelResults;
    ResultScript setPropertyResults;
    ResultScript setEventNotificationResults;
    ResultScript acquireResults;
    ResultScript getDeviceStateResults;
    std::deque<ScriptedRead> reads; // GetDeviceData; once empty, reads from mouseBuffer
    // The device's record buffer: without a scripted read, GetDeviceData moves as many of
    // these as fit, oldest first, and reports DI_OK (no records when it is empty).
    std::deque<MouseRecord> mouseBuffer;
    // Runs inside every GetDeviceData: what happens while a read takes its time.
    std::function<void()> whileReading;
    // Creation succeeds but yields no interface.
    bool nullObjectOnSuccess = false;
    bool nullDeviceOnSuccess = false;
    // The keys a successful GetDeviceState reports, one byte per scan code.
    std::array<std::uint8_t, 256> keyState{};

    static inline const ModuleHandle kExecutable = reinterpret_cast<ModuleHandle>(0x400000);

    // Observations.
    std::vector<std::string>& log;
    std::vector<std::string> misuse;
    std::vector<ModuleHandle> createInstances;
    std::vector<std::uint32_t> createVersions;
    std::vector<CooperativeLevelCall> cooperativeLevels;
    std::vector<DiPropDword> properties;
    std::vector<DeviceStateCall> stateReads;
    std::vector<DeviceDataCall> dataReads;

private:
    void* newHandle(const char* kind);
    bool checkLive(const void* handle, const char* call);
    void record(const std::string& entry) { log.push_back(entry); }

    std::uintptr_t created_ = 0;
    std::map<const void*, std::string> names_;
    std::set<const void*> live_;
};

} // namespace qora::testing
