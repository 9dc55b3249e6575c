#pragma once
#include "app/event_api.h"

namespace qora {

class Win32EventApi final : public EventApi {
public:
    NativeHandle createEvent(bool manualReset, bool initiallySet, const char* name) override;
    bool closeHandle(NativeHandle handle) override;
};

} // namespace qora
