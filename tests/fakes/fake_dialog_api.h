#pragma once
// A DialogApi over controls kept in memory, behaving as the real controls do where the
// dialogs rely on it: an unsorted list box and drop-down lists that clear their selection
// for -1 or an index they do not have and count what is added while they redraw, edit
// controls that send EN_CHANGE to the dialog
// whenever their text is set (by the program or by typing), check boxes, automatic radio
// buttons, and scroll bars that keep their position within range. Focus, EndDialog, the
// enabled state and calls on controls a template does not have are recorded.

#include "profiles/dialog_api.h"
#include "profiles/modes_dialog.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace qora::testing {

enum class ControlKind { edit, label, button, checkBox, listBox, comboBox, scrollBar, radioButton };

struct FakeControl {
    WindowHandle dialog = nullptr;
    std::int32_t id = 0;
    ControlKind kind = ControlKind::label;
    std::string text;
    std::size_t textLimit = 0; // EM_LIMITTEXT; 0 = the control's default
    std::vector<std::string> items;
    std::intptr_t selection = -1;
    std::uint32_t check = kBstUnchecked;
    ScrollInfo scroll;
    std::vector<ScrollInfo> scrollSets; // every SetScrollInfo, as passed
    bool redraws = true;                // WM_SETREDRAW
    std::size_t itemsAddedWhileRedrawing = 0;
    std::size_t reservedItems = 0; // LB_INITSTORAGE
    std::size_t reservedBytes = 0;
    bool enabled = true; // EnableWindow
    // Radio buttons with the same number form one group: a click checks one, clears the rest.
    int radioGroup = 0;
};

struct EndDialogCall {
    WindowHandle dialog;
    std::intptr_t result;
};

class FakeDialogApi : public DialogApi {
public:
    // DialogApi.
    bool setDlgItemText(WindowHandle dialog, std::int32_t id, const char* text) override;
    std::uint32_t getDlgItemText(WindowHandle dialog, std::int32_t id, char* buffer,
                                 std::int32_t size) override;
    std::intptr_t sendDlgItemMessage(WindowHandle dialog, std::int32_t id, std::uint32_t message,
                                     std::uintptr_t wParam, std::intptr_t lParam) override;
    std::intptr_t sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    bool checkDlgButton(WindowHandle dialog, std::int32_t id, std::uint32_t check) override;
    std::uint32_t isDlgButtonChecked(WindowHandle dialog, std::int32_t id) override;
    WindowHandle getDlgItem(WindowHandle dialog, std::int32_t id) override;
    bool getScrollInfo(WindowHandle window, std::int32_t bar, ScrollInfo& info) override;
    std::int32_t setScrollInfo(WindowHandle window, std::int32_t bar, const ScrollInfo& info,
                               bool redraw) override;
    WindowHandle getFocus() override { return focus; }
    bool isChild(WindowHandle parent, WindowHandle window) override;
    std::int32_t getDlgCtrlID(WindowHandle window) override;
    bool endDialog(WindowHandle dialog, std::intptr_t result) override;
    bool enableWindow(WindowHandle window, bool enable) override;

    // Templates.
    FakeControl& add(WindowHandle dialog, std::int32_t id, ControlKind kind);
    // The controls of template 136.
    void addSettingDialog(WindowHandle dialog);
    // The controls of template 139 (PS3, with the four tilt fields) or 140 (Xbox 360).
    void addMapDialog(WindowHandle dialog, std::int32_t templateId);
    // The controls of template 141, the Modes dialog.
    void addModesDialog(WindowHandle dialog);

    // Access for tests; a control the template does not have fails the test.
    FakeControl& control(WindowHandle dialog, std::int32_t id);
    bool has(WindowHandle dialog, std::int32_t id) const;
    WindowHandle handleOf(WindowHandle dialog, std::int32_t id);

    // The user's actions.
    void focusOn(WindowHandle dialog, std::int32_t id) { focus = handleOf(dialog, id); }
    // Text typed into an edit control: cut to its limit, then EN_CHANGE.
    void type(WindowHandle dialog, std::int32_t id, const std::string& text);
    // Dragging a scroll bar's thumb moves its track position only.
    void dragThumb(WindowHandle dialog, std::int32_t id, std::int32_t trackPos);
    void selectItem(WindowHandle dialog, std::int32_t id, std::intptr_t index);
    // A drop-down list's item chosen by the player: selected, then CBN_SELCHANGE.
    void chooseItem(WindowHandle dialog, std::int32_t id, std::intptr_t index);
    // A click on an automatic check box: it flips, then BN_CLICKED.
    void clickCheckBox(WindowHandle dialog, std::int32_t id);
    // A click on a push button: it takes the focus, then BN_CLICKED.
    void clickButton(WindowHandle dialog, std::int32_t id);
    // The focus moved by the player: an edit that loses it sends EN_KILLFOCUS, the control
    // that gains it notifies it (EN_SETFOCUS, CBN_SETFOCUS, BN_SETFOCUS from the check
    // boxes and radio buttons, which have BS_NOTIFY).
    void moveFocusTo(WindowHandle dialog, std::int32_t id);
    // A click on an automatic radio button: it checks itself, clears the others of its
    // group, then BN_CLICKED.
    void clickRadio(WindowHandle dialog, std::int32_t id);

    // Where a WM_COMMAND notification goes (dialog, control id, notification code).
    std::function<void(WindowHandle, std::int32_t, std::uint32_t)> onCommand;

    // The window with the focus; any handle, also one of another window.
    WindowHandle focus = nullptr;
    std::vector<EndDialogCall> endedDialogs;
    // Calls on controls that do not exist or of the wrong kind, messages not understood.
    std::vector<std::string> misuse;

private:
    FakeControl* find(WindowHandle dialog, std::int32_t id);
    FakeControl* findByHandle(WindowHandle window);
    void notify(const FakeControl& control, std::uint32_t code);
    std::intptr_t controlMessage(FakeControl& control, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam);
    std::intptr_t listMessage(FakeControl& control, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam);

    // std::map keeps each control at one address, which serves as its window handle.
    std::map<std::pair<WindowHandle, std::int32_t>, FakeControl> controls_;
};

// Records every openMapDialog call and answers with result.
class FakeMapDialogOpener : public MapDialogOpener {
public:
    struct Call {
        WindowHandle owner;
        std::int32_t templateId;
        std::int32_t profileIndex;
    };

    std::intptr_t openMapDialog(WindowHandle owner, std::int32_t templateId,
                                std::int32_t profileIndex) override {
        calls.push_back({owner, templateId, profileIndex});
        return result;
    }

    std::intptr_t result = kMapDialogCancelled;
    std::vector<Call> calls;
};

// Records every openModesDialog call; open, when set, plays the dialog and gives its
// result, else the dialog is cancelled at once.
class FakeModesDialogOpener : public ModesDialogOpener {
public:
    std::intptr_t openModesDialog(WindowHandle owner, ModesEdit& edit) override {
        calls.push_back({owner, edit});
        return open ? open(owner, edit) : kModesDialogCancelled;
    }

    struct Call {
        WindowHandle owner;
        ModesEdit edit; // as handed over
    };
    std::function<std::intptr_t(WindowHandle, ModesEdit&)> open;
    std::vector<Call> calls;
};

} // namespace qora::testing
