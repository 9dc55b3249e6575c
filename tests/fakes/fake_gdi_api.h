#pragma once
// A recording GdiApi that also keeps the drawing state of every device context (text
// background mode, text colour and the selected pen, brush and bitmap) the way GDI does,
// so tests can check the colour and mode in effect at each TextOutA across paints.

#include "overlay/gdi_api.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace qora::testing {

enum class GdiOp {
    beginPaint,
    endPaint,
    getClientRect,
    bitBlt,
    setBkMode,
    setTextColor,
    textOut,
    rectangle,
    fillRect,
    moveToEx,
    lineTo,
    polyline,
    selectObject,
};

enum class GdiObjectKind { pen, brush, bitmap };

// The state a fresh device context starts with: opaque text background, black text and
// the stock pen and brush.
struct DcState {
    std::int32_t backgroundMode = kBkOpaque;
    ColorRef textColor = kColorBlack;
    GdiObjectHandle pen = nullptr;
    GdiObjectHandle brush = nullptr;
    GdiObjectHandle bitmap = nullptr;
};

struct GdiCall {
    GdiOp op;
    DcHandle dc = nullptr;
    // bitBlt: destination place and size, source and its place; fillRect and rectangle:
    // rect; moveToEx, lineTo and textOut: x, y.
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    DcHandle source = nullptr;
    std::int32_t sourceX = 0;
    std::int32_t sourceY = 0;
    RasterOperation rop = 0;
    GdiRect rect;
    std::int32_t value = 0; // setBkMode mode, setTextColor colour, textOut length
    std::string text;
    std::vector<GdiPoint> points;     // polyline
    GdiObjectHandle object = nullptr; // fillRect brush, selectObject object
    DcState state;                    // the context's state once the call is done
};

class FakeGdiApi : public GdiApi {
public:
    FakeGdiApi();

    // New handles, named for describe(); the stock pen and brush are "stock pen" and
    // "stock brush".
    DcHandle addDc(const std::string& name);
    GdiObjectHandle addObject(const std::string& name, GdiObjectKind kind);

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

    // One line per call, e.g. "BitBlt back 10,20 16x16 <- mask 0,0 SRCAND",
    // "TextOut back 20,80 \"LT\"", "SelectObject back black pen", "Polyline back 3 points".
    std::string describe(const GdiCall& call) const;
    std::vector<std::string> log() const;
    std::vector<GdiCall> callsOf(GdiOp op) const;
    const DcState& stateOf(DcHandle dc);
    std::string nameOf(const void* handle) const;
    void clearCalls() { calls.clear(); }

    // What BeginPaint returns and GetClientRect reports.
    DcHandle paintDc = nullptr;
    GdiRect clientRect{0, 0, 414, 371};
    WindowHandle expectedWindow = nullptr;

    std::vector<GdiCall> calls;
    // Calls that named another window than expectedWindow.
    std::size_t foreignWindowCalls = 0;
    // EndPaint calls whose PaintStruct was not the one the last BeginPaint filled.
    std::size_t mismatchedEndPaints = 0;

    GdiObjectHandle stockPen = nullptr;
    GdiObjectHandle stockBrush = nullptr;

private:
    struct Entry {
        std::string name;
        GdiObjectKind kind = GdiObjectKind::bitmap;
    };

    GdiCall& record(GdiOp op, DcHandle dc);
    DcState& mutableStateOf(DcHandle dc);
    void checkWindow(WindowHandle window);

    std::deque<Entry> entries_; // their addresses are the handles
    std::map<const void*, const Entry*> byHandle_;
    std::map<DcHandle, DcState> states_;
    std::uint32_t paintToken_ = 0;
};

} // namespace qora::testing
