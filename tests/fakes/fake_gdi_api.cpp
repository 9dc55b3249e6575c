#include "fakes/fake_gdi_api.h"

#include <cstdio>
#include <cstring>

namespace qora::testing {
namespace {

std::string rasterName(RasterOperation rop) {
    switch (rop) {
    case kSrcCopy:
        return "SRCCOPY";
    case kSrcAnd:
        return "SRCAND";
    case kSrcPaint:
        return "SRCPAINT";
    default:
        return "rop " + std::to_string(rop);
    }
}

std::string modeName(std::int32_t mode) {
    switch (mode) {
    case kBkTransparent:
        return "TRANSPARENT";
    case kBkOpaque:
        return "OPAQUE";
    default:
        return "mode " + std::to_string(mode);
    }
}

std::string colorText(ColorRef color) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(color));
    return text;
}

std::string pointText(std::int32_t x, std::int32_t y) {
    return std::to_string(x) + "," + std::to_string(y);
}

std::string rectText(const GdiRect& rect) {
    return pointText(rect.left, rect.top) + " " + pointText(rect.right, rect.bottom);
}

} // namespace

FakeGdiApi::FakeGdiApi() {
    stockPen = addObject("stock pen", GdiObjectKind::pen);
    stockBrush = addObject("stock brush", GdiObjectKind::brush);
    paintDc = addDc("window");
}

DcHandle FakeGdiApi::addDc(const std::string& name) {
    Entry& entry = entries_.emplace_back(Entry{name, GdiObjectKind::bitmap});
    const auto handle = reinterpret_cast<DcHandle>(&entry);
    byHandle_[handle] = &entry;
    return handle;
}

GdiObjectHandle FakeGdiApi::addObject(const std::string& name, GdiObjectKind kind) {
    Entry& entry = entries_.emplace_back(Entry{name, kind});
    const auto handle = reinterpret_cast<GdiObjectHandle>(&entry);
    byHandle_[handle] = &entry;
    return handle;
}

std::string FakeGdiApi::nameOf(const void* handle) const {
    if (handle == nullptr) {
        return "null";
    }
    const auto found = byHandle_.find(handle);
    return found == byHandle_.end() ? "unknown" : found->second->name;
}

const DcState& FakeGdiApi::stateOf(DcHandle dc) {
    return mutableStateOf(dc);
}

DcState& FakeGdiApi::mutableStateOf(DcHandle dc) {
    const auto found = states_.find(dc);
    if (found != states_.end()) {
        return found->second;
    }
    DcState fresh;
    fresh.pen = stockPen;
    fresh.brush = stockBrush;
    return states_.emplace(dc, fresh).first->second;
}

GdiCall& FakeGdiApi::record(GdiOp op, DcHandle dc) {
    GdiCall& call = calls.emplace_back();
    call.op = op;
    call.dc = dc;
    return call;
}

void FakeGdiApi::checkWindow(WindowHandle window) {
    if (window != expectedWindow) {
        ++foreignWindowCalls;
    }
}

DcHandle FakeGdiApi::beginPaint(WindowHandle window, PaintStruct& paint) {
    checkWindow(window);
    ++paintToken_;
    std::memcpy(paint.platformData, &paintToken_, sizeof paintToken_);
    GdiCall& call = record(GdiOp::beginPaint, paintDc);
    call.state = stateOf(paintDc);
    return paintDc;
}

bool FakeGdiApi::endPaint(WindowHandle window, const PaintStruct& paint) {
    checkWindow(window);
    std::uint32_t token = 0;
    std::memcpy(&token, paint.platformData, sizeof token);
    if (token != paintToken_) {
        ++mismatchedEndPaints;
    }
    record(GdiOp::endPaint, paintDc);
    return true;
}

bool FakeGdiApi::getClientRect(WindowHandle window, GdiRect& rect) {
    checkWindow(window);
    GdiCall& call = record(GdiOp::getClientRect, nullptr);
    call.rect = clientRect;
    rect = clientRect;
    return true;
}

bool FakeGdiApi::bitBlt(DcHandle destination, std::int32_t x, std::int32_t y, std::int32_t width,
                        std::int32_t height, DcHandle source, std::int32_t sourceX,
                        std::int32_t sourceY, RasterOperation operation) {
    GdiCall& call = record(GdiOp::bitBlt, destination);
    call.x = x;
    call.y = y;
    call.width = width;
    call.height = height;
    call.source = source;
    call.sourceX = sourceX;
    call.sourceY = sourceY;
    call.rop = operation;
    call.state = stateOf(destination);
    return true;
}

std::int32_t FakeGdiApi::setBkMode(DcHandle dc, std::int32_t mode) {
    DcState& state = mutableStateOf(dc);
    const std::int32_t previous = state.backgroundMode;
    state.backgroundMode = mode;
    GdiCall& call = record(GdiOp::setBkMode, dc);
    call.value = mode;
    call.state = state;
    return previous;
}

ColorRef FakeGdiApi::setTextColor(DcHandle dc, ColorRef color) {
    DcState& state = mutableStateOf(dc);
    const ColorRef previous = state.textColor;
    state.textColor = color;
    GdiCall& call = record(GdiOp::setTextColor, dc);
    call.value = static_cast<std::int32_t>(color);
    call.state = state;
    return previous;
}

bool FakeGdiApi::textOut(DcHandle dc, std::int32_t x, std::int32_t y, const char* text,
                         std::int32_t length) {
    GdiCall& call = record(GdiOp::textOut, dc);
    call.x = x;
    call.y = y;
    call.value = length;
    // Exactly length characters, as GDI reads them: a wrong length shows in the text (and
    // reading past the string trips the sanitizers).
    if (text != nullptr && length > 0) {
        call.text.assign(text, static_cast<std::size_t>(length));
    }
    call.state = stateOf(dc);
    return true;
}

bool FakeGdiApi::rectangle(DcHandle dc, std::int32_t left, std::int32_t top, std::int32_t right,
                           std::int32_t bottom) {
    GdiCall& call = record(GdiOp::rectangle, dc);
    call.rect = GdiRect{left, top, right, bottom};
    call.state = stateOf(dc);
    return true;
}

std::int32_t FakeGdiApi::fillRect(DcHandle dc, const GdiRect& rect, GdiObjectHandle brush) {
    GdiCall& call = record(GdiOp::fillRect, dc);
    call.rect = rect;
    call.object = brush;
    call.state = stateOf(dc);
    return 1;
}

bool FakeGdiApi::moveToEx(DcHandle dc, std::int32_t x, std::int32_t y, GdiPoint* previous) {
    if (previous != nullptr) {
        *previous = GdiPoint{};
    }
    GdiCall& call = record(GdiOp::moveToEx, dc);
    call.x = x;
    call.y = y;
    call.state = stateOf(dc);
    return true;
}

bool FakeGdiApi::lineTo(DcHandle dc, std::int32_t x, std::int32_t y) {
    GdiCall& call = record(GdiOp::lineTo, dc);
    call.x = x;
    call.y = y;
    call.state = stateOf(dc);
    return true;
}

bool FakeGdiApi::polyline(DcHandle dc, const GdiPoint* points, std::int32_t count) {
    GdiCall& call = record(GdiOp::polyline, dc);
    if (points != nullptr && count > 0) {
        call.points.assign(points, points + count);
    }
    call.value = count;
    call.state = stateOf(dc);
    return true;
}

GdiObjectHandle FakeGdiApi::selectObject(DcHandle dc, GdiObjectHandle object) {
    DcState& state = mutableStateOf(dc);
    GdiCall& call = record(GdiOp::selectObject, dc);
    call.object = object;
    GdiObjectHandle previous = nullptr;
    const auto found = byHandle_.find(object);
    if (found != byHandle_.end()) {
        GdiObjectHandle* slot = nullptr;
        switch (found->second->kind) {
        case GdiObjectKind::pen:
            slot = &state.pen;
            break;
        case GdiObjectKind::brush:
            slot = &state.brush;
            break;
        case GdiObjectKind::bitmap:
            slot = &state.bitmap;
            break;
        }
        previous = *slot;
        *slot = object;
    }
    call.state = state;
    return previous;
}

std::string FakeGdiApi::describe(const GdiCall& call) const {
    const std::string dc = nameOf(call.dc);
    switch (call.op) {
    case GdiOp::beginPaint:
        return "BeginPaint";
    case GdiOp::endPaint:
        return "EndPaint";
    case GdiOp::getClientRect:
        return "GetClientRect";
    case GdiOp::bitBlt:
        return "BitBlt " + dc + " " + pointText(call.x, call.y) + " " + std::to_string(call.width) +
               "x" + std::to_string(call.height) + " <- " + nameOf(call.source) + " " +
               pointText(call.sourceX, call.sourceY) + " " + rasterName(call.rop);
    case GdiOp::setBkMode:
        return "SetBkMode " + dc + " " + modeName(call.value);
    case GdiOp::setTextColor:
        return "SetTextColor " + dc + " " + colorText(static_cast<ColorRef>(call.value));
    case GdiOp::textOut:
        return "TextOut " + dc + " " + pointText(call.x, call.y) + " \"" + call.text + "\"";
    case GdiOp::rectangle:
        return "Rectangle " + dc + " " + rectText(call.rect);
    case GdiOp::fillRect:
        return "FillRect " + dc + " " + rectText(call.rect) + " " + nameOf(call.object);
    case GdiOp::moveToEx:
        return "MoveToEx " + dc + " " + pointText(call.x, call.y);
    case GdiOp::lineTo:
        return "LineTo " + dc + " " + pointText(call.x, call.y);
    case GdiOp::polyline:
        return "Polyline " + dc + " " + std::to_string(call.value) + " points";
    case GdiOp::selectObject:
        return "SelectObject " + dc + " " + nameOf(call.object);
    }
    return "?";
}

std::vector<std::string> FakeGdiApi::log() const {
    std::vector<std::string> lines;
    lines.reserve(calls.size());
    for (const GdiCall& call : calls) {
        lines.push_back(describe(call));
    }
    return lines;
}

std::vector<GdiCall> FakeGdiApi::callsOf(GdiOp op) const {
    std::vector<GdiCall> found;
    for (const GdiCall& call : calls) {
        if (call.op == op) {
            found.push_back(call);
        }
    }
    return found;
}

} // namespace qora::testing
