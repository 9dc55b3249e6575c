#pragma once
// The GDI and USER32 painting calls the main window makes, one method each, with the
// platform's arguments and results: BeginPaint, EndPaint, GetClientRect, BitBlt, SetBkMode,
// SetTextColor, TextOutA, Rectangle, FillRect, MoveToEx, LineTo, Polyline and SelectObject.

#include "platform/platform_types.h"

#include <cstdint>

namespace qora {

// A device context (HDC). The struct is never defined: the handle is opaque.
struct DeviceContextObject;
using DcHandle = DeviceContextObject*;

// A pen, brush or bitmap (HGDIOBJ, HPEN, HBRUSH, HBITMAP).
struct GdiObject;
using GdiObjectHandle = GdiObject*;

// RGB in the low three bytes, red lowest (COLORREF).
using ColorRef = std::uint32_t;
inline constexpr ColorRef kColorBlack = 0x000000u;
inline constexpr ColorRef kColorRed = 0x0000FFu;
inline constexpr ColorRef kColorBlue = 0xFF0000u;

// BitBlt raster operations.
using RasterOperation = std::uint32_t;
inline constexpr RasterOperation kSrcCopy = 0x00CC0020u;
inline constexpr RasterOperation kSrcAnd = 0x008800C6u;
inline constexpr RasterOperation kSrcPaint = 0x00EE0086u;

// SetBkMode modes; a fresh device context is opaque.
inline constexpr std::int32_t kBkTransparent = 1;
inline constexpr std::int32_t kBkOpaque = 2;

struct GdiPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// RECT: right and bottom are exclusive.
struct GdiRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// Holds the platform's PAINTSTRUCT from BeginPaint until the matching EndPaint; only the
// seam's implementation reads or writes its bytes.
struct PaintStruct {
    alignas(8) unsigned char platformData[128] = {};
};

struct GdiApi {
    virtual ~GdiApi() = default;

    // Returns the window's paint context, or nullptr on failure.
    virtual DcHandle beginPaint(WindowHandle window, PaintStruct& paint) = 0;
    virtual bool endPaint(WindowHandle window, const PaintStruct& paint) = 0;
    virtual bool getClientRect(WindowHandle window, GdiRect& rect) = 0;

    virtual bool bitBlt(DcHandle destination, std::int32_t x, std::int32_t y, std::int32_t width,
                        std::int32_t height, DcHandle source, std::int32_t sourceX,
                        std::int32_t sourceY, RasterOperation operation) = 0;

    // Both return the previous value (0 or 0xFFFFFFFF, CLR_INVALID, on failure).
    virtual std::int32_t setBkMode(DcHandle dc, std::int32_t mode) = 0;
    virtual ColorRef setTextColor(DcHandle dc, ColorRef color) = 0;
    // Draws exactly length characters of text; no terminator is needed.
    virtual bool textOut(DcHandle dc, std::int32_t x, std::int32_t y, const char* text,
                         std::int32_t length) = 0;

    // Outline with the selected pen, inside filled with the selected brush.
    virtual bool rectangle(DcHandle dc, std::int32_t left, std::int32_t top, std::int32_t right,
                           std::int32_t bottom) = 0;
    virtual std::int32_t fillRect(DcHandle dc, const GdiRect& rect, GdiObjectHandle brush) = 0;
    // previous may be nullptr.
    virtual bool moveToEx(DcHandle dc, std::int32_t x, std::int32_t y, GdiPoint* previous) = 0;
    virtual bool lineTo(DcHandle dc, std::int32_t x, std::int32_t y) = 0;
    // Lines through count points with the selected pen; the current position stays.
    virtual bool polyline(DcHandle dc, const GdiPoint* points, std::int32_t count) = 0;
    // Returns the object of the same kind that was selected before, nullptr on failure.
    virtual GdiObjectHandle selectObject(DcHandle dc, GdiObjectHandle object) = 0;
};

} // namespace qora
