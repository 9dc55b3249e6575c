#pragma once
#include "overlay/gdi_api.h"

namespace qora {

class Win32GdiApi final : public GdiApi {
public:
    DcHandle beginPaint(WindowHandle window, PaintStruct& paint) override;
    bool endPaint(WindowHandle window, const PaintStruct& paint) override;
    bool getClientRect(WindowHandle window, GdiRect& rect) override;
    bool bitBlt(DcHandle destination, std::int32_t x, std::int32_t y, std::int32_t width,
                std::int32_t height, DcHandle source, std::int32_t sourceX, std::int32_t sourceY,
                RasterOperation operation) override;
    std::int32_t setBkMode(DcHandle dc, std::int32_t mode) override;
    ColorRef setTextColor(DcHandle dc, ColorRef color) override;
    bool textOut(DcHandle dc, std::int32_t x, std::int32_t y, const char* text,
                 std::int32_t length) override;
    bool rectangle(DcHandle dc, std::int32_t left, std::int32_t top, std::int32_t right,
                   std::int32_t bottom) override;
    std::int32_t fillRect(DcHandle dc, const GdiRect& rect, GdiObjectHandle brush) override;
    bool moveToEx(DcHandle dc, std::int32_t x, std::int32_t y, GdiPoint* previous) override;
    bool lineTo(DcHandle dc, std::int32_t x, std::int32_t y) override;
    bool polyline(DcHandle dc, const GdiPoint* points, std::int32_t count) override;
    GdiObjectHandle selectObject(DcHandle dc, GdiObjectHandle object) override;
};

} // namespace qora
