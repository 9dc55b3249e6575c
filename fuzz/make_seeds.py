#!/usr/bin/env python3
"""Writes the seed corpora in fuzz/corpus/<target>/: a few inputs per fuzz target, in
each target's input layout (see the comment at the top of its source), that reach its
main paths. Run again after changing a layout; the results are committed."""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
RECORD = 144
NAME_SIZE = 64
X_ZOOM, Y_ZOOM = 135, 139
DIRECTION, INVERT = 131, 134


def text(value):
    return value.encode("latin-1") + b"\0"


def record(name, direction=0, invert=0, zoom=1.0, bindings=b""):
    data = bytearray(RECORD)
    data[0:len(name)] = name.encode("latin-1")
    data[122:122 + len(bindings)] = bindings
    data[DIRECTION] = direction
    data[INVERT] = invert
    data[X_ZOOM:X_ZOOM + 4] = struct.pack("<f", zoom)
    data[Y_ZOOM:Y_ZOOM + 4] = struct.pack("<f", zoom)
    return bytes(data)


def starter_profile():
    with open(os.path.join(ROOT, "resources", "defaults", "config.bin"), "rb") as f:
        return f.read(RECORD)


def ini_file():
    with open(os.path.join(ROOT, "resources", "defaults", "setting.ini"), "rb") as f:
        default = f.read().decode("latin-1")
    return {
        "default-file": b"\0" + text(default) + text("CONFIGURATION") + text("COUNT") +
        text("3") + struct.pack("<i", 7) + text("SETTING") + text("OSTYPE") + text("DEBUG") +
        text("ENABLE") + text("configuration") + text("current"),
        "lf-quotes-new-section": b"\0" + text("[A]\nX = \"quoted\"\n\n[B]\nY=2\n") + text("C") +
        text("Z") + text("value") + struct.pack("<i", -1) + text("A") + text("X") + text("b") +
        text("y"),
        "no-file": b"\x01" + text("") + text("CONFIGURATION") + text("CURRENT") + text("-1") +
        struct.pack("<i", -2147483648) + text("CONFIGURATION") + text("COUNT"),
        "bom-cr-hex": b"\0" + text("\xef\xbb\xbf[SETTING]\rOSTYPE=0x1\r[DEBUG]\r\nENABLE=1\r\n") +
        text("DEBUG") + text("ENABLE") + text("0") + struct.pack("<i", 65535) + text("SETTING") +
        text("OSTYPE"),
    }


NEW, DEL_YES, DEL_NO, SELECT, MAP, CONFIRM = range(6)


def store_input(flags, count, current, config, read_length, delete_count, delete_index,
                commands):
    return (bytes([flags]) + text(count) + text(current) + struct.pack("<H", len(config)) +
            config + struct.pack("<HHH", read_length, delete_count, delete_index) + commands)


def select(index):
    return bytes([SELECT]) + struct.pack("<H", index)


def store():
    three = record("p0") + record("p1") + record("p2")
    return {
        "three-profiles": store_input(
            0, "3", "1", three, 3 * RECORD, 3, 1,
            bytes([NEW]) + text("fresh") + select(0) + bytes([DEL_YES, MAP, CONFIRM])),
        "count-beyond-file": store_input(
            4, "5", "-1", record("a") + record("b")[:100], 1000, 4, 2,
            bytes([NEW]) + text("x" * 40) + select(4) + bytes([DEL_NO, DEL_YES, MAP])),
        "no-store": store_input(
            1, "0", "0", b"", 10, 0, 0,
            bytes([NEW]) + text("a") + bytes([NEW]) + text("b") + select(0) +
            bytes([DEL_YES, DEL_YES, DEL_YES, CONFIRM])),
        "count-below-file": store_input(
            8, "2", "7", three + record("spare"), 2 * RECORD, 4, 3,
            bytes([NEW]) + text("taken over") + bytes([MAP, DEL_YES, CONFIRM])),
    }


def state(buttons1=0, buttons2=0, triggers=(0, 0), sticks=(0, 0, 0, 0),
          motion=(0x200, 0x200, 0x190), header=(0x00, 0x14)):
    data = bytes(header) + bytes([buttons1, buttons2]) + bytes(triggers)
    data += struct.pack("<4h", *sticks) + bytes(6) + struct.pack(">3H", *motion) + b"\0"
    assert len(data) == 27
    return data


def xbox360_packet(state_bytes):
    return b"\0" + state_bytes + bytes(50 - 28)


def packet_decoder():
    rest = state()
    pressed = state(0x21, 0x14, (0xFF, 0), (0, 0x7FFF, -32512, 1234), (0x321, 0x200, 0x190))
    return {
        "xbox360-rest": b"\0" + rest + xbox360_packet(pressed),
        "ps3-pressed": b"\x01" + pressed + xbox360_packet(rest) + bytes(50),
        "no-console": b"\x02" + pressed,
        "bad-header": b"\0" + state(0xFF, 0xFF, (1, 2), (-32768, 32767, 5, -5), (0, 65535, 7),
                                    header=(0x07, 0x20)),
    }


def tool_input(arguments, content):
    return bytes([len(arguments)]) + b"".join(text(a) for a in arguments) + content


def packets_tool():
    two = xbox360_packet(state()) + xbox360_packet(state(0x01))
    return {
        "xbox360": tool_input(["--console", "xbox360", "packets.bin"], two),
        "ps3-torn": tool_input(["--console", "ps3", "p.bin"], two + b"\x01" * 25),
        "help": tool_input(["--help"], b""),
        "unknown-console": tool_input(["--console", "n64", "packets.bin"], two),
        "two-files": tool_input(["a.bin", "--console", "ps3", "b.bin"], b""),
    }


X, Y, WHEEL, BUTTON0 = 0, 4, 8, 12


def mouse_record(offset, data, stamp):
    return bytes([offset]) + struct.pack("<i", data) + bytes([stamp])


def tick(records):
    return struct.pack("<H", len(records)) + b"".join(records)


def mouse_processor():
    shooter = starter_profile()
    tilt = record("tilt", direction=2, invert=3, zoom=2.0, bindings=bytes([23, 24, 25, 26, 0, 0, 0, 1, 2]))
    wild = record("wild", direction=7, zoom=float("nan"), bindings=bytes([200, 26, 11, 14, 6, 7, 9, 10, 255]))
    same_group = [mouse_record(X, 3, 1), mouse_record(Y, -3, 1)]
    return {
        "shooter-look": b"\0\x02" + shooter + tick(same_group) + tick(same_group) +
        tick([mouse_record(X, 10, 5), mouse_record(X, 20, 5), mouse_record(Y, 4, 5),
              mouse_record(X, 2, 6), mouse_record(Y, 1, 6)]) + tick([]) * 5,
        "ps3-tilt-then-rest": b"\x01\x04" + tilt + tick([mouse_record(X, 100, 1),
                                                          mouse_record(Y, -7, 2)]) * 3 +
        tick([mouse_record(BUTTON0, 0x80, 3), mouse_record(WHEEL, 120, 3)]) + tick([]) * 4,
        "buttons-wheel-wild": b"\xff\xff" + wild + tick(
            [mouse_record(BUTTON0 + i, 0x80, i) for i in range(8)] +
            [mouse_record(WHEEL, -120, 9), mouse_record(WHEEL, 1, 9),
             mouse_record(X, -2147483648, 10), mouse_record(Y, 2147483647, 10)]) +
        struct.pack("<H", 60000),
    }


def key_names():
    shooter = starter_profile()
    unnamed = bytearray(record("unnamed"))
    unnamed[64:64 + 6] = bytes([0x54, 0xE0, 0xFF, 0x1E, 0x00, 0x9C])
    down = 0x80

    def step(focus, keys):
        return bytes([focus, len(keys)]) + b"".join(bytes([code, value]) for code, value in keys)

    return {
        "xbox360-shooter": b"\0" + shooter + step(6, [(0x1E, down)]) +
        step(0, [(0x1E, down), (0x1F, down), (0x54, 0x7F)]) + step(30, [(0x20, down)]) +
        step(37, [(0x11, down)]),
        "ps3-unnamed-keys": b"\x01" + bytes(unnamed) + step(26, [(0x9C, down)]) +
        step(27, [(0x1C, down), (0xE0, down)]) + step(42, [(0x01, down)]) + step(1, []),
        # Bit 1: a new layer shown, whose fields the steps bind.
        "xbox360-shooter-layer": b"\x02" + shooter + step(6, [(0x1F, down)]) +
        step(14, [(0x54, down)]) + step(37, [(0x57, down), (0x12, down)]) + step(38, []),
    }


XBOX360_FLAGS, PS3_FLAGS, PS3_FOLDER, NAME_GIVEN = 0x01, 0x02, 0x04, 0x08


def shooter_text(name="shooter.txt"):
    with open(os.path.join(ROOT, "resources", "defaults", name), "rb") as f:
        return f.read()


def profile_text():
    return {
        "shooter": b"\0" + shooter_text(),
        "shooter-as-ps3-refused": bytes([PS3_FLAGS]) + shooter_text(),
        "ps3-racing-tilt": bytes([PS3_FOLDER | NAME_GIVEN]) +
        b"; my racing keys\r\nCONSOLE = ps3\r\nNAME = \"Racing \\x01\\\\\"\r\n"
        b"  R2 = W , UP\r\nL2=S\r\nTU = NUM 8, ,\r\nMOUSE LEFT = TU\r\n"
        b"MOUSE BUTTON6 = L1\r\nDIRECTION = TILT\r\nINVERT = Y, X\r\nZOOMY = 2.55\r\n",
        "shooter-precise": bytes([PS3_FOLDER]) + shooter_text("shooter-precise.txt"),
        "aim-edges": bytes([PS3_FLAGS]) +
        b"EXPONENT = 0.25\nSHAPE = square\nDEADZONE = 90.00\nAIM = classic\nZOOMX = 0.5\n",
        "aim-too-fine": bytes([XBOX360_FLAGS]) +
        b"AIM = precise\nDEADZONE = 24.333\nEXPONENT = 1.37\nSHAPE = oval\nAIM = fast\n",
        "bad-lines": bytes([XBOX360_FLAGS]) +
        b"A = SPACE\nA = W\nZOOMX = 5.1\nLAU SHIFT\nNAME = \"open\n#\n= none\n",
        "layers": bytes([PS3_FOLDER]) + shooter_text() +
        b"\nLAYER = \"ADS\"\nWHILE = MOUSE RIGHT\nDELAY = 150\nRELEASE DELAY = 0\n"
        b"ZOOMX = 0.5\nZOOMY = 0.5\nMOUSE LEFT = RB\n"
        b"LAYER = \"Vehicle \\x01\"\r\nPRESS = CAPS\r\nA = none\r\nX = R, E\r\n"
        b"EXPONENT = 1.5\r\nDIRECTION = Left Stick\r\nINVERT = X\r\n",
        "layers-ps3-tilt": bytes([PS3_FLAGS]) +
        b"LAYER = \"tilt\"\nWHILE = MOUSE BUTTON7\nRELEASE DELAY = 2000\nTU = NUM 8, ,\n"
        b"MOUSE BUTTON6 = L1\nDIRECTION = TILT\n",
        # The store refuses a copy of its profile "Base" that would need other layers.
        "layers-copy-of-base": b"\0" + b"NAME = \"Base\"\nLAYER = \"x\"\nWHILE = Q\n",
        "layers-on-run-keys": bytes([XBOX360_FLAGS]) +
        b"A = F11\nLAYER = \"calibrate\"\nPRESS = SCROLL\nB = F5\nLAYER = \"stop\"\nWHILE = F11\n",
        "modes": bytes([PS3_FOLDER]) + shooter_text() +
        b"\nTOGGLE = LC, B\nTURBO = RT\nTURBO PRESS = 10\nTURBO RELEASE = 1000\n"
        b"WALK = L ALT\nWALK SPEED = 50\nMACRO F = A 60, 40, B+X 60\nMACRO = = DU 5000\n"
        b"LAYER = \"ADS\"\nWHILE = MOUSE RIGHT\nTURBO = none\nWALK SPEED = 1\n"
        b"MACRO F = none\nMACRO NUM 5 = LT+RT 1\n",
        "modes-ps3": bytes([PS3_FLAGS]) +
        b"TURBO = R1, []\nMACRO F11 = X+O 10\nLAYER = \"x\"\nPRESS = CAPS\nTOGGLE = L3\n",
        "modes-copy-of-base": b"\0" + b"NAME = \"Base\"\nWALK = L ALT\n",
        "modes-refused": bytes([XBOX360_FLAGS]) +
        b"A = F\nMACRO F = B 5\nTOGGLE = LC, Q\nTURBO = LC\nTURBO PRESS = 9\n"
        b"WALK SPEED = 101\nMACRO G = A 60, 40, B+Q 60\nMACRO H = none\nMACRO  G = 1,\n"
        b"LAYER = \"x\"\nWHILE = CAPS\nB = G\nMACRO A = 0\n",
        "layers-refused": bytes([XBOX360_FLAGS]) +
        b"LAYER = \"ADS\"\nWHILE = CAPS\nPRESS = F11\nDELAY = 2001\nNAME = \"x\"\n"
        b"LAYER = \"ADS\"\nWHILE = MOUSE ROLL UP\nLAYER = \"\"\nDELAY = -1\n",
    }


LAYERS_MAGIC = b"qoraLAYR"
LAYER_ITEM, LAYER_ITEM_SIZE = 1, 191
ZOOM_X_CHANGE, ZOOM_Y_CHANGE = 40, 41


def layer(name, kind=0, trigger=(2, 1), delay=150, release=0, zoom=0.5):
    """A layer that changes both sensitivities to zoom: its item, header included."""
    values = bytearray(RECORD)
    values[X_ZOOM:X_ZOOM + 4] = struct.pack("<f", zoom)
    values[Y_ZOOM:Y_ZOOM + 4] = struct.pack("<f", zoom)
    changes = (1 << ZOOM_X_CHANGE) | (1 << ZOOM_Y_CHANGE)
    body = name.encode("latin-1").ljust(32, b"\0") + bytes([kind, trigger[0], trigger[1]])
    body += struct.pack("<HHQ", delay, release, changes) + bytes(values)
    assert len(body) == LAYER_ITEM_SIZE
    return struct.pack("<HI", LAYER_ITEM, len(body)) + body


BASE_MODES_ITEM, LAYER_MODES_ITEM = 2, 3


def modes_values(toggle=0, turbo=0, press=30, release=30, walk_key=0, walk_percent=50,
                 macros=()):
    """The values of a modes item; macros: (key, [(actions, ms), ...]) pairs."""
    data = struct.pack("<IIHHBBB", toggle, turbo, press, release, walk_key, walk_percent,
                       len(macros))
    for key, steps in macros:
        data += bytes([key, len(steps)]) + b"".join(struct.pack("<IH", a, ms) for a, ms in steps)
    return data


def base_modes(**values):
    return later_item(BASE_MODES_ITEM, modes_values(**values))


def layer_modes(name, changes, **values):
    payload = name.encode("latin-1").ljust(32, b"\0") + bytes([changes]) + modes_values(**values)
    return later_item(LAYER_MODES_ITEM, payload)


def later_item(item_type, payload):
    return struct.pack("<HI", item_type, len(payload)) + payload


def layers_file(entries, version=1):
    """entries: (record, [items]) pairs, written in ascending order of their records."""
    data = LAYERS_MAGIC + struct.pack("<HI", version, len(entries))
    for key, items in sorted(entries):
        data += key + struct.pack("<H", len(items)) + b"".join(items)
    return data + struct.pack("<I", zlib.crc32(data))


def layer_file():
    shooter = starter_profile()
    ads = layer("ADS")
    two = layers_file([(shooter, [ads]), (record("car"), [layer("drive", 1, (1, 0x3A)),
                                                          layer("map", 0, (2, 2), 0, 2000)])])
    eight = layers_file([(record("many"), [layer("l%d" % i, i % 2, (2, i % 7)) for i in range(8)])])
    later = layers_file([(record("later"), [later_item(10, b"\x1e\x00\x1e\x00"), ads,
                                            later_item(9, b"")])])
    a, rt, b_x = 1 << 15, 1 << 18, (1 << 14) | (1 << 13)
    fire = (0x21, [(a, 60), (0, 40), (b_x, 60)])
    modes = layers_file([
        (shooter, [ads, layer("car", 1, (1, 0x3A)),
                   base_modes(toggle=1 << 20, turbo=rt, walk_key=0x38, macros=[fire]),
                   layer_modes("ADS", 0x03, turbo=a, press=10, release=1000, macros=[(0x21, [])]),
                   layer_modes("car", 0x04, walk_key=0x2A, walk_percent=100)]),
        (record("only modes"), [base_modes(walk_percent=1)]),
        # The modes of a layer an older qora deleted: dropped, and the entry with them.
        (record("gone"), [layer_modes("old", 0x01, toggle=a)]),
    ])
    nine = layers_file([(record("nine"), [ads] * 9)])
    damaged = bytearray(two)
    damaged[40] ^= 0x10
    return {
        "two-profiles": b"\0" + two,
        "eight-layers": b"\0" + eight,
        "later-items": b"\0" + later,
        # Bits 4-7: the second layer of each entry deleted by an older qora.
        "binding-modes": b"\x10" + modes,
        "no-entries": b"\0" + layers_file([]),
        "newer-version": b"\0" + layers_file([(shooter, [ads])], version=2),
        "check-sum-broken": b"\0" + bytes(damaged),
        "nine-layers-resealed": b"\x01" + nine,
        "count-too-high-resealed": b"\x01" + two[:10] + b"\x05" + two[11:],
    }


def macro_steps():
    """A console byte (0 Xbox 360, 1 PS3), then the steps as a player writes them."""
    return {
        "example-xbox360": b"\0A 60, 40, B+X 60",
        "example-ps3": b"\x01X 60, 40, []+O 60, L1+R2 5000",
        "refused": b"\0A 60,, B+Q 6000",
    }


def main():
    corpora = {
        "ini_file_fuzzer": ini_file(),
        "store_fuzzer": store(),
        "packet_decoder_fuzzer": packet_decoder(),
        "packets_tool_fuzzer": packets_tool(),
        "mouse_processor_fuzzer": mouse_processor(),
        "key_names_fuzzer": key_names(),
        "profile_text_fuzzer": profile_text(),
        "layer_file_fuzzer": layer_file(),
        "macro_steps_fuzzer": macro_steps(),
    }
    for target, seeds in corpora.items():
        folder = os.path.join(HERE, "corpus", target)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
