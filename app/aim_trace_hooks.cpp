#include "app/aim_trace_hooks.h"

#include "mapping/aim_curve.h"
#include "mapping/aim_velocity.h"
#include "mapping/precise_aim.h"
#include "platform/precise_time.h"
#include "trace/aim_trace_file.h"

#include <memory>
#include <string>

namespace qora {

void beginRunTrace(CaptureContext& context) {
    CaptureRun& run = context.run;
    if (!run.aimTrace) {
        run.aimTrace = std::make_unique<AimTrace>();
        reserveAimTrace(*run.aimTrace, kAimTraceEntryRoom, kAimTraceRecordRoom);
    }
    beginAimTrace(*run.aimTrace, aimCurveOf(run.profile), context.mode);
}

void endRunTrace(CaptureServices& services, CaptureContext& context) {
    const CaptureRun& run = context.run;
    if (!run.active || !run.aimTrace) {
        return;
    }
    const std::string path = context.paths.directory + kAimTraceFileName;
    writeAimTrace(services.files, path.c_str(), *run.aimTrace);
}

void traceMouseRead(CaptureContext& context, AimTraceStep step, std::int64_t nowUs,
                    const MouseRecord* records, std::uint32_t count) {
    if (context.run.aimTrace) {
        traceRead(*context.run.aimTrace, step, nowUs, records, count);
    }
}

// currentVelocity gives the same again at the same moment: this is what writePreciseAim
// turned into the stick.
void tracePreciseAim(CaptureContext& context, AimTraceStep step, std::int64_t nowUs) {
    if (!context.run.aimTrace || !isPreciseAim(context.run.profile)) {
        return;
    }
    const AimVelocity velocity = currentVelocity(context.mouse.aim, nowUs);
    traceEvaluation(*context.run.aimTrace, {nowUs, step, velocity, context.mouse.output});
}

void traceSentPacket(CaptureServices& services, CaptureContext& context) {
    if (context.run.aimTrace) {
        tracePacket(*context.run.aimTrace, {microsecondsNow(services.clock), context.mouse.output});
    }
}

} // namespace qora
