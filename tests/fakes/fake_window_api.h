#pragma once
// A WindowApi that keeps the window's place, a two-level menu with check marks, and every
// GDI object and memory context it hands out, so tests can see what is alive at the end.
// Objects are registered with the drawing fake, which tracks what is selected where.

#include "app/window_api.h"
#include "fakes/fake_gdi_api.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace qora::testing {

class FakeWindowApi : public WindowApi {
public:
    explicit FakeWindowApi(FakeGdiApi& gdi) : gdi_(gdi) {}

    std::int32_t getSystemMetrics(std::int32_t index) override {
        return index == kSmCxScreen ? screenWidth : screenHeight;
    }
    bool getWindowRect(WindowHandle, GdiRect& rect) override {
        rect = frame;
        return true;
    }
    bool moveWindow(WindowHandle, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height, bool) override {
        frame = {x, y, x + width, y + height};
        log.push_back("MoveWindow");
        return true;
    }
    bool showWindow(WindowHandle, std::int32_t command) override {
        log.push_back("ShowWindow " + std::to_string(command));
        return true;
    }
    bool destroyWindow(WindowHandle) override {
        log.push_back("DestroyWindow");
        return true;
    }
    void postQuitMessage(std::int32_t exitCode) override {
        log.push_back("PostQuitMessage " + std::to_string(exitCode));
    }

    MenuHandle getMenu(WindowHandle) override { return kMainMenu; }
    MenuHandle getSubMenu(MenuHandle menu, std::int32_t position) override {
        return menu == kMainMenu && position >= 0 && position < 3 ? kSubMenus[position] : nullptr;
    }
    bool appendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t id,
                    const char* text) override {
        appended.push_back({menu, flags, id, text});
        items[static_cast<std::uint32_t>(id)] = 0;
        log.push_back(std::string("AppendMenu ") + text);
        return true;
    }
    std::uint32_t getMenuState(MenuHandle, std::uint32_t id, std::uint32_t) override {
        const auto found = items.find(id);
        return found == items.end() ? 0xFFFFFFFFu : found->second;
    }
    std::uint32_t checkMenuItem(MenuHandle, std::uint32_t id, std::uint32_t flags) override {
        const auto found = items.find(id);
        if (found == items.end()) {
            return 0xFFFFFFFFu;
        }
        const std::uint32_t previous = found->second & kMfChecked;
        found->second = flags & kMfChecked;
        return previous;
    }

    GdiObjectHandle loadBitmap(std::int32_t resourceId) override {
        if (loadBitmapFails) {
            return nullptr;
        }
        return track(gdi_.addObject("bitmap " + std::to_string(resourceId), GdiObjectKind::bitmap));
    }
    GdiObjectHandle createSolidBrush(ColorRef color) override {
        return track(
            gdi_.addObject(color == kColorRed ? "red brush" : "brush", GdiObjectKind::brush));
    }
    GdiObjectHandle createPen(std::int32_t, std::int32_t width, ColorRef color) override {
        penWidth = width;
        return track(gdi_.addObject(penName(color), GdiObjectKind::pen));
    }
    DcHandle getDC(WindowHandle) override {
        ++windowDcsHeld;
        return windowDc;
    }
    std::int32_t releaseDC(WindowHandle, DcHandle dc) override {
        if (dc == windowDc) {
            --windowDcsHeld;
        }
        return 1;
    }
    DcHandle createCompatibleDC(DcHandle) override {
        const DcHandle dc = gdi_.addDc("memory dc " + std::to_string(++memoryDcs_));
        liveDcs.insert(dc);
        return dc;
    }
    GdiObjectHandle createCompatibleBitmap(DcHandle, std::int32_t width,
                                           std::int32_t height) override {
        backBufferSize = {0, 0, width, height};
        return track(gdi_.addObject("back buffer bitmap", GdiObjectKind::bitmap));
    }
    bool deleteDC(DcHandle dc) override { return liveDcs.erase(dc) == 1; }
    // GDI refuses to delete an object that is still selected into a context.
    bool deleteObject(GdiObjectHandle object) override {
        if (!selectedInALiveContext(object) && liveObjects.erase(object) == 1) {
            return true;
        }
        ++badDeletes;
        return false;
    }

    std::intptr_t showAboutDialog(WindowHandle, const char* title) override {
        log.push_back(std::string("About ") + title);
        return 1;
    }
    std::intptr_t showSettingDialog(WindowHandle) override {
        log.push_back("Setting");
        return 1;
    }

    std::string nameOf(const void* handle) const { return gdi_.nameOf(handle); }
    bool selectedInALiveContext(GdiObjectHandle object) {
        for (const DcHandle dc : liveDcs) {
            const DcState& state = gdi_.stateOf(dc);
            if (state.bitmap == object || state.pen == object || state.brush == object) {
                return true;
            }
        }
        return false;
    }
    std::set<std::string> liveObjectNames() const {
        std::set<std::string> names;
        for (const auto* object : liveObjects) {
            names.insert(gdi_.nameOf(object));
        }
        return names;
    }

    struct AppendedItem {
        MenuHandle menu;
        std::uint32_t flags;
        std::uintptr_t id;
        std::string text;
    };

    static inline MenuHandle const kMainMenu = reinterpret_cast<MenuHandle>(0x100);
    static inline MenuHandle const kSubMenus[3] = {reinterpret_cast<MenuHandle>(0x101),
                                                   reinterpret_cast<MenuHandle>(0x102),
                                                   reinterpret_cast<MenuHandle>(0x103)};

    std::int32_t screenWidth = 1024;
    std::int32_t screenHeight = 768;
    GdiRect frame{0, 0, 420, 400};
    GdiRect backBufferSize;
    std::int32_t penWidth = 0;
    DcHandle windowDc = nullptr;
    int windowDcsHeld = 0;
    int badDeletes = 0;
    bool loadBitmapFails = false;                 // LoadBitmapA returns no bitmap
    std::map<std::uint32_t, std::uint32_t> items; // appended items and their flags
    std::vector<AppendedItem> appended;
    std::set<const void*> liveObjects;
    std::set<DcHandle> liveDcs;
    std::vector<std::string> log;

private:
    static const char* penName(ColorRef color) {
        switch (color) {
        case kColorBlack:
            return "black pen";
        case kColorRed:
            return "red pen";
        case kColorBlue:
            return "blue pen";
        default:
            return "pen";
        }
    }
    GdiObjectHandle track(GdiObjectHandle object) {
        liveObjects.insert(object);
        return object;
    }

    FakeGdiApi& gdi_;
    int memoryDcs_ = 0;
};

} // namespace qora::testing
