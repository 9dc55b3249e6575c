#include "app/adapter_recovery.h"

namespace qora {
namespace {

bool searchIsDue(CaptureServices& services, CaptureRun& run) {
    const std::uint64_t now = services.clock.getTickCount64();
    if (now - run.lastAdapterSearchMs < kAdapterSearchIntervalMs) {
        return false;
    }
    run.lastAdapterSearchMs = now;
    return true;
}

} // namespace

bool sendCurrentState(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    Packet packet;
    encodePacket(context.mode, run.state, packet);
    return writeAdapterPacket(services.files, context.paths, run.adapter, packet);
}

void markAdapterLost(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    closeAdapter(services.files, run.adapter);
    run.adapterLost = true;
    run.lastAdapterSearchMs = services.clock.getTickCount64();
    services.user.invalidateRect(context.mainWindow, false);
}

void retryLostAdapter(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
    if (!run.adapterLost || !searchIsDue(services, run)) {
        return;
    }
    run.adapter = openAdapter(services.hid, services.files, services.ini, context.paths);
    if (!isOpen(run.adapter)) {
        return;
    }
    if (!sendCurrentState(services, context)) {
        closeAdapter(services.files, run.adapter);
        return;
    }
    run.adapterLost = false;
    run.lastSent = run.state;
    services.user.invalidateRect(context.mainWindow, false);
}

} // namespace qora
