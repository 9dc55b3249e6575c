#pragma once
// Conversions between the portable drawing handles and the Win32 ones, for the window
// code that creates the drawing resources and for the GDI seam.

#include "overlay/gdi_api.h"

#include <windows.h>

namespace qora {

inline HDC toHdc(DcHandle dc) {
    return reinterpret_cast<HDC>(dc);
}
inline DcHandle fromHdc(HDC dc) {
    return reinterpret_cast<DcHandle>(dc);
}
inline HGDIOBJ toHgdiobj(GdiObjectHandle object) {
    return static_cast<HGDIOBJ>(object);
}
inline GdiObjectHandle fromHgdiobj(HGDIOBJ object) {
    return static_cast<GdiObjectHandle>(object);
}
inline HBRUSH toHbrush(GdiObjectHandle brush) {
    return static_cast<HBRUSH>(toHgdiobj(brush));
}

} // namespace qora
