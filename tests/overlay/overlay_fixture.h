#pragma once
// The drawing resources on a recording GDI, an icon table with a distinct place per slot,
// and helpers that read the recorded calls back as dots and labels.

#include "fakes/fake_gdi_api.h"
#include "mapping/controller_state.h"
#include "overlay/icon_positions.h"
#include "overlay/overlay.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace qora::testing {

// Slot s sits at (100 + 10 s, 200 + s): every place differs from every fixed place.
inline IconPositions distinctIconPositions() {
    IconPositions icons;
    for (std::size_t slot = 0; slot < kIconPositionCount; ++slot) {
        icons.places[slot] = IconPosition{static_cast<std::uint16_t>(100 + 10 * slot),
                                          static_cast<std::uint16_t>(200 + slot)};
    }
    return icons;
}

class OverlayFixture : public ::testing::Test {
protected:
    FakeGdiApi gdi;
    DrawingResources resources{gdi.addDc("background"),
                               gdi.addDc("back"),
                               gdi.addDc("icon"),
                               gdi.addDc("mask"),
                               gdi.addObject("black pen", GdiObjectKind::pen),
                               gdi.addObject("red brush", GdiObjectKind::brush),
                               gdi.addObject("red pen", GdiObjectKind::pen),
                               gdi.addObject("blue pen", GdiObjectKind::pen)};
    IconPositions icons = distinctIconPositions();
    ControllerState state = idleControllerState();

    void draw(ConsoleMode mode) { drawOverlay(gdi, resources, state, mode, icons); }

    std::optional<std::size_t> slotAt(std::int32_t x, std::int32_t y) const {
        for (std::size_t slot = 0; slot < kIconPositionCount; ++slot) {
            if (icons.places[slot].x == x && icons.places[slot].y == y) {
                return slot;
            }
        }
        return std::nullopt;
    }

    // The dots and icon-place labels in drawing order: "dot <slot>" for a mask blit that
    // is directly followed by the matching icon blit, "<text> <slot>" for a label.
    std::vector<std::string> marks() const {
        std::vector<std::string> found;
        const auto& calls = gdi.calls;
        for (std::size_t i = 0; i < calls.size(); ++i) {
            const GdiCall& call = calls[i];
            if (call.op == GdiOp::bitBlt && call.source == resources.mask) {
                const bool paired = i + 1 < calls.size() && calls[i + 1].op == GdiOp::bitBlt &&
                                    calls[i + 1].source == resources.icon &&
                                    calls[i + 1].x == call.x && calls[i + 1].y == call.y;
                const auto slot = slotAt(call.x, call.y);
                found.push_back((paired ? "dot " : "unpaired mask ") +
                                (slot ? std::to_string(*slot) : std::string("elsewhere")));
            } else if (call.op == GdiOp::textOut) {
                if (const auto slot = slotAt(call.x, call.y)) {
                    found.push_back(call.text + " " + std::to_string(*slot));
                }
            }
        }
        return found;
    }

    std::vector<GdiCall> textsAt(std::int32_t x, std::int32_t y) const {
        std::vector<GdiCall> found;
        for (const GdiCall& call : gdi.callsOf(GdiOp::textOut)) {
            if (call.x == x && call.y == y) {
                found.push_back(call);
            }
        }
        return found;
    }

    static std::string dot(std::size_t slot) { return "dot " + std::to_string(slot); }
    static std::string label(const char* text, std::size_t slot) {
        return std::string(text) + " " + std::to_string(slot);
    }
};

} // namespace qora::testing
