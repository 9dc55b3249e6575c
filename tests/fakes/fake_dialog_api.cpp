#include "fakes/fake_dialog_api.h"

#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace qora::testing {

namespace {

// An edit control's default limit (EM_LIMITTEXT with 0).
constexpr std::size_t kDefaultTextLimit = 30000;

std::string describe(WindowHandle dialog, std::int32_t id) {
    return "control " + std::to_string(id) + " of dialog " +
           std::to_string(reinterpret_cast<std::uintptr_t>(dialog));
}

bool isButtonWithCheck(const FakeControl& control) {
    return control.kind == ControlKind::checkBox || control.kind == ControlKind::radioButton;
}

bool isList(const FakeControl& control) {
    return control.kind == ControlKind::listBox || control.kind == ControlKind::comboBox;
}

// The range a scroll bar's position can take: min ... max - (page - 1), as the control
// keeps it.
std::int32_t clampScrollPosition(const ScrollInfo& bar, std::int32_t pos) {
    const std::int32_t pageExtent = bar.page > 0 ? static_cast<std::int32_t>(bar.page) - 1 : 0;
    const std::int32_t highest = std::max(bar.min, bar.max - pageExtent);
    return std::clamp(pos, bar.min, highest);
}

} // namespace

FakeControl& FakeDialogApi::add(WindowHandle dialog, std::int32_t id, ControlKind kind) {
    FakeControl& control = controls_[{dialog, id}];
    control = FakeControl{};
    control.dialog = dialog;
    control.id = id;
    control.kind = kind;
    return control;
}

void FakeDialogApi::addSettingDialog(WindowHandle dialog) {
    add(dialog, IDC_SETTING_NAME, ControlKind::edit);
    add(dialog, IDC_SETTING_LIST, ControlKind::listBox);
    add(dialog, IDC_SETTING_NEW, ControlKind::button);
    add(dialog, IDC_SETTING_DEL, ControlKind::button);
    add(dialog, IDC_SETTING_MAP, ControlKind::button);
    add(dialog, IDC_CONFIRM, ControlKind::button);
}

void FakeDialogApi::addMapDialog(WindowHandle dialog, std::int32_t templateId) {
    const std::int32_t lastPrimary =
        templateId == IDD_MAP_PS3 ? IDC_MAP_PRIMARY_LAST : IDC_MAP_GUIDE;
    for (std::int32_t id = IDC_MAP_PRIMARY_FIRST; id <= lastPrimary; ++id) {
        add(dialog, id, ControlKind::edit);
    }
    for (std::int32_t id = IDC_MAP_SECONDARY_FIRST; id <= IDC_MAP_SECONDARY_LAST; ++id) {
        add(dialog, id, ControlKind::edit);
    }
    for (const std::int32_t id :
         {IDC_MAP_MOUSE_LEFT, IDC_MAP_MOUSE_RIGHT, IDC_MAP_MOUSE_MIDDLE, IDC_MAP_MOUSE_BACKWARD,
          IDC_MAP_MOUSE_FORWARD, IDC_MAP_MOUSE_ROLL_UP, IDC_MAP_MOUSE_ROLL_DOWN,
          IDC_MAP_MOUSE_DIRECTION}) {
        add(dialog, id, ControlKind::comboBox);
    }
    add(dialog, IDC_MAP_INVERT_X, ControlKind::checkBox);
    add(dialog, IDC_MAP_INVERT_Y, ControlKind::checkBox);
    add(dialog, IDC_MAP_ZOOM_X, ControlKind::scrollBar);
    add(dialog, IDC_MAP_ZOOM_Y, ControlKind::scrollBar);
    add(dialog, IDC_MAP_ZOOM_X_VALUE, ControlKind::label).text = "1.0";
    add(dialog, IDC_MAP_ZOOM_Y_VALUE, ControlKind::label).text = "1.0";
    add(dialog, IDC_MAP_ZOOM_TITLE, ControlKind::label).text = "Zoom Scale";
    add(dialog, IDC_MAP_AIM_CLASSIC, ControlKind::radioButton).radioGroup = 1;
    add(dialog, IDC_MAP_AIM_PRECISE, ControlKind::radioButton).radioGroup = 1;
    add(dialog, IDC_MAP_AIM_CIRCLE, ControlKind::radioButton).radioGroup = 2;
    add(dialog, IDC_MAP_AIM_SQUARE, ControlKind::radioButton).radioGroup = 2;
    add(dialog, IDC_MAP_AIM_DEAD_ZONE, ControlKind::scrollBar);
    add(dialog, IDC_MAP_AIM_EXPONENT, ControlKind::scrollBar);
    add(dialog, IDC_MAP_AIM_DEAD_ZONE_VALUE, ControlKind::label).text = "0.0 %";
    add(dialog, IDC_MAP_AIM_EXPONENT_VALUE, ControlKind::label).text = "1.00";
    for (const std::int32_t id :
         {IDC_MAP_AIM_DEAD_ZONE_LABEL, IDC_MAP_AIM_SHAPE_LABEL, IDC_MAP_AIM_EXPONENT_LABEL}) {
        add(dialog, id, ControlKind::label);
    }
    add(dialog, IDC_MAP_LAYER_LIST, ControlKind::comboBox);
    add(dialog, IDC_MAP_LAYER_NAME, ControlKind::edit);
    add(dialog, IDC_MAP_LAYER_NEW, ControlKind::button);
    add(dialog, IDC_MAP_LAYER_DELETE, ControlKind::button);
    add(dialog, IDC_MAP_LAYER_TRIGGER_SOURCE, ControlKind::comboBox);
    add(dialog, IDC_MAP_LAYER_TRIGGER_KEY, ControlKind::edit);
    add(dialog, IDC_MAP_LAYER_HELD, ControlKind::radioButton).radioGroup = 3;
    add(dialog, IDC_MAP_LAYER_TOGGLED, ControlKind::radioButton).radioGroup = 3;
    add(dialog, IDC_MAP_LAYER_DELAY, ControlKind::edit);
    add(dialog, IDC_MAP_LAYER_RELEASE_DELAY, ControlKind::edit);
    add(dialog, IDC_MAP_LAYER_USE_BASE, ControlKind::button);
    add(dialog, IDC_MAP_LAYER_MODES, ControlKind::button);
    add(dialog, IDC_CONFIRM, ControlKind::button);
    add(dialog, IDC_CANCEL, ControlKind::button);
}

void FakeDialogApi::addModesDialog(WindowHandle dialog) {
    add(dialog, IDC_MODES_EDITING, ControlKind::label);
    for (std::int32_t id = IDC_MODES_TOGGLE_FIRST; id <= IDC_MODES_TOGGLE_LAST; ++id) {
        add(dialog, id, ControlKind::checkBox);
    }
    for (std::int32_t id = IDC_MODES_TURBO_FIRST; id <= IDC_MODES_TURBO_LAST; ++id) {
        add(dialog, id, ControlKind::checkBox);
    }
    for (const std::int32_t id :
         {IDC_MODES_TURBO_PRESS, IDC_MODES_TURBO_RELEASE, IDC_MODES_WALK_KEY, IDC_MODES_WALK_SPEED,
          IDC_MODES_MACRO_KEY, IDC_MODES_MACRO_STEPS}) {
        add(dialog, id, ControlKind::edit);
    }
    add(dialog, IDC_MODES_MACRO_LIST, ControlKind::listBox);
    for (const std::int32_t id :
         {IDC_MODES_TOGGLE_USE_BASE, IDC_MODES_TURBO_USE_BASE, IDC_MODES_WALK_USE_BASE,
          IDC_MODES_MACRO_SET, IDC_MODES_MACRO_REMOVE, IDC_MODES_MACRO_USE_BASE, IDC_CONFIRM,
          IDC_CANCEL}) {
        add(dialog, id, ControlKind::button);
    }
}

FakeControl* FakeDialogApi::find(WindowHandle dialog, std::int32_t id) {
    const auto found = controls_.find({dialog, id});
    return found == controls_.end() ? nullptr : &found->second;
}

FakeControl* FakeDialogApi::findByHandle(WindowHandle window) {
    for (auto& [key, control] : controls_) {
        if (static_cast<WindowHandle>(&control) == window) {
            return &control;
        }
    }
    return nullptr;
}

bool FakeDialogApi::has(WindowHandle dialog, std::int32_t id) const {
    return controls_.count({dialog, id}) != 0;
}

FakeControl& FakeDialogApi::control(WindowHandle dialog, std::int32_t id) {
    FakeControl* control = find(dialog, id);
    if (control == nullptr) {
        ADD_FAILURE() << "the test asked for the missing " << describe(dialog, id);
        static FakeControl missing;
        missing = FakeControl{};
        return missing;
    }
    return *control;
}

WindowHandle FakeDialogApi::handleOf(WindowHandle dialog, std::int32_t id) {
    return &control(dialog, id);
}

void FakeDialogApi::notify(const FakeControl& control, std::uint32_t code) {
    if (onCommand) {
        onCommand(control.dialog, control.id, code);
    }
}

void FakeDialogApi::type(WindowHandle dialog, std::int32_t id, const std::string& text) {
    FakeControl& edit = control(dialog, id);
    const std::size_t limit = edit.textLimit == 0 ? kDefaultTextLimit : edit.textLimit;
    edit.text = text.substr(0, limit);
    notify(edit, kEnChange);
}

void FakeDialogApi::dragThumb(WindowHandle dialog, std::int32_t id, std::int32_t trackPos) {
    control(dialog, id).scroll.trackPos = trackPos;
}

void FakeDialogApi::clickRadio(WindowHandle dialog, std::int32_t id) {
    FakeControl& clicked = control(dialog, id);
    for (auto& [key, other] : controls_) {
        if (other.dialog == dialog && other.kind == ControlKind::radioButton &&
            other.radioGroup == clicked.radioGroup) {
            other.check = kBstUnchecked;
        }
    }
    clicked.check = kBstChecked;
    notify(clicked, kBnClicked);
}

void FakeDialogApi::selectItem(WindowHandle dialog, std::int32_t id, std::intptr_t index) {
    FakeControl& list = control(dialog, id);
    list.selection = index >= 0 && static_cast<std::size_t>(index) < list.items.size() ? index : -1;
}

void FakeDialogApi::chooseItem(WindowHandle dialog, std::int32_t id, std::intptr_t index) {
    selectItem(dialog, id, index);
    notify(control(dialog, id), kCbnSelChange);
}

void FakeDialogApi::clickCheckBox(WindowHandle dialog, std::int32_t id) {
    FakeControl& box = control(dialog, id);
    box.check = box.check == kBstChecked ? kBstUnchecked : kBstChecked;
    notify(box, kBnClicked);
}

void FakeDialogApi::clickButton(WindowHandle dialog, std::int32_t id) {
    moveFocusTo(dialog, id);
    notify(control(dialog, id), kBnClicked);
}

void FakeDialogApi::moveFocusTo(WindowHandle dialog, std::int32_t id) {
    FakeControl& target = control(dialog, id);
    FakeControl* previous = findByHandle(focus);
    focus = &target;
    if (previous != nullptr && previous != &target && previous->kind == ControlKind::edit) {
        notify(*previous, kEnKillFocus);
    }
    switch (target.kind) {
    case ControlKind::edit:
        notify(target, kEnSetFocus);
        break;
    case ControlKind::comboBox:
        notify(target, kCbnSetFocus);
        break;
    case ControlKind::checkBox:
    case ControlKind::radioButton:
        notify(target, kBnSetFocus);
        break;
    default:
        break;
    }
}

bool FakeDialogApi::setDlgItemText(WindowHandle dialog, std::int32_t id, const char* text) {
    FakeControl* control = find(dialog, id);
    if (control == nullptr) {
        misuse.push_back("SetDlgItemTextA on the missing " + describe(dialog, id));
        return false;
    }
    control->text = text;
    // A single-line edit reports every text change, also one made by the program.
    if (control->kind == ControlKind::edit) {
        notify(*control, kEnChange);
    }
    return true;
}

std::uint32_t FakeDialogApi::getDlgItemText(WindowHandle dialog, std::int32_t id, char* buffer,
                                            std::int32_t size) {
    FakeControl* control = find(dialog, id);
    if (size <= 0) {
        return 0;
    }
    if (control == nullptr) {
        misuse.push_back("GetDlgItemTextA on the missing " + describe(dialog, id));
        buffer[0] = '\0';
        return 0;
    }
    const std::size_t length = std::min(control->text.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, control->text.data(), length);
    buffer[length] = '\0';
    return static_cast<std::uint32_t>(length);
}

std::intptr_t FakeDialogApi::listMessage(FakeControl& list, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
    const auto index = static_cast<std::intptr_t>(wParam);
    const auto count = static_cast<std::intptr_t>(list.items.size());
    switch (message) {
    case kLbAddString:
    case kCbAddString:
        // Neither list sorts, so a new item goes at the end.
        list.items.emplace_back(reinterpret_cast<const char*>(lParam));
        if (list.redraws) {
            ++list.itemsAddedWhileRedrawing;
        }
        return count;
    case kLbResetContent:
    case kCbResetContent:
        list.items.clear();
        list.selection = -1;
        return 0;
    case kLbInitStorage:
        list.reservedItems += wParam;
        list.reservedBytes += static_cast<std::size_t>(lParam);
        return static_cast<std::intptr_t>(list.items.size() + list.reservedItems);
    case kLbDeleteString:
        if (index < 0 || index >= count) {
            return kLbErr;
        }
        list.items.erase(list.items.begin() + index);
        if (list.selection == index) {
            list.selection = -1;
        } else if (list.selection > index) {
            --list.selection;
        }
        return count - 1;
    case kLbSetCurSel:
    case kCbSetCurSel:
        if (index < 0 || index >= count) {
            list.selection = -1;
            return kLbErr;
        }
        list.selection = index;
        return index;
    case kLbGetCurSel:
    case kCbGetCurSel:
        return list.selection;
    case kLbGetCount:
        return count;
    default:
        misuse.push_back("message " + std::to_string(message) + " to list " +
                         std::to_string(list.id));
        return 0;
    }
}

std::intptr_t FakeDialogApi::sendDlgItemMessage(WindowHandle dialog, std::int32_t id,
                                                std::uint32_t message, std::uintptr_t wParam,
                                                std::intptr_t lParam) {
    FakeControl* control = find(dialog, id);
    if (control == nullptr) {
        misuse.push_back("SendDlgItemMessageA to the missing " + describe(dialog, id));
        return 0;
    }
    return controlMessage(*control, message, wParam, lParam);
}

std::intptr_t FakeDialogApi::sendMessage(WindowHandle window, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
    FakeControl* control = findByHandle(window);
    if (control == nullptr) {
        misuse.push_back("SendMessageA to a window that is no control");
        return 0;
    }
    return controlMessage(*control, message, wParam, lParam);
}

std::intptr_t FakeDialogApi::controlMessage(FakeControl& control, std::uint32_t message,
                                            std::uintptr_t wParam, std::intptr_t lParam) {
    const WindowHandle dialog = control.dialog;
    const std::int32_t id = control.id;
    const bool listBoxMessage =
        (message >= kLbAddString && message <= kLbGetCount) || message == kLbInitStorage;
    const bool comboBoxMessage = message >= kCbAddString && message <= kCbSetCurSel;
    if ((listBoxMessage && control.kind != ControlKind::listBox) ||
        (comboBoxMessage && control.kind != ControlKind::comboBox)) {
        misuse.push_back("message " + std::to_string(message) + " to the wrong kind of " +
                         describe(dialog, id));
        return 0;
    }
    if (message == kWmSetRedraw) {
        control.redraws = wParam != 0;
        return 0;
    }
    if (message == kEmLimitText && control.kind == ControlKind::edit) {
        control.textLimit = wParam;
        return 0;
    }
    if (isList(control)) {
        return listMessage(control, message, wParam, lParam);
    }
    misuse.push_back("message " + std::to_string(message) + " to " + describe(dialog, id));
    return 0;
}

bool FakeDialogApi::checkDlgButton(WindowHandle dialog, std::int32_t id, std::uint32_t check) {
    FakeControl* control = find(dialog, id);
    if (control == nullptr || !isButtonWithCheck(*control)) {
        misuse.push_back("CheckDlgButton on " + describe(dialog, id));
        return false;
    }
    control->check = check;
    return true;
}

std::uint32_t FakeDialogApi::isDlgButtonChecked(WindowHandle dialog, std::int32_t id) {
    FakeControl* control = find(dialog, id);
    if (control == nullptr || !isButtonWithCheck(*control)) {
        misuse.push_back("IsDlgButtonChecked on " + describe(dialog, id));
        return kBstUnchecked;
    }
    return control->check;
}

WindowHandle FakeDialogApi::getDlgItem(WindowHandle dialog, std::int32_t id) {
    FakeControl* control = find(dialog, id);
    return control; // nullptr for a control the dialog does not have
}

bool FakeDialogApi::getScrollInfo(WindowHandle window, std::int32_t bar, ScrollInfo& info) {
    FakeControl* control = findByHandle(window);
    if (control == nullptr || control->kind != ControlKind::scrollBar || bar != kSbCtl) {
        misuse.push_back("GetScrollInfo on something other than a scroll bar control");
        return false;
    }
    const ScrollInfo& state = control->scroll;
    if ((info.mask & kSifRange) != 0) {
        info.min = state.min;
        info.max = state.max;
    }
    if ((info.mask & kSifPage) != 0) {
        info.page = state.page;
    }
    if ((info.mask & kSifPos) != 0) {
        info.pos = state.pos;
    }
    if ((info.mask & kSifTrackPos) != 0) {
        info.trackPos = state.trackPos;
    }
    return true;
}

std::int32_t FakeDialogApi::setScrollInfo(WindowHandle window, std::int32_t bar,
                                          const ScrollInfo& info, bool) {
    FakeControl* control = findByHandle(window);
    if (control == nullptr || control->kind != ControlKind::scrollBar || bar != kSbCtl) {
        misuse.push_back("SetScrollInfo on something other than a scroll bar control");
        return 0;
    }
    control->scrollSets.push_back(info);
    ScrollInfo& state = control->scroll;
    if ((info.mask & kSifRange) != 0) {
        state.min = info.min;
        state.max = info.max;
    }
    if ((info.mask & kSifPage) != 0) {
        const auto span = static_cast<std::uint32_t>(std::max(0, state.max - state.min + 1));
        state.page = std::min(info.page, span);
    }
    if ((info.mask & kSifPos) != 0) {
        state.pos = info.pos;
    }
    // SIF_TRACKPOS is ignored by SetScrollInfo; the position is kept in range whatever
    // the mask.
    state.pos = clampScrollPosition(state, state.pos);
    return state.pos;
}

bool FakeDialogApi::isChild(WindowHandle parent, WindowHandle window) {
    const FakeControl* control = findByHandle(window);
    return control != nullptr && control->dialog == parent;
}

std::int32_t FakeDialogApi::getDlgCtrlID(WindowHandle window) {
    const FakeControl* control = findByHandle(window);
    return control == nullptr ? 0 : control->id;
}

bool FakeDialogApi::endDialog(WindowHandle dialog, std::intptr_t result) {
    endedDialogs.push_back({dialog, result});
    return true;
}

bool FakeDialogApi::enableWindow(WindowHandle window, bool enable) {
    FakeControl* control = findByHandle(window);
    if (control == nullptr) {
        misuse.push_back("EnableWindow on a window that is no control");
        return false;
    }
    const bool wasDisabled = !control->enabled;
    control->enabled = enable;
    return wasDisabled;
}

} // namespace qora::testing
