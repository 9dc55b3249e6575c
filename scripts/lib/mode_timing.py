#!/usr/bin/env python3
"""The plan and the tables of scripts/mode-timing.sh.

    mode_timing.py plan xbox360|ps3 SEED          the probe's plan (tools/latency/mode_probe.c)
    mode_timing.py table TIMER_FILE RUN_FOLDER...  the summary, a column per run

The plan plays segments, each started by a mark that names it and what it was set to
(turbo:30:30, walk:50, ads:150:0...). The profiles it drives are the script's: T is A with
TURBO = A, F plays the macro, G is LB which toggles, H is RB (a plain key), J is B and U is
X (Y in the second profile), W and D drive the left stick and K is the walk key; the
right mouse button is LT and holds the layer "ADS", which turns J into RC. Page Up goes to
the next profile.

A run folder holds probe.log (the probe's output), packets.txt (qora-packets' lines of the
run's packets.bin) and run.txt ("label LABEL", "console CONSOLE", "qora PID",
"loadavg ..."). Counts come from the environment: TURBO_HOLDS, MACROS, PRESSES, LAYERS,
SWITCHES, CPU_S."""
import os
import random
import sys

MACRO_STEPS = [('A', 60), ('', 40), ('B X', 60), ('', 25), ('Y', 100)]
MACRO_BUTTONS = {'A', 'B', 'X', 'Y'}
# What the PS3 decoder calls the Xbox 360 buttons the plan watches.
PS3_NAMES = {'A': 'cross', 'B': 'circle', 'X': 'square', 'Y': 'triangle', 'LB': 'L2',
             'RB': 'R2', 'RS': 'R3', 'LT': 'L1'}
TURBO_HOLD_MS = 2000
# An edge is taken for the latest moment of its kind up to this long after it: the
# scheduler serves a moment from half a millisecond before it.
EDGE_EARLY_MS = 2.0
NO_PACKET_MS = 1000.0


def count(name, default):
    return int(os.environ.get(name, default))


# --- the plan -------------------------------------------------------------------------


class Plan:
    def __init__(self, seed):
        self.lines = []
        self.random = random.Random(seed)

    def add(self, *lines):
        self.lines.extend(lines)

    def gap(self, low, high):
        self.add(f'wait {self.random.randint(low, high)}')

    def tap(self, key, hold_ms):
        self.add(f'down {key}', f'wait {hold_ms}', f'up {key}')


def plan_turbo(plan, press_ms, release_ms, holds):
    plan.add(f'mark turbo:{press_ms}:{release_ms}')
    for _ in range(holds):
        plan.tap('t', TURBO_HOLD_MS)
        plan.gap(200, 500)


def plan_cpu(plan, seconds, press_ms, release_ms):
    """The CPU time of seconds without input, of as long with a plain key held (the X
    server repeats it, and Wine turns each repeat into window messages), and of as long
    with the turbo held."""
    plan.add('mark cpu:idle', 'wait 500', 'cpu', f'wait {seconds * 1000}', 'cpu')
    for name, key in (('key', 'h'), (f'turbo:{press_ms}:{release_ms}', 't')):
        plan.add(f'mark cpu:{name}', 'cpu', f'down {key}', f'wait {seconds * 1000}', 'cpu',
                 f'up {key}', 'wait 300')


def plan_macro(plan, plays):
    plan.add('mark macro')
    for _ in range(plays):
        plan.tap('f', 60)
        plan.gap(500, 800)


def plan_keys(plan, presses):
    """Toggle and plain key in a random order; each toggle press flips LB."""
    plan.add('mark keys')
    keys = ['g'] * presses + ['h'] * presses
    plan.random.shuffle(keys)
    for key in keys:
        plan.tap(key, plan.random.randint(60, 120))
        plan.gap(100, 300)
    if keys.count('g') % 2 == 1:
        plan.tap('g', 80)
        plan.add('wait 200')


def plan_walk(plan, percent, rounds):
    """Each stick key alone (full) and with the walk key held."""
    plan.add(f'mark walk:{percent}')
    for _ in range(rounds):
        for walking in (False, True):
            if walking:
                plan.add('down k', 'wait 100')
            for key in ('w', 'd'):
                plan.tap(key, 150)
                plan.add('wait 150')
            if walking:
                plan.add('up k', 'wait 150')


def plan_layer(plan, delay_ms, release_ms, presses):
    """J held (B); the right button holds the layer, which turns J into RC."""
    plan.add(f'mark ads:{delay_ms}:{release_ms}', 'down j', 'wait 200')
    for _ in range(presses):
        plan.add('bdown 3', f'wait {delay_ms + 250}', 'bup 3', f'wait {release_ms + 150}')
        plan.gap(100, 300)
    plan.add('up j', 'wait 200')


def plan_switch(plan, switches):
    """U held (X in the first profile, Y in the second) through each Page Up."""
    plan.add('mark switch', 'down u', 'wait 200')
    for _ in range(switches):
        plan.tap('Prior', 60)
        plan.gap(200, 400)
    plan.add('up u', 'wait 200')


def next_profile(plan):
    plan.add('mark next')
    plan.tap('Prior', 60)
    plan.add('wait 300')


def make_plan(console, seed):
    plan = Plan(seed)
    plan.add('mark warm-up')
    for _ in range(2):
        plan.tap('h', 80)
        plan.add('wait 200')
    if console == 'ps3':
        plan_walk(plan, 50, count('WALKS', 3))
        next_profile(plan)
        plan_walk(plan, 30, count('WALKS', 3))
        return plan.lines
    plan_turbo(plan, 30, 30, count('TURBO_HOLDS', 5))
    plan_cpu(plan, count('CPU_S', 10), 30, 30)
    plan_macro(plan, count('MACROS', 20))
    plan_keys(plan, count('PRESSES', 30))
    plan_walk(plan, 50, count('WALKS', 3))
    plan_layer(plan, 0, 80, count('LAYERS', 15))
    plan_switch(plan, 2 * ((count('SWITCHES', 20) + 1) // 2))
    next_profile(plan)
    plan_turbo(plan, 50, 20, count('TURBO_HOLDS', 5))
    plan_walk(plan, 30, count('WALKS', 3))
    plan_layer(plan, 150, 0, count('LAYERS', 15))
    return plan.lines


# --- reading a run --------------------------------------------------------------------


def read_lines(path):
    with open(path) as text:
        return text.readlines()


class Packet:
    def __init__(self, line, console):
        words = line.split()
        self.index = int(words[0][1:])
        bar = words.index('|')
        names = words[3:bar]
        self.buttons = set() if names == ['-'] else set(names)
        values = {}
        for i in range(bar + 1, len(words) - 1):
            if words[i] in ('LT', 'LX', 'LY', 'RX', 'RY') and words[i + 1].lstrip('-').isdigit():
                values.setdefault(words[i], int(words[i + 1]))
        self.values = values
        self.console = console
        self.time = None

    def has(self, button):
        name = PS3_NAMES.get(button, button) if self.console == 'ps3' else button
        return name in self.buttons

    def pressed(self, buttons):
        return {b for b in buttons if self.has(b)}


class Run:
    def __init__(self, folder):
        info = {}
        for line in read_lines(os.path.join(folder, 'run.txt')):
            key, _, value = line.strip().partition(' ')
            info[key] = value
        self.label = info['label']
        self.console = info['console']
        self.qora = info.get('qora', '')
        self.loadavg = info.get('loadavg', '')
        self.packets = [Packet(line, self.console)
                        for line in read_lines(os.path.join(folder, 'packets.txt'))
                        if line.startswith('#')]
        self.acts, self.cpu, sizes = [], [], []
        for line in read_lines(os.path.join(folder, 'probe.log')):
            words = line.split()
            if words[0] == 'size':
                sizes.append((float(words[1]), int(words[2])))
            elif words[0] == 'act':
                self.acts.append((float(words[1]), words[2], words[3] if len(words) > 3 else ''))
            elif words[0] == 'cpu':
                self.cpu.append((float(words[1]), words[2], int(words[3])))
        self.place_packets(sizes)

    def place_packets(self, sizes):
        """A packet arrived at the first look that found the file holding all of it;
        those there before the probe started have no time."""
        start = sizes[0][1] if sizes else 0
        look = 0
        for position, packet in enumerate(self.packets):
            end = (position + 1) * 50
            if end <= start:
                continue
            while look < len(sizes) and sizes[look][1] < end:
                look += 1
            if look < len(sizes):
                packet.time = sizes[look][0]

    def segments(self):
        """(name, start, end, acts) for every mark."""
        marks = [(t, arg) for t, verb, arg in self.acts if verb == 'mark']
        found = []
        for i, (start, name) in enumerate(marks):
            end = marks[i + 1][0] if i + 1 < len(marks) else float('inf')
            acts = [(t, v, a) for t, v, a in self.acts if start <= t < end and v != 'mark']
            found.append((name, start, end, acts))
        return found

    def packets_between(self, start, end):
        return [p for p in self.packets if p.time is not None and start <= p.time < end]

    def first_packet(self, after, test, limit=NO_PACKET_MS):
        for packet in self.packets_between(after, after + limit):
            if test(packet):
                return packet
        return None


# --- measuring ------------------------------------------------------------------------


def turbo_edges(run, start, end):
    """(time, pressed) at each change of A within a hold, the press first."""
    edges, last = [], False
    for packet in run.packets_between(start, end):
        pressed = packet.has('A')
        if pressed != last:
            edges.append((packet.time, pressed))
            last = pressed
    return edges


def nominal_moment(relative, pressed, press_ms, release_ms):
    """The latest moment of the cycle, of that kind, at or before relative (plus the
    margin a moment may be served early)."""
    period = press_ms + release_ms
    offset = 0 if pressed else press_ms
    cycles = (relative + EDGE_EARLY_MS - offset) // period
    return max(cycles, 0) * period + offset


def cycle_moments(until, press_ms, release_ms):
    """Every edge's moment after the first, up to until."""
    moments, start = [], 0
    while start <= until:
        moments += [m for m in (start + press_ms, start + press_ms + release_ms) if m <= until]
        start += press_ms + release_ms
    return moments


def add(figures, key, value):
    figures.setdefault(key, []).append(value)


def measure_turbo(run, figures, key, press_ms, release_ms, acts):
    downs = [t for t, v, a in acts if v == 'down' and a == 't']
    ups = [t for t, v, a in acts if v == 'up' and a == 't']
    for down, up in zip(downs, ups):
        edges = turbo_edges(run, down, up)
        if not edges or not edges[0][1]:
            add(figures, f'{key} missed', 1)
            continue
        first = edges[0][0]
        add(figures, f'{key} first', first - down)
        matched = set()
        for time, pressed in edges[1:]:
            moment = nominal_moment(time - first, pressed, press_ms, release_ms)
            matched.add(moment)
            add(figures, f'{key} edge', time - first - moment)
        due = cycle_moments(max(matched, default=0), press_ms, release_ms)
        for moment in due:
            add(figures, f'{key} unsent', 0 if moment in matched else 1)
        ons = [t for t, p in edges if p]
        offs = [t for t, p in edges if not p]
        for a, b in zip(ons, ons[1:]):
            add(figures, f'{key} period', b - a - press_ms - release_ms)
        for a, b in zip(ons, offs):
            add(figures, f'{key} press', b - a - press_ms)


# How late after its moment a macro's state may first show and still be that step's: a
# tick comes within 33 ms.
MACRO_LATE_MS = 40.0


def macro_times(states, first):
    """When each state of the macro first showed within its step's window; None for a
    state never sent (a step shorter than a tick may fall between two)."""
    times, elapsed = [first], 0
    for step, (_, length) in enumerate(MACRO_STEPS):
        elapsed += length
        following = MACRO_STEPS[step + 1][0] if step + 1 < len(MACRO_STEPS) else ''
        wanted = set(following.split())
        found = [t for t, buttons in states
                 if buttons == wanted and elapsed - EDGE_EARLY_MS <= t - first < elapsed + MACRO_LATE_MS]
        times.append(found[0] if found else None)
    return times


def measure_macro(run, figures, acts):
    downs = [t for t, v, a in acts if v == 'down' and a == 'f']
    for i, down in enumerate(downs):
        until = downs[i + 1] if i + 1 < len(downs) else down + 2000
        states = [(p.time, p.pressed(MACRO_BUTTONS)) for p in run.packets_between(down, until)]
        starts = [t for t, buttons in states if buttons == set(MACRO_STEPS[0][0].split())]
        if not starts:
            add(figures, 'macro missed', 1)
            continue
        times = macro_times(states, starts[0])
        add(figures, 'macro first', times[0] - down)
        elapsed = 0
        for step, (_, length) in enumerate(MACRO_STEPS):
            elapsed += length
            begin, finish = times[step], times[step + 1]
            add(figures, 'macro unsent', 1 if finish is None else 0)
            if finish is not None:
                add(figures, 'macro edge', finish - times[0] - elapsed)
                add(figures, f'macro end {step}', finish - times[0] - elapsed)
            if begin is not None and finish is not None:
                add(figures, 'macro step', finish - begin - length)


def measure_keys(run, figures, acts):
    lb_on = False
    for time, verb, key in acts:
        if verb != 'down' or key not in ('g', 'h'):
            continue
        if key == 'g':
            lb_on = not lb_on
            wanted = lb_on
            packet = run.first_packet(time, lambda p: p.has('LB') == wanted)
            name = 'toggle'
        else:
            packet = run.first_packet(time, lambda p: p.has('RB'))
            name = 'plain key'
        if packet is None:
            add(figures, f'{name} missed', 1)
        else:
            add(figures, name, packet.time - time)


def deflection(run, packet, axis, rest):
    return abs(packet.values.get(axis, rest) - rest)


def measure_walk(run, figures, percent, acts):
    rests = {'LX': 0, 'LY': 0} if run.console == 'xbox360' else None
    walking, full = False, {}
    for time, verb, key in acts:
        if key == 'k':
            walking = verb == 'down'
            continue
        if verb != 'down' or key not in ('w', 'd'):
            continue
        axis = 'LY' if key == 'w' else 'LX'
        before = [p for p in run.packets if p.time is not None and p.time < time]
        rest = rests[axis] if rests else before[-1].values[axis] if before else 128
        packet = run.first_packet(time, lambda p: deflection(run, p, axis, rest) > 0)
        if packet is None:
            add(figures, f'walk:{percent} missed', 1)
            continue
        value = deflection(run, packet, axis, rest)
        if not walking:
            full[axis] = value
        elif axis in full:
            expected = full[axis] * percent / 100.0
            add(figures, f'walk:{percent} units', value - expected)
            add(figures, f'walk:{percent} percent', 100.0 * value / full[axis])
            add(figures, f'walk:{percent} full', full[axis])


def measure_layer(run, figures, delay_ms, release_ms, acts):
    key = f'ads:{delay_ms}:{release_ms}'
    on = lambda p: p.has('RS') and not p.has('B')
    off = lambda p: p.has('B') and not p.has('RS')
    for time, verb, arg in acts:
        if arg != '3':
            continue
        pressing = verb == 'bdown'
        own = run.first_packet(time, lambda p: (p.values.get('LT', 0) > 0) == pressing)
        shown = run.first_packet(time, on if pressing else off, NO_PACKET_MS + delay_ms)
        name = f'{key} {"press" if pressing else "release"}'
        wait = delay_ms if pressing else release_ms
        if shown is None or own is None:
            add(figures, f'{name} missed', 1)
            continue
        add(figures, f'{name} from input', shown.time - time - wait)
        add(figures, f'{name} from trigger', shown.time - own.time - wait)


def measure_switch(run, figures, acts):
    held = 'X'
    for time, verb, key in acts:
        if verb != 'down' or key != 'Prior':
            continue
        held, other = ('Y', 'X') if held == 'X' else ('X', 'Y')
        packet = run.first_packet(time, lambda p: p.has(held) and not p.has(other))
        if packet is None:
            add(figures, 'switch missed', 1)
        else:
            add(figures, 'switch', packet.time - time)


def measure_cpu(run, figures, name, acts, start, end):
    readings = [(t, pid, ticks) for t, pid, ticks in run.cpu if start <= t < end and pid == run.qora]
    if len(readings) < 2:
        return
    (t0, _, c0), (t1, _, c1) = readings[0], readings[-1]
    ticks_per_s = os.sysconf('SC_CLK_TCK')
    figures[f'{name} ms'] = [(c1 - c0) * 1000.0 / ticks_per_s]
    figures[f'{name} s'] = [(t1 - t0) / 1000.0]
    figures[f'{name} packets'] = [len(run.packets_between(t0, t1))]


def measure_run(run):
    figures = {}
    for name, start, end, acts in run.segments():
        kind, *values = name.split(':')
        numbers = [int(v) for v in values if v.isdigit()]
        if kind == 'turbo':
            measure_turbo(run, figures, name, numbers[0], numbers[1], acts)
        elif kind == 'macro':
            measure_macro(run, figures, acts)
        elif kind == 'keys':
            measure_keys(run, figures, acts)
        elif kind == 'walk':
            measure_walk(run, figures, numbers[0], acts)
        elif kind == 'ads':
            measure_layer(run, figures, numbers[0], numbers[1], acts)
        elif kind == 'switch':
            measure_switch(run, figures, acts)
        elif kind == 'cpu':
            measure_cpu(run, figures, name, acts, start, end)
    return figures


# --- the tables -----------------------------------------------------------------------


def quantile(values, q):
    ordered = sorted(values)
    return ordered[max(0, -(-len(ordered) * q // 100) - 1)] if ordered else None


def median(values):
    ordered = sorted(values)
    n = len(ordered)
    return (ordered[n // 2] if n % 2 else (ordered[n // 2 - 1] + ordered[n // 2]) / 2) if n else None


def error_cell(values, missed=0):
    """Signed median, then p90 and max of the size: "n N: +0.21 / 0.60 / 1.30"."""
    if not values:
        return f'none ({missed} missed)' if missed else '-'
    sizes = [abs(v) for v in values]
    text = f'n {len(values)}: {median(values):+.2f} / {quantile(sizes, 90):.2f} / {max(sizes):.2f}'
    return text + (f', {missed} missed' if missed else '')


def latency_cell(values, missed=0):
    if not values:
        return f'none ({missed} missed)' if missed else '-'
    text = f'n {len(values)}: {median(values):.2f} / {quantile(values, 90):.2f} / {max(values):.2f}'
    return text + (f', {missed} missed' if missed else '')


def unsent_cell(values):
    return f'{sum(values)} of {len(values)}' if values else '-'


# (measurement, what a cell shows, figure, the figure that counts what was never seen)
SUMMARY_ROWS = [
    ('turbo 30/30: period', 'error', 'turbo:30:30 period', 'turbo:30:30 missed'),
    ('turbo 30/30: press phase', 'error', 'turbo:30:30 press', None),
    ('turbo 30/30: every edge against its moment', 'error', 'turbo:30:30 edge', None),
    ('turbo 30/30: edges not sent', 'unsent', 'turbo:30:30 unsent', None),
    ('turbo 30/30: first press from the key', 'latency', 'turbo:30:30 first', 'turbo:30:30 missed'),
    ('turbo 50/20: period', 'error', 'turbo:50:20 period', 'turbo:50:20 missed'),
    ('turbo 50/20: press phase', 'error', 'turbo:50:20 press', None),
    ('turbo 50/20: every edge against its moment', 'error', 'turbo:50:20 edge', None),
    ('turbo 50/20: edges not sent', 'unsent', 'turbo:50:20 unsent', None),
    ('macro: each step\'s length', 'error', 'macro step', 'macro missed'),
    ('macro: every step\'s end against its moment', 'error', 'macro edge', None),
    ('macro: steps not sent', 'unsent', 'macro unsent', None),
    ('macro: first step from the key', 'latency', 'macro first', 'macro missed'),
    ('toggle: press to packet', 'latency', 'toggle', 'toggle missed'),
    ('plain key: press to packet', 'latency', 'plain key', 'plain key missed'),
    ('ADS, DELAY 0: button press to layer', 'latency', 'ads:0:80 press from input',
     'ads:0:80 press missed'),
    ('ADS, DELAY 0: trigger\'s packet to layer', 'error', 'ads:0:80 press from trigger', None),
    ('ADS, RELEASE DELAY 80: button release to layer\'s end, less 80', 'latency',
     'ads:0:80 release from input', 'ads:0:80 release missed'),
    ('ADS, RELEASE DELAY 80: trigger\'s packet to layer\'s end, less 80', 'error',
     'ads:0:80 release from trigger', None),
    ('ADS, DELAY 150: button press to layer, less 150', 'latency', 'ads:150:0 press from input',
     'ads:150:0 press missed'),
    ('ADS, DELAY 150: trigger\'s packet to layer, less 150', 'error',
     'ads:150:0 press from trigger', None),
    ('ADS, RELEASE DELAY 0: button release to layer\'s end', 'latency',
     'ads:150:0 release from input', 'ads:150:0 release missed'),
    ('ADS, RELEASE DELAY 0: trigger\'s packet to layer\'s end', 'error',
     'ads:150:0 release from trigger', None),
    ('profile switch: Page Up to the new profile\'s packet', 'latency', 'switch', 'switch missed'),
]


def cell(figures, kind, key, missed_key):
    values = figures.get(key, [])
    missed = len(figures.get(missed_key, [])) if missed_key else 0
    if kind == 'error':
        return error_cell(values, missed)
    if kind == 'latency':
        return latency_cell(values, missed)
    return unsent_cell(values)


def macro_step_rows(timed):
    lines = ['| step | ' + ' | '.join(run.label for run, _ in timed) + ' |',
             '|---|' + '---|' * len(timed)]
    elapsed = 0
    for step, (buttons, length) in enumerate(MACRO_STEPS):
        elapsed += length
        name = f'{step + 1}: {buttons.replace(" ", "+") or "pause"} {length}, ends at {elapsed}'
        lines.append(f'| {name} | ' + ' | '.join(error_cell(f.get(f'macro end {step}', []))
                                                 for _, f in timed) + ' |')
    return lines


def walk_rows(runs, figures):
    lines = ['| run | WALK SPEED | n | full deflection | walked, % of full (median, min, max) |'
             ' walked less expected, in console units (median, max size) |',
             '|---|---|---|---|---|---|']
    for run, figs in zip(runs, figures):
        for percent in (50, 30):
            units = figs.get(f'walk:{percent} units', [])
            if not units:
                continue
            shares = figs[f'walk:{percent} percent']
            lines.append(f'| {run.label} ({run.console}) | {percent} % | {len(units)} |'
                         f' {", ".join(str(v) for v in sorted(set(figs[f"walk:{percent} full"])))} |'
                         f' {median(shares):.2f}, {min(shares):.2f}, {max(shares):.2f} |'
                         f' {median(units):+.2f}, {max(abs(u) for u in units):.2f} |')
    return lines


def cpu_rows(runs, figures):
    lines = ['| run | seconds each | idle | a plain key held | turbo 30/30 held | packets with the'
             ' turbo | turbo less the plain key, per packet |', '|---|---|---|---|---|---|---|']
    for run, figs in zip(runs, figures):
        if 'cpu:idle ms' not in figs:
            continue
        idle, key = figs['cpu:idle ms'][0], figs.get('cpu:key ms', [0])[0]
        turbo = figs.get('cpu:turbo:30:30 ms', [0])[0]
        packets = figs.get('cpu:turbo:30:30 packets', [0])[0]
        per = f'{(turbo - key) / packets:.2f}' if packets else '-'
        lines.append(f'| {run.label} | {figs["cpu:idle s"][0]:.0f} | {idle:.0f} | {key:.0f} |'
                     f' {turbo:.0f} | {packets} | {per} |')
    return lines


def timer_rows(path):
    lines = ['| wait | asked, ms | n | late: median | late: p90 | late: max |',
             '|---|---|---|---|---|---|']
    for line in read_lines(path):
        words = line.split()
        if len(words) < 14 or words[0] != 'timeout' or words[2] != '1ms':
            continue
        asked = float(words[4])
        values = dict(zip(words[5::2], words[6::2]))
        lines.append(f'| timeout, timeBeginPeriod(1) | {asked:.0f} | {values["n"]} |'
                     f' {float(values["median"]) - asked:.2f} | {float(values["p90"]) - asked:.2f} |'
                     f' {float(values["max"]) - asked:.2f} |')
    return lines


def table(timer_path, folders):
    runs = [Run(folder) for folder in folders]
    figures = [measure_run(run) for run in runs]
    timed = [(run, figs) for run, figs in zip(runs, figures) if run.console == 'xbox360']
    print('Timing of the binding modes, layers and profile switches, in ms. An error is what')
    print('was measured less what was configured: its median (signed, + late), then the p90')
    print('and max of its size; a latency: median / p90 / max.')
    print()
    print('| measurement | shows | ' + ' | '.join(run.label for run, _ in timed) + ' |')
    print('|---|---|' + '---|' * len(timed))
    for name, kind, key, missed_key in SUMMARY_ROWS:
        shows = {'error': 'error', 'latency': 'latency', 'unsent': 'count'}[kind]
        print(f'| {name} | {shows} | ' +
              ' | '.join(cell(f, kind, key, missed_key) for _, f in timed) + ' |')
    print()
    print('Macro, step by step: each step\'s end against its moment (the first packet plus the')
    print('lengths of the steps up to it), as errors:')
    print()
    print('\n'.join(macro_step_rows(timed)))
    print()
    print('Walk: the deflection of a key-driven stick with the walk key held, against the same')
    print('key alone:')
    print()
    print('\n'.join(walk_rows(runs, figures)))
    print()
    print('CPU time of qora.exe, in ms (the resolution is 10 ms):')
    print()
    print('\n'.join(cpu_rows(runs, figures)))
    print()
    print('The timer floor: how late a bare program\'s timed wait woke under the same Wine, in ms:')
    print()
    print('\n'.join(timer_rows(timer_path)))
    print()
    for run in runs:
        print(f'load average at the start of "{run.label}" ({run.console}): {run.loadavg}')


def main():
    if len(sys.argv) == 4 and sys.argv[1] == 'plan':
        print('\n'.join(make_plan(sys.argv[2], int(sys.argv[3]))))
    elif len(sys.argv) >= 4 and sys.argv[1] == 'table':
        table(sys.argv[2], sys.argv[3:])
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main()
