#include "overlay/win32/win32_gdi_api.h"

#include "overlay/win32/win32_gdi_handles.h"
#include "platform/win32/win32_handles.h"

#include <cstddef>
#include <cstring>

namespace qora {

static_assert(kSrcCopy == SRCCOPY && kSrcAnd == SRCAND && kSrcPaint == SRCPAINT);
static_assert(kBkTransparent == TRANSPARENT && kBkOpaque == OPAQUE);
static_assert(kColorRed == RGB(255, 0, 0) && kColorBlack == RGB(0, 0, 0) &&
              kColorBlue == RGB(0, 0, 255));
// Polyline takes the points as they are: GdiPoint is POINT's layout.
static_assert(sizeof(GdiPoint) == sizeof(POINT) && offsetof(GdiPoint, x) == offsetof(POINT, x) &&
              offsetof(GdiPoint, y) == offsetof(POINT, y));
static_assert(sizeof(PAINTSTRUCT) <= sizeof(PaintStruct::platformData));
static_assert(alignof(PAINTSTRUCT) <= alignof(PaintStruct));

namespace {

// The PAINTSTRUCT travels between BeginPaint and EndPaint as bytes.
void storePaintStruct(PaintStruct& paint, const PAINTSTRUCT& platform) {
    std::memcpy(paint.platformData, &platform, sizeof platform);
}

PAINTSTRUCT loadPaintStruct(const PaintStruct& paint) {
    PAINTSTRUCT platform;
    std::memcpy(&platform, paint.platformData, sizeof platform);
    return platform;
}

} // namespace

DcHandle Win32GdiApi::beginPaint(WindowHandle window, PaintStruct& paint) {
    PAINTSTRUCT platform{};
    const HDC dc = BeginPaint(toHwnd(window), &platform);
    storePaintStruct(paint, platform);
    return fromHdc(dc);
}

bool Win32GdiApi::endPaint(WindowHandle window, const PaintStruct& paint) {
    const PAINTSTRUCT platform = loadPaintStruct(paint);
    return EndPaint(toHwnd(window), &platform) != FALSE;
}

bool Win32GdiApi::getClientRect(WindowHandle window, GdiRect& rect) {
    RECT platform{};
    if (GetClientRect(toHwnd(window), &platform) == FALSE) {
        return false;
    }
    rect = GdiRect{platform.left, platform.top, platform.right, platform.bottom};
    return true;
}

bool Win32GdiApi::bitBlt(DcHandle destination, std::int32_t x, std::int32_t y, std::int32_t width,
                         std::int32_t height, DcHandle source, std::int32_t sourceX,
                         std::int32_t sourceY, RasterOperation operation) {
    return BitBlt(toHdc(destination), x, y, width, height, toHdc(source), sourceX, sourceY,
                  operation) != FALSE;
}

std::int32_t Win32GdiApi::setBkMode(DcHandle dc, std::int32_t mode) {
    return SetBkMode(toHdc(dc), mode);
}

ColorRef Win32GdiApi::setTextColor(DcHandle dc, ColorRef color) {
    return SetTextColor(toHdc(dc), color);
}

bool Win32GdiApi::textOut(DcHandle dc, std::int32_t x, std::int32_t y, const char* text,
                          std::int32_t length) {
    return TextOutA(toHdc(dc), x, y, text, length) != FALSE;
}

bool Win32GdiApi::rectangle(DcHandle dc, std::int32_t left, std::int32_t top, std::int32_t right,
                            std::int32_t bottom) {
    return Rectangle(toHdc(dc), left, top, right, bottom) != FALSE;
}

std::int32_t Win32GdiApi::fillRect(DcHandle dc, const GdiRect& rect, GdiObjectHandle brush) {
    const RECT platform{rect.left, rect.top, rect.right, rect.bottom};
    return FillRect(toHdc(dc), &platform, toHbrush(brush));
}

bool Win32GdiApi::moveToEx(DcHandle dc, std::int32_t x, std::int32_t y, GdiPoint* previous) {
    POINT platform{};
    const BOOL moved = MoveToEx(toHdc(dc), x, y, &platform);
    if (moved != FALSE && previous != nullptr) {
        *previous = GdiPoint{platform.x, platform.y};
    }
    return moved != FALSE;
}

bool Win32GdiApi::lineTo(DcHandle dc, std::int32_t x, std::int32_t y) {
    return LineTo(toHdc(dc), x, y) != FALSE;
}

bool Win32GdiApi::polyline(DcHandle dc, const GdiPoint* points, std::int32_t count) {
    return Polyline(toHdc(dc), reinterpret_cast<const POINT*>(points), count) != FALSE;
}

GdiObjectHandle Win32GdiApi::selectObject(DcHandle dc, GdiObjectHandle object) {
    return fromHgdiobj(SelectObject(toHdc(dc), toHgdiobj(object)));
}

} // namespace qora
