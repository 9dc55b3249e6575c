#include "overlay/overlay.h"

#include "overlay/calibration_view.h"
#include "overlay/draw_helpers.h"

namespace qora {
namespace {

struct BitDot {
    std::uint8_t bit;
    std::size_t slot;
};

constexpr BitDot kButtons1Dots[] = {
    {buttons1::start, icon::start},
    {buttons1::back, icon::back},
    {buttons1::leftClick, icon::leftClick},
    {buttons1::rightClick, icon::rightClick},
};

constexpr BitDot kFaceButtonDots[] = {
    {buttons2::a, icon::a},
    {buttons2::b, icon::b},
    {buttons2::x, icon::x},
    {buttons2::y, icon::y},
};

// Labels of the PS3 and the Xbox 360 for the same buttons2 bit.
struct ShoulderLabel {
    std::uint8_t bit;
    std::size_t slot;
    const char* xbox360;
    const char* ps3;
};

constexpr ShoulderLabel kLeftShoulder{buttons2::leftBumper, icon::leftBumper, "LB", "L1"};
constexpr ShoulderLabel kRightShoulder{buttons2::rightBumper, icon::rightBumper, "RB", "R1"};

struct StickView {
    std::size_t xOffset; // ControllerState offsets of the two axes
    std::size_t yOffset;
    GdiRect box;
    GdiPoint valueText;
};

constexpr StickView kLeftStick{state::leftStickX, state::leftStickY, {0, 0, 80, 80}, {20, 80}};
constexpr StickView kRightStick{
    state::rightStickX, state::rightStickY, {330, 0, 410, 80}, {20, 100}};

constexpr const char* kCaptureRunLine = "Press F11 to return";
constexpr const char* kAdapterLostLine = "Adapter lost, reconnecting";
constexpr GdiPoint kCaptureRunLinePlace{130, 300};
constexpr GdiPoint kRunningProfilePlace{130, 318};

void drawDotAt(GdiApi& gdi, const DrawingResources& resources, const IconPositions& icons,
               std::size_t slot) {
    drawDot(gdi, resources, icons.places[slot]);
}

void drawLabelAt(GdiApi& gdi, const DrawingResources& resources, const IconPositions& icons,
                 std::size_t slot, const char* text) {
    const IconPosition place = icons.places[slot];
    drawText(gdi, resources.backBuffer, place.x, place.y, text);
}

void drawBitDots(GdiApi& gdi, const DrawingResources& resources, const IconPositions& icons,
                 std::uint8_t buttons, const BitDot (&dots)[4]) {
    for (const BitDot& dot : dots) {
        if ((buttons & dot.bit) != 0) {
            drawDotAt(gdi, resources, icons, dot.slot);
        }
    }
}

void drawDpad(GdiApi& gdi, const DrawingResources& resources, const IconPositions& icons,
              std::uint8_t buttons1) {
    if (const auto slot = dpadSlot(buttons1)) {
        drawDotAt(gdi, resources, icons, *slot);
    }
}

// Only the two consoles have shoulder labels.
void drawShoulderLabel(GdiApi& gdi, const DrawingResources& resources, const IconPositions& icons,
                       std::uint8_t buttons2, ConsoleMode mode, const ShoulderLabel& label) {
    if ((buttons2 & label.bit) == 0) {
        return;
    }
    if (mode == kConsoleXbox360) {
        drawLabelAt(gdi, resources, icons, label.slot, label.xbox360);
    } else if (mode == kConsolePs3) {
        drawLabelAt(gdi, resources, icons, label.slot, label.ps3);
    }
}

// PS3 triggers are buttons on the picture: labelled only when fully pressed.
void drawPs3TriggerLabels(GdiApi& gdi, const DrawingResources& resources,
                          const IconPositions& icons, const ControllerState& state) {
    if (state.bytes[state::leftTrigger] == kTriggerPressed) {
        drawLabelAt(gdi, resources, icons, icon::leftTrigger, "L2");
    }
    if (state.bytes[state::rightTrigger] == kTriggerPressed) {
        drawLabelAt(gdi, resources, icons, icon::rightTrigger, "R2");
    }
}

void drawTriggers(GdiApi& gdi, const DrawingResources& resources, const IconPositions& icons,
                  const ControllerState& state, ConsoleMode mode) {
    if (mode == kConsolePs3) {
        drawPs3TriggerLabels(gdi, resources, icons, state);
    } else if (mode == kConsoleXbox360) {
        drawTriggerBar(gdi, resources, state.bytes[state::leftTrigger],
                       state.bytes[state::rightTrigger]);
    }
}

// The box blanks out the picture beneath it with the default white brush.
void drawStickBox(GdiApi& gdi, const DrawingResources& resources, const ControllerState& state,
                  const StickView& stick) {
    gdi.rectangle(resources.backBuffer, stick.box.left, stick.box.top, stick.box.right,
                  stick.box.bottom);
    drawCrosshair(gdi, resources, stickHighByte(state, stick.xOffset),
                  stickHighByte(state, stick.yOffset), GdiPoint{stick.box.left, stick.box.top});
}

void drawStickValues(GdiApi& gdi, const DrawingResources& resources, const ControllerState& state,
                     const StickView& stick) {
    char text[kStickTextCapacity];
    const std::int32_t length =
        formatStickValues(text, stickValue(state, stick.xOffset), stickValue(state, stick.yOffset));
    gdi.textOut(resources.backBuffer, stick.valueText.x, stick.valueText.y, text, length);
}

void copyClientArea(GdiApi& gdi, DcHandle destination, DcHandle source, const GdiRect& client) {
    gdi.bitBlt(destination, 0, 0, client.right, client.bottom, source, 0, 0, kSrcCopy);
}

} // namespace

void drawOverlay(GdiApi& gdi, const DrawingResources& resources, const ControllerState& state,
                 ConsoleMode mode, const IconPositions& icons) {
    // Neither is restored: the capture run line drawn after the overlay inherits them.
    gdi.setBkMode(resources.backBuffer, kBkTransparent);
    gdi.setTextColor(resources.backBuffer, kColorRed);

    const std::uint8_t buttons1 = state.bytes[state::buttons1];
    const std::uint8_t buttons2 = state.bytes[state::buttons2];
    drawDpad(gdi, resources, icons, buttons1);
    drawBitDots(gdi, resources, icons, buttons1, kButtons1Dots);
    drawBitDots(gdi, resources, icons, buttons2, kFaceButtonDots);
    drawShoulderLabel(gdi, resources, icons, buttons2, mode, kLeftShoulder);
    drawShoulderLabel(gdi, resources, icons, buttons2, mode, kRightShoulder);
    if ((buttons2 & buttons2::guide) != 0) {
        drawDotAt(gdi, resources, icons, icon::guide);
    }
    drawTriggers(gdi, resources, icons, state, mode);

    drawStickBox(gdi, resources, state, kLeftStick);
    drawStickValues(gdi, resources, state, kLeftStick);
    drawStickValues(gdi, resources, state, kRightStick);
    drawStickBox(gdi, resources, state, kRightStick);
}

std::int32_t paintMainWindow(GdiApi& gdi, WindowHandle window, const DrawingResources& resources,
                             const PaintInputs& inputs) {
    PaintStruct paint;
    const DcHandle windowDc = gdi.beginPaint(window, paint);
    // right and bottom of the client rectangle are its width and height.
    GdiRect client;
    gdi.getClientRect(window, client);

    copyClientArea(gdi, resources.backBuffer, resources.background, client);
    if (inputs.overlayOn) {
        drawOverlay(gdi, resources, inputs.state, inputs.mode, inputs.icons);
    }
    if (inputs.calibration != nullptr) {
        drawCalibrationView(gdi, resources, *inputs.calibration);
    }
    if (inputs.captureRunActive) {
        // In whatever text mode and colour the back buffer holds by now.
        drawText(gdi, resources.backBuffer, kCaptureRunLinePlace.x, kCaptureRunLinePlace.y,
                 inputs.adapterLost ? kAdapterLostLine : kCaptureRunLine);
        if (inputs.runningProfile != nullptr && inputs.runningProfile[0] != '\0') {
            drawText(gdi, resources.backBuffer, kRunningProfilePlace.x, kRunningProfilePlace.y,
                     inputs.runningProfile);
        }
    }
    copyClientArea(gdi, windowDc, resources.backBuffer, client);
    gdi.endPaint(window, paint);
    return 0;
}

} // namespace qora
