#include "app/adapter_recovery.h"

namespace qora {

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
    services.user.invalidateRect(context.mainWindow, false);
}

void reopenLostAdapter(CaptureServices& services, CaptureContext& context) {
    CaptureRun& run = context.run;
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
