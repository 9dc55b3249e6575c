#!/usr/bin/env python3
"""Writes the starter profile store, resources/defaults/config.bin and layers.bin.

Run from the repository root (python3, standard library only):

    python3 resources/defaults/make_config.py           # rewrites config.bin and layers.bin
    python3 resources/defaults/make_config.py --check   # exit 1 if either differs

config.bin holds ProfileRecords of 144 bytes back to back with no header; setting.ini's
[CONFIGURATION] COUNT=2 says there are two (the check also holds setting.ini to it). Key
bindings are DirectInput scan codes (DIK_*). Both profiles work in both console modes and
have the same bindings: "Shooter" aims the classic way, "Shooter precise" with precise
aim; see the README. layers.bin (formats/layer_file.h) gives "Shooter precise" its "ADS"
layer: while the right mouse button is held, both sensitivities are halved.
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CONFIG_BIN = os.path.join(HERE, "config.bin")
SETTING_INI = os.path.join(HERE, "setting.ini")
LAYERS_BIN = os.path.join(HERE, "layers.bin")

# ProfileRecord layout
RECORD_SIZE = 144
NAME = 0
NAME_SIZE = 64
PRIMARY_KEYS = 64  # byte k: scan code of ActionCode k
SECONDARY_KEYS = 93
MOUSE_BINDINGS = 122  # byte i: a position in the Map dialog's mouse-action list
AIM_WORD = 132  # 16-bit little-endian: bit 15 precise, bit 14 square, bits 0-13 dead zone
INVERT_FLAGS = 134
X_ZOOM_SCALE = 135  # IEEE single, little-endian, at an odd offset
Y_ZOOM_SCALE = 139
AIM_EXPONENT = 143  # signed steps of 0.05 from 1.0
ACTION_COUNT = 29
AIM_PRECISE = 0x8000
AIM_SQUARE = 0x4000
MAX_DEAD_ZONE_HUNDREDTHS = 9000  # 90 %

# ActionCodes, in the order of the Map dialog's key fields.
DPAD_UP, DPAD_DOWN, DPAD_LEFT, DPAD_RIGHT = 0, 1, 2, 3
LSTICK_UP, LSTICK_DOWN, LSTICK_LEFT, LSTICK_RIGHT = 4, 5, 6, 7
RSTICK_UP, RSTICK_DOWN, RSTICK_LEFT, RSTICK_RIGHT = 8, 9, 10, 11
BUTTON_Y, BUTTON_X, BUTTON_B, BUTTON_A = 12, 13, 14, 15  # PS3: triangle, square, circle, cross
LEFT_ROW5 = 16  # Xbox 360 LT, PS3 L1
LEFT_ROW6 = 17  # Xbox 360 LB, PS3 L2
RIGHT_ROW1 = 18  # Xbox 360 RT, PS3 R1
RIGHT_ROW2 = 19  # Xbox 360 RB, PS3 R2
LEFT_CLICK, RIGHT_CLICK, BACK, START, GUIDE = 20, 21, 22, 23, 24

# Mouse inputs (index into the mouse bindings).
MOUSE_LEFT, MOUSE_RIGHT, MOUSE_MIDDLE, MOUSE_BACKWARD, MOUSE_FORWARD = 0, 1, 2, 3, 4
MOUSE_ROLL_UP, MOUSE_ROLL_DOWN, MOUSE_DIRECTION = 7, 8, 9

# Positions in the mouse-action list (text in Xbox 360 mode / PS3 mode).
LIST_Y_TRIANGLE = 1  # "Y" / "A" (triangle)
LIST_RC_R3 = 5  # "RC" / "R3"
LIST_RB_R2 = 6  # "RB" / "R2"
LIST_RT_R1 = 7  # "RT" / "R1"
LIST_LB_L2 = 9  # "LB" / "L2"
LIST_LT_L1 = 10  # "LT" / "L1"
DIRECTION_RIGHT_STICK = 1

# DirectInput scan codes.
DIK = {
    "ESCAPE": 0x01, "1": 0x02, "TAB": 0x0F, "Q": 0x10, "W": 0x11, "E": 0x12, "R": 0x13,
    "LCONTROL": 0x1D, "A": 0x1E, "S": 0x1F, "D": 0x20, "G": 0x22, "LSHIFT": 0x2A, "C": 0x2E,
    "V": 0x2F, "SPACE": 0x39, "NUMPAD8": 0x48, "NUMPAD4": 0x4B, "NUMPAD6": 0x4D,
    "NUMPAD2": 0x50, "HOME": 0xC7, "UP": 0xC8, "LEFT": 0xCB, "RIGHT": 0xCD, "DOWN": 0xD0,
}
# F11 ends a capture run and F12 starts one: never bind them.
DIK_F11, DIK_F12 = 0x57, 0x58

PRIMARY = {
    DPAD_UP: "UP", DPAD_DOWN: "DOWN", DPAD_LEFT: "LEFT", DPAD_RIGHT: "RIGHT",
    LSTICK_UP: "W", LSTICK_DOWN: "S", LSTICK_LEFT: "A", LSTICK_RIGHT: "D",
    # the mouse drives the right stick; the keypad arrows are a keyboard fallback
    RSTICK_UP: "NUMPAD8", RSTICK_DOWN: "NUMPAD2", RSTICK_LEFT: "NUMPAD4",
    RSTICK_RIGHT: "NUMPAD6",
    BUTTON_Y: "1",  # switch weapon
    BUTTON_X: "R",  # reload / use
    BUTTON_B: "C",  # crouch
    BUTTON_A: "SPACE",  # jump
    LEFT_ROW6: "Q",  # tactical grenade (LB / L2)
    RIGHT_ROW2: "G",  # grenade (RB / R2)
    LEFT_CLICK: "LSHIFT",  # sprint
    RIGHT_CLICK: "V",  # melee
    BACK: "TAB",  # score board
    START: "ESCAPE",  # pause menu
    GUIDE: "HOME",
}
SECONDARY = {
    BUTTON_X: "E",  # use, the same button as reload
    BUTTON_B: "LCONTROL",  # crouch
}
MOUSE = {
    # Fire and aim. Position 7 is the right trigger "RT" in Xbox 360 mode and the shoulder "R1"
    # in PS3 mode, position 10 "LT" / "L1": the Xbox 360 fires and aims with the triggers, and
    # the PS3 shooters' default layouts fire with R1 and aim with L1.
    MOUSE_LEFT: LIST_RT_R1,
    MOUSE_RIGHT: LIST_LT_L1,
    MOUSE_MIDDLE: LIST_RB_R2,  # grenade, like G
    MOUSE_BACKWARD: LIST_RC_R3,  # melee, like V
    MOUSE_FORWARD: LIST_LB_L2,  # tactical grenade, like Q
    MOUSE_ROLL_UP: LIST_Y_TRIANGLE,  # switch weapon
    MOUSE_ROLL_DOWN: LIST_Y_TRIANGLE,
    MOUSE_DIRECTION: DIRECTION_RIGHT_STICK,
}
ZOOM_SCALE = 1.0
# "Shooter precise": precise aim for a game with a round dead zone of about 20 %, a linear
# response and the classic zoom of 1.0 (full deflection at 10 counts per millisecond).
PRECISE_DEAD_ZONE_HUNDREDTHS = 2000
PRECISE_EXPONENT_STEPS = 0  # 1.0


def shooter_record(name=b"Shooter"):
    record = bytearray(RECORD_SIZE)
    record[NAME:NAME + len(name)] = name
    for action, key in PRIMARY.items():
        record[PRIMARY_KEYS + action] = DIK[key]
    for action, key in SECONDARY.items():
        record[SECONDARY_KEYS + action] = DIK[key]
    for index, position in MOUSE.items():
        record[MOUSE_BINDINGS + index] = position
    record[INVERT_FLAGS] = 0
    record[X_ZOOM_SCALE:X_ZOOM_SCALE + 4] = struct.pack("<f", ZOOM_SCALE)
    record[Y_ZOOM_SCALE:Y_ZOOM_SCALE + 4] = struct.pack("<f", ZOOM_SCALE)
    return bytes(record)


def shooter_precise_record():
    record = bytearray(shooter_record(b"Shooter precise"))
    struct.pack_into("<H", record, AIM_WORD, AIM_PRECISE | PRECISE_DEAD_ZONE_HUNDREDTHS)
    struct.pack_into("<b", record, AIM_EXPONENT, PRECISE_EXPONENT_STEPS)
    return bytes(record)


def starter_store():
    return [shooter_record(), shooter_precise_record()]


# layers.bin layout (formats/layer_file.h), little-endian: a header (magic, version, entry
# count), entries in ascending order of their 144-byte key, each with its items (type,
# length, bytes), then the CRC-32 of every byte before it.
LAYER_FILE_MAGIC = b"qoraLAYR"
LAYER_FILE_VERSION = 1
LAYER_ITEM_TYPE = 1
LAYER_NAME_SIZE = 32
KIND_WHILE_HELD = 0
TRIGGER_MOUSE_BUTTON = 2
MOUSE_BUTTON_RIGHT = 1
MAX_LAYER_DELAY_MS = 2000
# layer_change bits: 0-28 actions, 29-37 mouse bindings, then these.
CHANGE_ZOOM_X, CHANGE_ZOOM_Y = 40, 41
CHANGE_COUNT = 43
# "ADS": aiming down the sights with the right mouse button, which still pulls LT (L1), at
# half the sensitivity: full deflection at 20 counts per millisecond. No delay: games zoom
# at different speeds, and a delay that outlasts the zoom would aim the first moments of
# every sight picture at hip speed; a player who wants one sets DELAY to the game's zoom.
ADS_NAME = b"ADS"
ADS_ZOOM_SCALE = 0.5
ADS_DELAY_MS = 0
ADS_RELEASE_DELAY_MS = 0


def layer_item(name, kind, source, code, delay, release_delay, changes, values):
    item = bytearray(LAYER_NAME_SIZE)
    item[:len(name)] = name
    item += struct.pack("<BBBHHQ", kind, source, code, delay, release_delay, changes)
    return bytes(item) + values


def ads_layer():
    values = bytearray(RECORD_SIZE)
    values[X_ZOOM_SCALE:X_ZOOM_SCALE + 4] = struct.pack("<f", ADS_ZOOM_SCALE)
    values[Y_ZOOM_SCALE:Y_ZOOM_SCALE + 4] = struct.pack("<f", ADS_ZOOM_SCALE)
    changes = (1 << CHANGE_ZOOM_X) | (1 << CHANGE_ZOOM_Y)
    return layer_item(ADS_NAME, KIND_WHILE_HELD, TRIGGER_MOUSE_BUTTON, MOUSE_BUTTON_RIGHT,
                      ADS_DELAY_MS, ADS_RELEASE_DELAY_MS, changes, bytes(values))


def starter_layers():
    """The layers of each starter record that has any: {record: [layer item, ...]}."""
    return {shooter_precise_record(): [ads_layer()]}


def layers_file(layers):
    data = bytearray(LAYER_FILE_MAGIC + struct.pack("<HI", LAYER_FILE_VERSION, len(layers)))
    for key in sorted(layers):
        data += key + struct.pack("<H", len(layers[key]))
        for item in layers[key]:
            data += struct.pack("<HI", LAYER_ITEM_TYPE, len(item)) + item
    return bytes(data) + struct.pack("<I", zlib.crc32(data))


def layer_problems(item):
    """What would make a layer item unusable for a starter profile; empty when sound."""
    found = []
    name = item[:LAYER_NAME_SIZE]
    length = name.find(b"\0")
    if length < 1 or name[length:].strip(b"\0"):
        found.append("the name is not 1 to 31 characters, then NULs")
    kind, source, code, delay, release_delay, changes = struct.unpack_from(
        "<BBBHHQ", item, LAYER_NAME_SIZE)
    if kind > 1:
        found.append("kind %d is neither held nor toggled" % kind)
    if source != TRIGGER_MOUSE_BUTTON or code > 6:
        found.append("the trigger is not a mouse button (the wheel is none)")
    if delay > MAX_LAYER_DELAY_MS or release_delay > MAX_LAYER_DELAY_MS:
        found.append("a delay is above 2000 ms")
    if changes >> CHANGE_COUNT:
        found.append("change bits beyond the known ones")
    return found


def problems(record):
    """What would make the record unusable; empty when it is sound."""
    found = []
    if len(record) != RECORD_SIZE:
        found.append("record is %d bytes, not %d" % (len(record), RECORD_SIZE))
        return found
    name = record[NAME:NAME + NAME_SIZE]
    if b"\0" not in name or name.index(b"\0") > 32:
        found.append("name is not a NUL-terminated text of at most 32 characters")
    keys = record[PRIMARY_KEYS:PRIMARY_KEYS + 2 * ACTION_COUNT]
    if DIK_F11 in keys or DIK_F12 in keys:
        found.append("a key is bound to F11 or F12, which start and stop the capture run")
    for index in (MOUSE_LEFT, MOUSE_RIGHT, MOUSE_MIDDLE, MOUSE_BACKWARD, MOUSE_FORWARD,
                  MOUSE_ROLL_UP, MOUSE_ROLL_DOWN):
        # positions 23 and above exist only in the PS3 list
        if record[MOUSE_BINDINGS + index] > 22:
            found.append("mouse binding %d is not in the Xbox 360 list" % index)
    if record[MOUSE_BINDINGS + 5] or record[MOUSE_BINDINGS + 6]:
        found.append("mouse bindings 5 and 6 have no control and must be 0")
    if record[MOUSE_BINDINGS + MOUSE_DIRECTION] > 1:
        found.append("the direction must be a stick to work in both modes")
    aim = struct.unpack_from("<H", record, AIM_WORD)[0]
    if aim & ~(AIM_PRECISE | AIM_SQUARE) > MAX_DEAD_ZONE_HUNDREDTHS:
        found.append("the dead zone is above 90 %")
    if not -15 <= struct.unpack_from("<b", record, AIM_EXPONENT)[0] <= 60:
        found.append("the exponent is outside 0.25 to 4.0")
    for offset in (X_ZOOM_SCALE, Y_ZOOM_SCALE):
        scale = struct.unpack_from("<f", record, offset)[0]
        if not 0.5 <= scale <= 5.0:
            found.append("zoom scale at %d is %r, outside 0.5 to 5.0" % (offset, scale))
    return found


def setting_count():
    """COUNT of [CONFIGURATION] in the default setting.ini."""
    section = None
    with open(SETTING_INI, encoding="latin-1") as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                section = line.strip("[]").upper()
            elif section == "CONFIGURATION" and line.upper().startswith("COUNT="):
                return int(line.split("=", 1)[1])
    return 0


def main(argv):
    records = starter_store()
    issues = ["record %d: %s" % (index, issue)
              for index, record in enumerate(records) for issue in problems(record)]
    if setting_count() != len(records):
        issues.append("setting.ini says COUNT=%d, not %d" % (setting_count(), len(records)))
    for issue in issues:
        print("config.bin: " + issue)
    if issues:
        return 1
    layers = starter_layers()
    issues = ["layer of %s: %s" % (key[:key.index(b"\0")].decode(), issue)
              for key, items in layers.items() for item in items
              for issue in layer_problems(item)]
    issues += ["layers of a record that is no starter profile"
               for key in layers if key not in records]
    for issue in issues:
        print("layers.bin: " + issue)
    if issues:
        return 1
    files = {CONFIG_BIN: b"".join(records), LAYERS_BIN: layers_file(layers)}
    if "--check" in argv:
        for path, data in files.items():
            with open(path, "rb") as f:
                if f.read() != data:
                    print("%s differs from what make_config.py writes" % os.path.basename(path))
                    return 1
        return 0
    for path, data in files.items():
        with open(path, "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
