#!/usr/bin/env python3
"""Checks qora.rc and the files it names against what the program relies on.

    python3 resources/check_rc.py              # exit 0 when all is well, 1 with a list
    python3 resources/check_rc.py --self-test  # also proves each check catches its fault

Python 3 standard library only; works from any directory and needs no resource compiler.

What is checked:
  * every id resolves through resources/resource_ids.h;
  * menu 109 (items, texts, commands, no Debug item), accelerators 109, string 109 "QORA";
  * About dialog 103, Setting dialog 136 control by control (id, class, text, position,
    styles), and the two Map templates: 115 controls in 139 and 108 in 140, every required
    id exactly once, the group boxes, the row labels (one multi-line static per column, the
    console header first) level with their fields, styles of the edits, lists, check boxes
    and scroll bars, the "1.0" value labels, the Aim group beside the Mouse group (its two
    pairs of radio buttons, each a group of its own, and its two bars with their labels),
    the check boxes and Aim radio buttons telling their focus (BS_NOTIFY), the Layers group
    above all others (its lists, edits, buttons, "Modes..." and radio pair inside it, last in
    the tab order so the first key field has the focus at open), Confirm/Cancel, nothing
    outside the dialog and no two controls on top of each other;
  * the Modes dialog 141: a Toggle and a Turbo check box per action in their groups (the
    Xbox 360 names, which the program replaces for the PS3), the turbo times and the walk
    speed taking digits only, the walk key and macro key fields, the owner-drawn unsorted
    macro list, each group's Use base, OK/Cancel, the first check box first in the tab
    order (not a key field), nothing outside the dialog and no overlaps;
  * every dialog fits on a 1024 x 768 screen;
  * the bitmaps' sizes and depths, the 16 x 16 dot mask and icon pixel for pixel, the icons'
    image sizes.
"""

import os
import re
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
RC_PATH = os.path.join(HERE, "qora.rc")
IDS_PATH = os.path.join(HERE, "resource_ids.h")

LINE_HEIGHT = 8  # DLUs: one line of text in the dialog font

# A dialog is laid out in dialog units (DLUs): a quarter of the font's average character
# width across, an eighth of its height down. Under Wine the dialogs' Dotum gives about
# 6 x 12 pixels in 8 points (the Map dialog, 562 x 279 DLUs, is 849 x 441 pixels with its
# frame and tool-window caption) and 8 x 13 in 10 points. A font a pixel wider and two
# higher than that, with the borders and caption Windows draws, must still fit on a
# 1024 x 768 screen less a taskbar.
SCREEN = (1024, 768 - 40)
BASE_UNITS = {8: (7, 14), 10: (9, 16)}  # (width, height) in pixels, by point size
FRAME = (16, 40)  # pixels: the two borders across; caption and borders down
COMBO_FIELD_HEIGHT = 12  # the visible part of a drop-down list; the rest is its drop height

# ---------------------------------------------------------------------------------------------
# Reading the script


class RcError(Exception):
    pass


def read_defines(text):
    defines = {}
    for m in re.finditer(r"^\s*#define\s+(\w+)\s+\(?\s*(-?\d+)\s*\)?", text, re.M):
        defines[m.group(1)] = int(m.group(2))
    return defines


def strip_comments(text):
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c == '"':
            j = i + 1
            while j < n and not (text[j] == '"' and text[j - 1] != "\\"):
                j += 1
            out.append(text[i:j + 1])
            i = j + 1
        elif text.startswith("//", i):
            while i < n and text[i] != "\n":
                i += 1
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            out.append("\n" * text.count("\n", i, j))
            i = j + 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


TOKEN = re.compile(r'\s*(?:("(?:[^"\\]|\\.)*")|(-?\d+)|([A-Za-z_][\w.]*)|(.))')


def unquote(s):
    body = s[1:-1]
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "t": "\t"}.get(m.group(1), m.group(1)), body)


def tokenize(line):
    tokens = []
    for m in TOKEN.finditer(line):
        string, number, name, other = m.groups()
        if string is not None:
            tokens.append(("str", unquote(string)))
        elif number is not None:
            tokens.append(("num", int(number)))
        elif name is not None:
            tokens.append(("name", name))
        elif other is not None and not other.isspace():
            tokens.append(("punct", other))
    return tokens


def split_args(tokens):
    """Comma-separated arguments, each a list of tokens."""
    args, current = [], []
    for t in tokens:
        if t == ("punct", ","):
            args.append(current)
            current = []
        else:
            current.append(t)
    args.append(current)
    return args


class Script:
    def __init__(self, rc_text, ids_text):
        self.defines = read_defines(ids_text)
        self.files = []  # (type, id, file name)
        self.menus = {}  # id -> list of (popup text, [(item text, id)])
        self.accelerators = {}  # id -> list of (key, id, flags)
        self.strings = {}
        self.dialogs = {}  # id -> Dialog
        self.parse(rc_text)

    def value(self, toks, line_no):
        toks = [t for t in toks if t not in (("punct", "("), ("punct", ")"))]
        if ("punct", "+") in toks:  # an id as a sum, "IDC_MODES_TOGGLE_FIRST + 3"
            cut = toks.index(("punct", "+"))
            return self.value(toks[:cut], line_no) + self.value(toks[cut + 1:], line_no)
        if len(toks) == 2 and toks[0] == ("punct", "-") and toks[1][0] == "num":
            return -toks[1][1]
        if len(toks) != 1:
            raise RcError("line %d: cannot read a number from %r" % (line_no, toks))
        kind, v = toks[0]
        if kind == "num":
            return v
        if kind == "name" and v in self.defines:
            return self.defines[v]
        raise RcError("line %d: %r is not defined in resource_ids.h" % (line_no, v))

    def parse(self, text):
        lines = [(i + 1, tokenize(l)) for i, l in enumerate(strip_comments(text).split("\n"))]
        lines = [(n, t) for n, t in lines if t and t[0] != ("punct", "#")]
        pos = 0
        while pos < len(lines):
            n, toks = lines[pos]
            pos += 1
            if toks[0] == ("name", "LANGUAGE"):
                continue
            if toks[0] == ("name", "STRINGTABLE"):
                pos = self.parse_block(lines, pos, self.parse_string)
                continue
            if len(toks) < 2 or toks[1][0] != "name":
                raise RcError("line %d: unexpected statement" % n)
            kind = toks[1][1]
            rid = self.value([toks[0]], n)
            if kind in ("ICON", "BITMAP"):
                self.files.append((kind, rid, toks[2][1]))
            elif kind == "MENU":
                menu = []
                self.menus[rid] = menu
                pos = self.parse_menu(lines, pos, menu)
            elif kind == "ACCELERATORS":
                entries = []
                self.accelerators[rid] = entries
                pos = self.parse_block(lines, pos, lambda n, t: entries.append(self.accel(n, t)))
            elif kind == "DIALOGEX":
                dialog = Dialog(rid, [self.value(a, n) for a in split_args(toks[2:])])
                self.dialogs[rid] = dialog
                pos = self.parse_dialog(lines, pos, dialog)
            else:
                raise RcError("line %d: unknown resource kind %s" % (n, kind))

    def parse_block(self, lines, pos, handle):
        if lines[pos][1] != [("name", "BEGIN")]:
            raise RcError("line %d: BEGIN expected" % lines[pos][0])
        pos += 1
        while lines[pos][1] != [("name", "END")]:
            handle(*lines[pos])
            pos += 1
        return pos + 1

    def parse_string(self, n, toks):
        self.strings[self.value([toks[0]], n)] = toks[1][1]

    def accel(self, n, toks):
        args = split_args(toks)
        key = args[0][0][1]
        return (key, self.value(args[1], n), tuple(a[0][1] for a in args[2:]))

    def parse_menu(self, lines, pos, menu):
        def item(n, toks):
            if toks[0] == ("name", "POPUP"):
                menu.append((toks[1][1], []))
            elif toks[0] == ("name", "MENUITEM"):
                args = split_args(toks[1:])
                menu[-1][1].append((args[0][0][1], self.value(args[1], n)))
            elif toks in ([("name", "BEGIN")], [("name", "END")]):
                pass
            else:
                raise RcError("line %d: unexpected menu line" % n)

        if lines[pos][1] != [("name", "BEGIN")]:
            raise RcError("line %d: BEGIN expected" % lines[pos][0])
        depth = 0
        while True:
            n, toks = lines[pos]
            pos += 1
            if toks == [("name", "BEGIN")]:
                depth += 1
            elif toks == [("name", "END")]:
                depth -= 1
                if depth == 0:
                    return pos
            else:
                item(n, toks)

    def parse_dialog(self, lines, pos, dialog):
        while lines[pos][1] != [("name", "BEGIN")]:
            n, toks = lines[pos]
            key = toks[0][1]
            if key in ("STYLE", "EXSTYLE"):
                names = {t[1] for t in toks[1:] if t[0] == "name"}
                (dialog.style if key == "STYLE" else dialog.exstyle).update(names)
            elif key == "CAPTION":
                dialog.caption = toks[1][1]
            elif key == "FONT":
                args = split_args(toks[1:])
                dialog.font = (args[0][0][1], args[1][0][1])
            else:
                raise RcError("line %d: unknown dialog attribute %s" % (n, key))
            pos += 1
        return self.parse_block(lines, pos, lambda n, t: dialog.controls.append(self.control(n, t)))

    def control(self, n, toks):
        statement = toks[0][1]
        args = split_args(toks[1:])
        if statement == "CONTROL":
            text = args[0][0][1] if args[0][0][0] == "str" else self.value(args[0], n)
            styles = {t[1] for t in args[3] if t[0] == "name"}
            x, y, w, h = (self.value(a, n) for a in args[4:8])
            return Control(n, text, self.value(args[1], n), args[2][0][1].lower(), styles,
                           x, y, w, h)
        if statement == "ICON":
            x, y, w, h = (self.value(a, n) for a in args[2:6])
            return Control(n, self.value(args[0], n), self.value(args[1], n), "static",
                           {"SS_ICON"}, x, y, w, h)
        raise RcError("line %d: use CONTROL or ICON statements in dialogs" % n)


class Dialog:
    def __init__(self, rid, rect):
        self.rid = rid
        self.rect = rect
        self.style = set()
        self.exstyle = set()
        self.caption = None
        self.font = None
        self.controls = []

    def by_id(self, cid):
        return [c for c in self.controls if c.cid == cid]


def within(box, c):
    """Whether control c lies inside group box (any place when there is no box)."""
    if box is None:
        return True
    x0, y0, x1, y1 = c.visible_rect()
    return box.x < x0 and x1 < box.x + box.w and box.y < y0 and y1 < box.y + box.h


class Control:
    def __init__(self, line, text, cid, cls, styles, x, y, w, h):
        self.line, self.text, self.cid, self.cls, self.styles = line, text, cid, cls, styles
        self.x, self.y, self.w, self.h = x, y, w, h

    def visible_rect(self):
        h = COMBO_FIELD_HEIGHT if self.cls == "combobox" else self.h
        return (self.x, self.y, self.x + self.w, self.y + h)

    def __repr__(self):
        return "line %d (%r, id %d)" % (self.line, self.text, self.cid)


# ---------------------------------------------------------------------------------------------
# What the program expects

MENU_109 = [
    ("File", [("&Start           F12", 32776), ("E&xit", 105)]),
    ("Tool", [("&Setting ...", 32779)]),
    ("Help", [("&About ...", 104)]),
]
ACCELERATORS_109 = {("VK_F1", 104, ("VIRTKEY",)), ("/", 104, ("ASCII", "ALT")),
                    ("?", 104, ("ASCII", "ALT"))}
DIALOG_FRAME = {"DS_MODALFRAME", "DS_CENTER", "WS_POPUP", "WS_CAPTION", "WS_SYSMENU"}
STATIC = -1

# id, class, text, (x, y, w, h), required styles, forbidden styles
SETTING_136 = [
    (STATIC, "static", "Configuration List", (7, 7, 65, 10), set(), set()),
    (1040, "edit", "", (7, 22, 98, 12), {"ES_AUTOHSCROLL", "WS_BORDER"}, {"ES_READONLY"}),
    (1037, "listbox", "", (7, 41, 98, 61),
     {"LBS_NOTIFY", "WS_VSCROLL", "WS_BORDER", "LBS_NOINTEGRALHEIGHT"},
     {"LBS_SORT", "LBS_STANDARD"}),
    (1038, "button", "New", (110, 21, 34, 11), set(), {"BS_DEFPUSHBUTTON"}),
    (1039, "button", "Del", (110, 44, 34, 11), set(), {"BS_DEFPUSHBUTTON"}),
    (32775, "button", "Map", (110, 67, 34, 11), {"BS_DEFPUSHBUTTON"}, set()),
    (1, "button", "Confirm", (110, 90, 34, 11), {"BS_DEFPUSHBUTTON"}, set()),
]

ROWS4 = ["UP", "DOWN", "LEFT", "RIGHT"]
TOP_GROUPS = [
    ("Directional Pad", list(zip(ROWS4, range(1012, 1016)))),
    ("Left Analog Stick", list(zip(ROWS4, range(1016, 1020)))),
    ("Right Analog Stick", list(zip(ROWS4, range(1020, 1024)))),
]
TILT_GROUP = ("TILT", list(zip(ROWS4, range(1037, 1041))))
# Button rows: (Xbox 360 label, PS3 label, primary id, secondary id or None)
BUTTON_LEFT = [("Y", "A", 1024, 1280), ("X", "[]", 1025, 1281), ("B", "O", 1026, 1282),
               ("A", "X", 1027, 1283), ("LT", "L1", 1028, 1284), ("LB", "L2", 1029, 1285),
               ("LC", "L3", 1032, 1288)]
BUTTON_RIGHT = [("RT", "R1", 1030, 1286), ("RB", "R2", 1031, 1287), ("RC", "R3", 1033, 1289),
                ("BACK", "SELECT", 1034, 1290), ("START", "START", 1035, 1291),
                ("GUIDE", "PS", 1036, None)]
MOUSE_LEFT = [("Left", 1042), ("Middle", 1044), ("Right", 1043), ("Roll Up", 1049),
              ("Roll Down", 1050), ("Direction", 1051)]
MOUSE_RIGHT = [("Forward", 1046), ("Backward", 1045)]
EDIT_STYLES = ({"ES_AUTOHSCROLL", "WS_BORDER", "WS_TABSTOP"}, {"ES_READONLY"})
LIST_STYLES = ({"CBS_DROPDOWNLIST", "WS_VSCROLL", "WS_TABSTOP"}, {"CBS_SORT"})
CHECK_STYLES = ({"BS_AUTOCHECKBOX", "BS_LEFTTEXT", "WS_TABSTOP"}, set())
MIN_DROP_HEIGHT = 100  # about ten items of the 27 at a time, the rest by scrolling
# The Aim group: (id, text) of the radio button pairs; label, value label and bar of the
# dead zone and the exponent, their value labels as the template reads before the program
# fills them in.
AIM_RADIOS = [((1070, "Classic"), (1071, "Precise")), ((1076, "Circle"), (1077, "Square"))]
AIM_BARS = [(1072, "Dead zone", 1073, "0.0 %", 1074), (1078, "Exponent", 1079, "1.00", 1080)]
AIM_SHAPE_LABEL = (1075, "Shape")
# Use base learns which field the player went to from their focus notifications.
NOTIFYING_BUTTONS = [1052, 1053, 1070, 1071, 1076, 1077]
# The Layers group: its lists, edits (the delays take digits only) and push buttons.
LAYER_LISTS = [1090, 1094]
LAYER_EDITS = [(1091, set()), (1095, set()), (1098, {"ES_NUMBER"}), (1099, {"ES_NUMBER"})]
LAYER_BUTTONS = [(1092, "New layer"), (1093, "Delete layer"), (1101, "Modes..."),
                 (1100, "Use base")]
LAYER_RADIOS = ((1096, "Held"), (1097, "Toggled"))
FIRST_KEY_FIELD = 1012
# The Modes dialog: (group title, first check box id, its Use base), the check boxes named
# as the Xbox 360 names each ActionCode; its edits (group, id, required styles); the macro
# group's buttons.
ACTION_NAMES_360 = ["DU", "DD", "DL", "DR", "LAU", "LAD", "LAL", "LAR", "RAU", "RAD", "RAL",
                    "RAR", "Y", "X", "B", "A", "LT", "LB", "RT", "RB", "LC", "RC", "BACK",
                    "START", "GUIDE", "TU", "TD", "TL", "TR"]
MODES_ACTION_GROUPS = [("Toggle: each press turns the action on, the next off", 1120, 1111),
                       ("Turbo: while held, the action repeats", 1150, 1114)]
MODES_WALK_GROUP = "Walk: while its key is held, sticks moved by keys go slower"
MODES_MACROS_GROUP = "Macros: a key plays timed steps"
MODES_EDITS = [(MODES_ACTION_GROUPS[1][0], 1112, {"ES_NUMBER"}),
               (MODES_ACTION_GROUPS[1][0], 1113, {"ES_NUMBER"}),
               (MODES_WALK_GROUP, 1115, set()), (MODES_WALK_GROUP, 1116, {"ES_NUMBER"}),
               (MODES_MACROS_GROUP, 1181, set()), (MODES_MACROS_GROUP, 1182, set())]
MODES_MACRO_BUTTONS = [(1183, "Set macro"), (1184, "Remove macro"), (1185, "Use base")]


class Checker:
    def __init__(self, script):
        self.s = script
        self.problems = []

    def fail(self, message):
        self.problems.append(message)

    def expect(self, cond, message):
        if not cond:
            self.fail(message)
        return cond

    # -- menu, accelerators, strings -------------------------------------------------------

    def check_menu(self):
        menu = self.s.menus.get(109)
        if not self.expect(menu is not None, "menu 109 is missing"):
            return
        self.expect(menu == MENU_109, "menu 109 is %r, expected %r" % (menu, MENU_109))
        self.expect(not any(i == 32774 for _p, items in menu for _t, i in items),
                    "the Debug item is appended at run time and must not be in menu 109")
        acc = self.s.accelerators.get(109)
        self.expect(acc is not None and set(acc) == ACCELERATORS_109 and len(acc) == 3,
                    "accelerators 109 are %r, expected %r" % (acc, ACCELERATORS_109))
        self.expect(self.s.strings.get(109) == "QORA", "string 109 must read \"QORA\"")

    # -- dialogs ---------------------------------------------------------------------------

    def dialog(self, rid, caption, size, font):
        d = self.s.dialogs.get(rid)
        if not self.expect(d is not None, "dialog %d is missing" % rid):
            return None
        self.expect(d.caption == caption, "dialog %d: caption %r, expected %r"
                    % (rid, d.caption, caption))
        if size is not None:
            self.expect(tuple(d.rect[2:]) == size, "dialog %d: size %r, expected %r"
                        % (rid, tuple(d.rect[2:]), size))
        self.expect(d.font == font, "dialog %d: font %r, expected %r" % (rid, d.font, font))
        missing = DIALOG_FRAME - d.style
        self.expect(not missing, "dialog %d: style lacks %s" % (rid, sorted(missing)))
        if d.font is not None:
            self.check_fits_screen(d)
        return d

    def styles(self, rid, c, required, forbidden):
        missing = required - c.styles
        self.expect(not missing, "dialog %d: %r lacks %s" % (rid, c, sorted(missing)))
        extra = forbidden & c.styles
        self.expect(not extra, "dialog %d: %r must not have %s" % (rid, c, sorted(extra)))

    def check_about(self):
        d = self.dialog(103, "About", None, (8, "Dotum"))
        if d is None:
            return
        title = d.by_id(1063)
        self.expect(len(title) == 1 and title[0].cls == "static",
                    "dialog 103 needs exactly one static 1063 for the title")
        ok = d.by_id(1)
        self.expect(len(ok) == 1 and ok[0].cls == "button" and ok[0].text == "OK",
                    "dialog 103 needs one \"OK\" button with id 1")
        self.expect(any(c.text == 107 and "SS_ICON" in c.styles for c in d.controls),
                    "dialog 103 should show icon 107")
        self.check_bounds(d)

    def check_setting(self):
        d = self.dialog(136, "Setting", (151, 113), (10, "Dotum"))
        if d is None:
            return
        self.expect(len(d.controls) == len(SETTING_136), "dialog 136 has %d controls, expected %d"
                    % (len(d.controls), len(SETTING_136)))
        for cid, cls, text, rect, required, forbidden in SETTING_136:
            found = [c for c in d.controls if c.cid == cid and c.text == text]
            if not self.expect(len(found) == 1, "dialog 136: control %d %r must appear once"
                               % (cid, text)):
                continue
            c = found[0]
            self.expect(c.cls == cls, "dialog 136: %r is a %s, expected %s" % (c, c.cls, cls))
            self.expect((c.x, c.y, c.w, c.h) == rect, "dialog 136: %r at %r, expected %r"
                        % (c, (c.x, c.y, c.w, c.h), rect))
            self.styles(136, c, required, forbidden)

    def check_map(self, rid, ps3):
        d = self.dialog(rid, "Map", (562, 334), (8, "Dotum"))
        if d is None:
            return
        header = "PS3" if ps3 else "360"
        self.expect("WS_EX_TOOLWINDOW" in d.exstyle, "dialog %d: needs WS_EX_TOOLWINDOW" % rid)
        expected_count = 115 if ps3 else 108
        self.expect(len(d.controls) == expected_count, "dialog %d has %d controls, expected %d"
                    % (rid, len(d.controls), expected_count))

        required = list(range(1012, 1037)) + list(range(1280, 1292)) + \
            [1042, 1043, 1044, 1045, 1046, 1049, 1050, 1051, 1052, 1053, 1055, 1056, 1057, 1058,
             1059, 1, 2] + list(range(1070, 1081)) + list(range(1090, 1102))
        tilt = list(range(1037, 1041))
        for cid in required + (tilt if ps3 else []):
            n = len(d.by_id(cid))
            self.expect(n == 1, "dialog %d: id %d appears %d times, expected once" % (rid, cid, n))
        if not ps3:
            for cid in tilt:
                self.expect(not d.by_id(cid), "dialog %d: the Xbox 360 template has no tilt "
                            "field %d" % (rid, cid))
        ids = [c.cid for c in d.controls if c.cid != STATIC]
        self.expect(len(ids) == len(set(ids)), "dialog %d: a control id is used twice" % rid)

        groups = TOP_GROUPS + ([TILT_GROUP] if ps3 else [])
        for title, rows in groups:
            box = self.group_box(d, title)
            self.column(d, box, header, "keyboard", [(label, [cid]) for label, cid in rows])
        button = self.group_box(d, "Button")
        for rows in (BUTTON_LEFT, BUTTON_RIGHT):
            self.column(d, button, header, "keyboard",
                        [(ps if ps3 else x360, [p] + ([s] if s else [])) for x360, ps, p, s in rows])
        mouse = self.group_box(d, "Mouse")
        for rows in (MOUSE_LEFT, MOUSE_RIGHT):
            self.column(d, mouse, header, "mouse", [(label, [cid]) for label, cid in rows])
        self.zoom_and_checks(d, mouse)
        self.aim_group(d, mouse)
        self.layer_group(d)
        self.count_kinds(d, ps3)
        self.closing_buttons(d)
        self.check_bounds(d)
        self.check_overlaps(d)

    def check_modes(self):
        d = self.dialog(141, "Binding modes", None, (8, "Dotum"))
        if d is None:
            return
        self.expect("WS_EX_TOOLWINDOW" in d.exstyle, "dialog 141: needs WS_EX_TOOLWINDOW")
        required = [1110, 1111, 1112, 1113, 1114, 1115, 1116, 1117, 1, 2] + \
            list(range(1120, 1149)) + list(range(1150, 1179)) + list(range(1180, 1186))
        for cid in required:
            n = len(d.by_id(cid))
            self.expect(n == 1, "dialog 141: id %d appears %d times, expected once" % (cid, n))
        ids = [c.cid for c in d.controls if c.cid != STATIC]
        self.expect(sorted(ids) == sorted(required), "dialog 141: controls %s are not the "
                    "Modes dialog's" % sorted(set(ids) ^ set(required)))
        boxes = {}
        for title, first, use_base in MODES_ACTION_GROUPS:
            box = boxes[title] = self.group_box(d, title)
            for k, name in enumerate(ACTION_NAMES_360):
                for c in d.by_id(first + k):
                    self.expect(c.cls == "button" and c.text == name, "dialog 141: %r must be "
                                "the check box %r" % (c, name))
                    self.styles(141, c, {"BS_AUTOCHECKBOX", "WS_TABSTOP"}, set())
                    self.inside(d, box, c)
            self.modes_button(d, box, use_base, "Use base")
        for title, cid, required_styles in MODES_EDITS:
            for c in d.by_id(cid):
                self.expect(c.cls == "edit", "dialog 141: %r must be an edit" % c)
                self.styles(141, c, *EDIT_STYLES)
                self.styles(141, c, required_styles, set())
                self.inside(d, boxes.get(title) or self.group_box(d, title), c)
        macros = self.group_box(d, MODES_MACROS_GROUP)
        for c in d.by_id(1180):
            self.expect(c.cls == "listbox", "dialog 141: %r must be a list box" % c)
            self.styles(141, c, {"LBS_NOTIFY", "LBS_OWNERDRAWFIXED", "LBS_HASSTRINGS",
                                 "WS_VSCROLL", "WS_BORDER", "WS_TABSTOP"}, {"LBS_SORT"})
            self.inside(d, macros, c)
        for cid, text in MODES_MACRO_BUTTONS:
            self.modes_button(d, macros, cid, text)
        for c in d.by_id(1110):
            groups = [g for g in d.controls if "BS_GROUPBOX" in g.styles]
            self.expect(c.cls == "static" and all(c.y + c.h <= g.y for g in groups),
                        "dialog 141: %r must be a static above every group" % c)
        stops = [c for c in d.controls if "WS_TABSTOP" in c.styles]
        self.expect(bool(stops) and stops[0].cid == 1120, "dialog 141: the first Toggle box "
                    "must be the first tab stop, so no key field has the focus at open")
        self.closing_buttons(d, "OK")
        self.check_bounds(d)
        self.check_overlaps(d)

    def modes_button(self, d, box, cid, text):
        for c in d.by_id(cid):
            self.expect(c.cls == "button" and c.text == text, "dialog 141: %r must be the "
                        "button %r" % (c, text))
            self.styles(141, c, {"BS_PUSHBUTTON", "WS_TABSTOP"}, {"BS_DEFPUSHBUTTON"})
            self.inside(d, box, c)

    def group_box(self, d, title):
        boxes = [c for c in d.controls if c.cls == "button" and "BS_GROUPBOX" in c.styles
                 and c.text == title]
        self.expect(len(boxes) == 1, "dialog %d: group box %r must appear once" % (d.rid, title))
        return boxes[0] if boxes else None

    def inside(self, d, box, c):
        self.expect(within(box, c), "dialog %d: %r lies outside group %r"
                    % (d.rid, c, box.text if box else None))

    def column(self, d, box, header, field_header, rows):
        """One column of a group: a multi-line static with the console header and the row
        labels, each row label level with its fields, and a header static over the fields."""
        want = [header] + [label for label, _ids in rows]
        statics = [c for c in d.controls if c.cls == "static" and isinstance(c.text, str)
                   and [l for l in c.text.split("\n") if l] == want and within(box, c)]
        if not self.expect(len(statics) == 1, "dialog %d: no single row-label static %r in "
                           "group %r" % (d.rid, "/".join(want), box.text if box else None)):
            return
        labels = statics[0]
        self.inside(d, box, labels)
        # a wrapped label would push every later line off its field
        self.expect("SS_LEFTNOWORDWRAP" in labels.styles, "dialog %d: %r must not wrap its "
                    "lines (SS_LEFTNOWORDWRAP)" % (d.rid, labels))
        lines = labels.text.split("\n")
        self.expect(labels.h >= LINE_HEIGHT * len(lines), "dialog %d: %r is too short for its "
                    "%d lines" % (d.rid, labels, len(lines)))
        line_of = {}
        for i, text in enumerate(lines):
            if text:
                line_of.setdefault(text, i)
        first_field = None
        for label, ids in rows:
            top = labels.y + LINE_HEIGHT * line_of[label]
            previous_right = labels.x + labels.w
            for cid in ids:
                found = d.by_id(cid)
                if not found:
                    continue
                f = found[0]
                first_field = first_field or f
                fy0, fy1 = f.visible_rect()[1], f.visible_rect()[3]
                self.expect(fy0 + fy1 == 2 * top + LINE_HEIGHT, "dialog %d: field %d is not "
                            "level with its label %r" % (d.rid, cid, label))
                self.expect(f.x >= previous_right, "dialog %d: field %d must stand right of "
                            "%r" % (d.rid, cid, label))
                previous_right = f.x + f.w
                self.inside(d, box, f)
        heads = [c for c in d.controls if c.cls == "static" and c.text == field_header
                 and first_field is not None and c.x == first_field.x]
        self.expect(len(heads) == 1 and heads[0].y == labels.y,
                    "dialog %d: the %r header over the fields of %r must be level with %r"
                    % (d.rid, field_header, box.text if box else None, header))
        for h in heads:
            self.inside(d, box, h)

    def zoom_and_checks(self, d, mouse):
        for cid, text in ((1052, "Invert X"), (1053, "Invert Y")):
            for c in d.by_id(cid):
                self.expect(c.cls == "button" and c.text == text, "dialog %d: %r must be the "
                            "check box %r" % (d.rid, c, text))
                self.styles(d.rid, c, *CHECK_STYLES)
                self.inside(d, mouse, c)
        title = [c for c in d.controls if c.cls == "static" and c.text == "Zoom Scale"]
        self.expect(len(title) == 1 and title[0].cid == 1059, "dialog %d: one \"Zoom Scale\" "
                    "static 1059 expected (precise aim renames it)" % d.rid)
        xy = [c for c in d.controls if c.cls == "static" and isinstance(c.text, str)
              and [l for l in c.text.split("\n") if l] == ["X", "Y"]]
        if not self.expect(len(xy) == 1, "dialog %d: one \"X\"/\"Y\" row-label static expected"
                           % d.rid):
            return
        lines = xy[0].text.split("\n")
        for axis, bar_id, value_id in (("X", 1055, 1056), ("Y", 1057, 1058)):
            top = xy[0].y + LINE_HEIGHT * lines.index(axis)
            for bar in d.by_id(bar_id):
                self.expect(bar.cls == "scrollbar" and "SBS_HORZ" in bar.styles,
                            "dialog %d: %r must be a horizontal scroll bar" % (d.rid, bar))
                self.expect(bar.y * 2 + bar.h == 2 * top + LINE_HEIGHT,
                            "dialog %d: scroll bar %d is not level with %r" % (d.rid, bar_id, axis))
                self.inside(d, mouse, bar)
            for value in d.by_id(value_id):
                self.expect(value.cls == "static" and value.text == "1.0",
                            "dialog %d: %r must be a static reading \"1.0\"" % (d.rid, value))
                self.expect(value.y == top, "dialog %d: value label %d is not level with %r"
                            % (d.rid, value_id, axis))
                self.inside(d, mouse, value)

    def aim_group(self, d, mouse):
        box = self.group_box(d, "Aim")
        if box is None:
            return
        if mouse is not None:
            self.expect(box.x >= mouse.x + mouse.w and box.y == mouse.y and box.h == mouse.h,
                        "dialog %d: the Aim group belongs beside the Mouse group, on its level"
                        % d.rid)
        for pair in AIM_RADIOS:
            self.radio_pair(d, box, pair)
        for label_id, label, value_id, value, bar_id in AIM_BARS:
            self.aim_bar(d, box, (label_id, label), (value_id, value), bar_id)
        self.aim_static(d, box, AIM_SHAPE_LABEL, set())

    def aim_static(self, d, box, id_text, required):
        cid, text = id_text
        found = d.by_id(cid)
        if not found:
            return None
        c = found[0]
        self.expect(c.cls == "static" and c.text == text, "dialog %d: %r must be a static "
                    "reading %r" % (d.rid, c, text))
        self.styles(d.rid, c, required, set())
        self.inside(d, box, c)
        return c

    def radio_pair(self, d, box, pair):
        """Two automatic radio buttons on one row, a group of their own: the first starts
        it and is the tab stop, the control after the second starts the next group."""
        buttons = []
        for cid, text in pair:
            for c in d.by_id(cid):
                self.expect(c.cls == "button" and c.text == text, "dialog %d: %r must be the "
                            "radio button %r" % (d.rid, c, text))
                self.inside(d, box, c)
                buttons.append(c)
        if len(buttons) != 2:
            return
        first, second = buttons
        self.styles(d.rid, first, {"BS_AUTORADIOBUTTON", "WS_GROUP", "WS_TABSTOP"}, set())
        self.styles(d.rid, second, {"BS_AUTORADIOBUTTON"}, {"WS_GROUP"})
        self.expect(first.y == second.y, "dialog %d: %r and %r belong on one row"
                    % (d.rid, first, second))
        after = d.controls.index(second) + 1
        self.expect(d.controls.index(first) + 1 == after - 1 and after < len(d.controls)
                    and "WS_GROUP" in d.controls[after].styles,
                    "dialog %d: %r and %r must follow each other and be followed by a control "
                    "with WS_GROUP, or the arrow keys leave the pair" % (d.rid, first, second))

    def aim_bar(self, d, box, label, value, bar_id):
        """A label and its value label on one line, the bar below them."""
        name = self.aim_static(d, box, label, set())
        shown = self.aim_static(d, box, value, {"SS_RIGHT"})
        if name is not None and shown is not None:
            self.expect(name.y == shown.y and name.x + name.w <= shown.x, "dialog %d: %r "
                        "belongs right of %r, on its line" % (d.rid, shown, name))
        for bar in d.by_id(bar_id):
            self.expect(bar.cls == "scrollbar", "dialog %d: %r must be a scroll bar"
                        % (d.rid, bar))
            self.styles(d.rid, bar, {"SBS_HORZ", "WS_TABSTOP"}, set())
            self.inside(d, box, bar)
            if name is not None:
                self.expect(bar.y >= name.y + LINE_HEIGHT, "dialog %d: %r belongs below %r"
                            % (d.rid, bar, name))

    def layer_group(self, d):
        box = self.group_box(d, "Layers")
        if box is None:
            return
        others = [c for c in d.controls if "BS_GROUPBOX" in c.styles and c is not box]
        self.expect(all(box.y + box.h <= c.y and box.x <= c.x and c.x + c.w <= box.x + box.w
                        for c in others), "dialog %d: the Layers group belongs above all "
                    "others, across their width" % d.rid)
        for cid in LAYER_LISTS:
            for c in d.by_id(cid):
                self.expect(c.cls == "combobox", "dialog %d: %r must be a drop-down list"
                            % (d.rid, c))
                self.inside(d, box, c)
        for cid, required in LAYER_EDITS:
            for c in d.by_id(cid):
                self.expect(c.cls == "edit", "dialog %d: %r must be an edit" % (d.rid, c))
                self.styles(d.rid, c, required, set())
                self.inside(d, box, c)
        for cid, text in LAYER_BUTTONS:
            for c in d.by_id(cid):
                self.expect(c.cls == "button" and c.text == text, "dialog %d: %r must be the "
                            "button %r" % (d.rid, c, text))
                self.styles(d.rid, c, {"BS_PUSHBUTTON", "WS_TABSTOP"}, {"BS_DEFPUSHBUTTON"})
                self.inside(d, box, c)
        self.radio_pair(d, box, LAYER_RADIOS)
        for cid in NOTIFYING_BUTTONS:
            for c in d.by_id(cid):
                self.styles(d.rid, c, {"BS_NOTIFY"}, set())
        stops = [c for c in d.controls if "WS_TABSTOP" in c.styles]
        self.expect(bool(stops) and stops[0].cid == FIRST_KEY_FIELD, "dialog %d: the first key "
                    "field must be the first tab stop, so it has the focus at open" % d.rid)

    def count_kinds(self, d, ps3):
        edits = [c for c in d.controls if c.cls == "edit"]
        lists = [c for c in d.controls if c.cls == "combobox"]
        self.expect(len(edits) == (29 if ps3 else 25) + 12 + len(LAYER_EDITS),
                    "dialog %d: %d edits" % (d.rid, len(edits)))
        self.expect(len(lists) == 8 + len(LAYER_LISTS), "dialog %d: %d drop-down lists, "
                    "expected %d" % (d.rid, len(lists), 8 + len(LAYER_LISTS)))
        for c in edits:
            self.styles(d.rid, c, *EDIT_STYLES)
        for c in lists:
            self.styles(d.rid, c, *LIST_STYLES)
            self.expect(c.h >= MIN_DROP_HEIGHT, "dialog %d: %r drops only %d DLUs"
                        % (d.rid, c, c.h))
        groups = [c for c in d.controls if "BS_GROUPBOX" in c.styles]
        self.expect(len(groups) == (8 if ps3 else 7), "dialog %d: %d group boxes"
                    % (d.rid, len(groups)))

    def closing_buttons(self, d, confirm="Confirm"):
        for cid, text in ((1, confirm), (2, "Cancel")):
            for c in d.by_id(cid):
                self.expect(c.cls == "button" and c.text == text, "dialog %d: %r must be the "
                            "button %r" % (d.rid, c, text))
                self.styles(d.rid, c, {"BS_PUSHBUTTON"}, {"BS_DEFPUSHBUTTON"})
                w, h = d.rect[2], d.rect[3]
                self.expect(c.x + c.w > w * 0.7 and c.y + c.h > h - 30,
                            "dialog %d: %r belongs at the bottom right" % (d.rid, c))

    def check_fits_screen(self, d):
        points, _face = d.font
        base = BASE_UNITS.get(points)
        if not self.expect(base is not None, "dialog %d: no base units known for a %d-point "
                           "font" % (d.rid, points)):
            return
        width = d.rect[2] * base[0] / 4 + FRAME[0]
        height = d.rect[3] * base[1] / 8 + FRAME[1]
        self.expect(width <= SCREEN[0] and height <= SCREEN[1], "dialog %d measures up to "
                    "%d x %d pixels and does not fit a %d x %d screen" % (d.rid, width, height,
                                                                        SCREEN[0], SCREEN[1]))

    def check_bounds(self, d):
        w, h = d.rect[2], d.rect[3]
        for c in d.controls:
            x0, y0, x1, y1 = c.visible_rect()
            self.expect(x0 >= 0 and y0 >= 0 and x1 <= w and y1 <= h,
                        "dialog %d: %r reaches outside the dialog" % (d.rid, c))

    def check_overlaps(self, d):
        plain = [c for c in d.controls if "BS_GROUPBOX" not in c.styles]
        for i, a in enumerate(plain):
            for b in plain[i + 1:]:
                ax0, ay0, ax1, ay1 = a.visible_rect()
                bx0, by0, bx1, by1 = b.visible_rect()
                self.expect(not (ax0 < bx1 and bx0 < ax1 and ay0 < by1 and by0 < ay1),
                            "dialog %d: %r and %r overlap" % (d.rid, a, b))
        boxes = [c for c in d.controls if "BS_GROUPBOX" in c.styles]
        for i, a in enumerate(boxes):
            for b in boxes[i + 1:]:
                self.expect(not (a.x < b.x + b.w and b.x < a.x + a.w and a.y < b.y + b.h
                                 and b.y < a.y + a.h),
                            "dialog %d: group boxes %r and %r overlap" % (d.rid, a.text, b.text))

    # -- pictures and icons ----------------------------------------------------------------

    def check_files(self, base_dir):
        wanted = {("BITMAP", 132): (426, 356), ("BITMAP", 137): (425, 360),
                  ("BITMAP", 140): (425, 360), ("BITMAP", 133): (16, 16),
                  ("BITMAP", 134): (16, 16), ("ICON", 107): None, ("ICON", 108): None}
        named = {(kind, rid): name for kind, rid, name in self.s.files}
        self.expect(set(named) == set(wanted), "resources named: %s, expected %s"
                    % (sorted(named), sorted(wanted)))
        for key, name in named.items():
            path = os.path.join(base_dir, name)
            if not self.expect(os.path.isfile(path), "%s %d: %s is missing" % (key + (name,))):
                continue
            with open(path, "rb") as f:
                data = f.read()
            if key[0] == "BITMAP":
                self.check_bitmap(key[1], data, wanted[key])
            else:
                sizes = icon_sizes(data)
                want = [32, 16] if key[1] == 107 else [16]
                self.expect(sorted(sizes) == sorted(want), "icon %d holds sizes %r, expected %r"
                            % (key[1], sizes, want))

    def check_bitmap(self, rid, data, size):
        try:
            width, height, bpp, compression, palette, pixels = read_bmp(data)
        except (struct.error, ValueError) as e:
            self.fail("bitmap %d: unreadable (%s)" % (rid, e))
            return
        self.expect((width, height) == size, "bitmap %d is %dx%d, expected %dx%d"
                    % (rid, width, height, size[0], size[1]))
        self.expect(compression == 0, "bitmap %d must be uncompressed" % rid)
        if rid in (133, 134):
            self.expect(bpp == 4 and palette == VGA16, "bitmap %d must be 4 bits per pixel with "
                        "the standard 16-colour palette" % rid)
            inside, outside = ((0, 0, 0), (255, 255, 255)) if rid == 133 else \
                ((255, 0, 0), (0, 0, 0))
            wrong = [(x, y) for y in range(16) for x in range(16)
                     if palette[pixels[y][x]] != (inside if in_disc(x, y) else outside)]
            self.expect(not wrong, "bitmap %d: pixels %s break the disc" % (rid, wrong[:6]))
        else:
            self.expect(bpp in (8, 24), "bitmap %d: %d bits per pixel" % (rid, bpp))


# The overlay dot: rows of the 16 x 16 cell and the columns inside its disc.
DISC = {1: (5, 10), 2: (4, 11), 3: (3, 12), 4: (2, 13), 5: (1, 14), 6: (1, 14), 7: (1, 14),
        8: (1, 14), 9: (1, 14), 10: (1, 14), 11: (2, 13), 12: (3, 12), 13: (4, 11),
        14: (5, 10)}
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def in_disc(x, y):
    span = DISC.get(y)
    return span is not None and span[0] <= x <= span[1]


def read_bmp(data):
    if data[:2] != b"BM":
        raise ValueError("no BM signature")
    offset = struct.unpack_from("<I", data, 10)[0]
    (_hs, width, height, _planes, bpp, compression, _is, _xr, _yr, used,
     _imp) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    palette = []
    if bpp <= 8:
        count = used or (1 << bpp)
        palette = [tuple(data[54 + 4 * i:54 + 4 * i + 3][::-1]) for i in range(count)]
    pixels = []
    if bpp in (1, 4, 8) and compression == 0:
        stride = ((width * bpp + 31) // 32) * 4
        for y in range(abs(height)):
            row_start = offset + (height - 1 - y if height > 0 else y) * stride
            row = []
            for x in range(width):
                bit = x * bpp
                row.append((data[row_start + bit // 8] >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1))
            pixels.append(row)
    return width, abs(height), bpp, compression, palette, pixels


def icon_sizes(data):
    _reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if kind != 1:
        return []
    sizes = []
    for i in range(count):
        w = data[6 + 16 * i]
        sizes.append(256 if w == 0 else w)
    return sizes


# ---------------------------------------------------------------------------------------------


def run_checks(rc_text, ids_text, base_dir, with_files=True):
    try:
        script = Script(rc_text, ids_text)
    except (RcError, IndexError) as e:
        return ["qora.rc: %s" % e]
    c = Checker(script)
    c.check_menu()
    c.check_about()
    c.check_setting()
    c.check_map(139, ps3=True)
    c.check_map(140, ps3=False)
    c.check_modes()
    if with_files:
        c.check_files(base_dir)
    return c.problems


# Faults the checks must catch: (description, text to replace, replacement[, words of the
# problem that must report it, when another check could catch it first]).
MUTATIONS = [
    ("a Map control removed", '    CONTROL "", IDC_MAP_MOUSE_FORWARD,', "//"),
    ("a sorted profile list", "LBS_NOTIFY | LBS_NOINTEGRALHEIGHT", "LBS_NOTIFY | LBS_SORT"),
    ("the menu text without its blanks", "&Start           F12", "&Start F12"),
    ("a default Confirm in the Map dialog", 'CONTROL "Confirm", IDC_CONFIRM, "Button", '
     "BS_PUSHBUTTON", 'CONTROL "Confirm", IDC_CONFIRM, "Button", BS_DEFPUSHBUTTON'),
    ("a field moved off its label line", "ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 46, 187",
     "ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 46, 190"),
    ("a read-only key field", "ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 46, 203",
     "ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP, 46, 203"),
    ("a wrong row label", "PS3\\n\\nR1\\n\\nR2", "PS3\\n\\nR2\\n\\nR1"),
    ("a wrapping row-label static", 'Direction", IDC_STATIC_TEXT, "Static", SS_LEFTNOWORDWRAP',
     'Direction", IDC_STATIC_TEXT, "Static", SS_LEFT'),
    ("a sorted mouse list", "CBS_DROPDOWNLIST | WS_VSCROLL", "CBS_DROPDOWNLIST | CBS_SORT"),
    ("no tool-window title bar", "EXSTYLE WS_EX_TOOLWINDOW", ""),
    ("the Setting dialog's font", 'FONT 10, "Dotum"', 'FONT 8, "Dotum"'),
    ("the Debug item in the script", '        MENUITEM "&Setting ...", IDM_SETTING',
     '        MENUITEM "&Setting ...", IDM_SETTING\n        MENUITEM "&Debug", IDM_DEBUG'),
    ("an Aim control removed", '    CONTROL "", IDC_MAP_AIM_EXPONENT,', "//"),
    ("a radio pair running into the next group",
     'IDC_MAP_AIM_DEAD_ZONE_LABEL, "Static", SS_LEFT | WS_GROUP',
     'IDC_MAP_AIM_DEAD_ZONE_LABEL, "Static", SS_LEFT', "arrow keys"),
    ("an aim value off its label's line", 'IDC_MAP_AIM_EXPONENT_VALUE, "Static", SS_RIGHT, 509, 269',
     'IDC_MAP_AIM_EXPONENT_VALUE, "Static", SS_RIGHT, 509, 271', "on its line"),
    ("the Aim group away from the Mouse group", '"Aim", IDC_STATIC_TEXT, "Button", BS_GROUPBOX, '
     "450, 161, 105, 141", '"Aim", IDC_STATIC_TEXT, "Button", BS_GROUPBOX, 450, 160, 105, 142',
     "beside the Mouse group"),
    ("the zoom title without its id", '"Zoom Scale", IDC_MAP_ZOOM_TITLE',
     '"Zoom Scale", IDC_STATIC_TEXT', "1059"),
    ("a Map dialog too large for the screen", "IDD_MAP_360 DIALOGEX 0, 0, 562, 334",
     "IDD_MAP_360 DIALOGEX 0, 0, 700, 334", "does not fit"),
    ("Use base outside the Layers group", 'IDC_MAP_LAYER_USE_BASE, "Button", BS_PUSHBUTTON | '
     "WS_TABSTOP, 482, 36, 66, 14", 'IDC_MAP_LAYER_USE_BASE, "Button", BS_PUSHBUTTON | '
     "WS_TABSTOP, 490, 36, 66, 14", "outside group"),
    ("a check box that does not tell its focus", '"Invert Y", IDC_MAP_INVERT_Y, "Button", '
     "BS_NOTIFY | ", '"Invert Y", IDC_MAP_INVERT_Y, "Button", ', "BS_NOTIFY"),
    ("a delay that takes letters", "ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP, 288",
     "ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 288", "ES_NUMBER"),
    ("a turbo box outside its group", '"RT", IDC_MODES_TURBO_FIRST + 18, "Button", '
     "BS_AUTOCHECKBOX | WS_TABSTOP, 334, 107", '"RT", IDC_MODES_TURBO_FIRST + 18, "Button", '
     "BS_AUTOCHECKBOX | WS_TABSTOP, 334, 147", "outside group"),
    ("a toggle box named for another action", '"LC", IDC_MODES_TOGGLE_FIRST + 20,',
     '"RC", IDC_MODES_TOGGLE_FIRST + 20,', "check box 'LC'"),
    ("a sorted macro list", "LBS_NOTIFY | LBS_OWNERDRAWFIXED", "LBS_SORT | LBS_OWNERDRAWFIXED",
     "LBS_SORT"),
    ("a macro list that draws its own grey nowhere", "LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | ", "",
     "LBS_OWNERDRAWFIXED"),
    ("a walk speed that takes letters", "IDC_MODES_WALK_SPEED, \"Edit\", ES_AUTOHSCROLL | ES_NUMBER",
     "IDC_MODES_WALK_SPEED, \"Edit\", ES_AUTOHSCROLL", "ES_NUMBER"),
    ("the Modes button missing", '    CONTROL "Modes...", IDC_MAP_LAYER_MODES,', "//", "1101"),
    ("a key field first in the Modes dialog's tab order", '    CONTROL "DU", IDC_MODES_TOGGLE_FIRST + 0,',
     '    CONTROL "", IDC_MODES_WALK_KEY, "Edit", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 0, 1, 1\n'
     '    CONTROL "DU", IDC_MODES_TOGGLE_FIRST + 0,', "first tab stop"),
    ("the Layers group first in the tab order",
     '    CONTROL "", IDC_MAP_DPAD_UP, "Edit", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP',
     '    CONTROL "", IDC_MAP_LAYER_NAME, "Edit", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 0, 0, 0\n'
     '    CONTROL "", IDC_MAP_DPAD_UP, "Edit", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP', "first tab stop"),
]


def self_test(rc_text, ids_text):
    failures = []
    for what, old, new, *reported_as in MUTATIONS:
        if old not in rc_text:
            failures.append("self-test: %r no longer applies to qora.rc" % what)
            continue
        mutated = rc_text.replace(old, new, 1)
        problems = run_checks(mutated, ids_text, HERE, with_files=False)
        if not any(all(w in p for w in reported_as) for p in problems):
            failures.append("self-test: %s goes unnoticed" % what)
    broken_ids = ids_text.replace("#define IDM_START 32776", "#define IDM_START 32777")
    if not run_checks(rc_text, broken_ids, HERE, with_files=False):
        failures.append("self-test: a wrong command id in resource_ids.h goes unnoticed")
    return failures


def main(argv):
    with open(RC_PATH, encoding="ascii") as f:
        rc_text = f.read()
    with open(IDS_PATH, encoding="ascii") as f:
        ids_text = f.read()
    problems = run_checks(rc_text, ids_text, HERE)
    if "--self-test" in argv:
        problems += self_test(rc_text, ids_text)
    for p in problems:
        print(p)
    print("check_rc: %s" % ("%d problem(s)" % len(problems) if problems else "all good"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
