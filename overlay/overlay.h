#pragma once
// Painting the main window: the controller picture, optionally the live controller state
// drawn over it, and the capture run line, composed in a back buffer and copied to the
// window in one blit so the window never shows a half-drawn frame.

#include "mapping/controller_state.h"
#include "overlay/gdi_api.h"
#include "overlay/icon_positions.h"
#include "platform/platform_types.h"

#include <cstdint>

namespace qora {

struct CalibrationViewInputs; // overlay/calibration_view.h

// The main window's drawing resources. The window creates them all when it is created
// (WM_CREATE) and frees them when it is destroyed (WM_DESTROY); painting only draws with
// them and never creates or frees a GDI object.
struct DrawingResources {
    // Memory context holding the controller picture of the ConsoleMode (bitmap 132 for
    // the Xbox 360, 137 for the PS3, 140 when no console is set); the window swaps the
    // picture after the Setting dialog.
    DcHandle background = nullptr;
    // Memory context holding a window-compatible bitmap as large as the client area. It is
    // never reset: the text mode, text colour and pen the overlay selects stay in it.
    DcHandle backBuffer = nullptr;
    // Memory context holding bitmap 134, the 16 x 16 red disc on black.
    DcHandle icon = nullptr;
    // Memory context holding bitmap 133, the 16 x 16 black disc on white.
    DcHandle mask = nullptr;
    GdiObjectHandle blackPen = nullptr; // solid, width 1, kColorBlack
    GdiObjectHandle redBrush = nullptr; // solid, kColorRed
    // The curves of the calibration view: X solid red, Y solid blue, both 2 pixels wide.
    GdiObjectHandle redPen = nullptr;
    GdiObjectHandle bluePen = nullptr;
};

// What one paint shows, taken at the moment of the paint.
struct PaintInputs {
    const ControllerState& state; // the live state of the capture run
    ConsoleMode mode;             // SETTING/OSTYPE as read at window creation
    const IconPositions& icons;   // the table loaded at the last run start
    bool overlayOn;               // the Debug menu item is checked
    bool captureRunActive;        // adds the line "Press F11 to return"
    bool adapterLost;             // the line says "Adapter lost, reconnecting" instead
    // Live calibration is on: its view is drawn over the picture (and the overlay).
    const CalibrationViewInputs* calibration = nullptr;
    // During a run, the running profile's name and its layers in effect ("Shooter precise
    // + ADS"), on a line under the run line; nullptr or empty for none.
    const char* runningProfile = nullptr;
};

// The main window's WM_PAINT: BeginPaint, the picture into the back buffer, the overlay
// when it is on, the calibration view when calibration is on, the capture run line when a
// run is active, the back buffer to the window, EndPaint. The whole client area is redrawn whatever
// the update region. Returns 0, the WM_PAINT result. Call it as
//   paintMainWindow(gdi, window, resources, {.state = run.state, .mode = shell.mode,
//                   .icons = icons, .overlayOn = shell.overlayOn,
//                   .captureRunActive = run.active, .adapterLost = run.adapterLost});
std::int32_t paintMainWindow(GdiApi& gdi, WindowHandle window, const DrawingResources& resources,
                             const PaintInputs& inputs);

// Draws the live state over the picture in the back buffer: dots on pressed buttons,
// shoulder and PS3 trigger labels, the Xbox 360 trigger bar, the two stick boxes with
// their crosshairs and the four stick values. Leaves the back buffer transparent, with
// the black pen selected and the text colour black (Xbox 360) or red (any other mode).
void drawOverlay(GdiApi& gdi, const DrawingResources& resources, const ControllerState& state,
                 ConsoleMode mode, const IconPositions& icons);

} // namespace qora
