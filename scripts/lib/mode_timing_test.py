#!/usr/bin/env python3
"""Tests of mode_timing.py's reading of a run: runs written as the probe and qora-packets
write them, with packets at known moments. python3 scripts/lib/mode_timing_test.py"""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mode_timing  # noqa: E402


def packet_line(index, buttons, lt=0):
    names = ' '.join(buttons) or '-'
    return (f'#{index} xbox360 buttons: {names} | LT {lt} RT 0 | LX 0 LY 0 RX 0 RY 0 |'
            ' motion X 512 Y 512 Z 400')


def write_run(folder, acts, packets, sizes=None, before=1):
    """A run whose file holds `before` packets when the probe starts, then each of
    `packets` ((time, buttons)) arriving alone at its time unless `sizes` says otherwise."""
    lines = [packet_line(i, []) for i in range(before)]
    lines += [packet_line(before + i, buttons) for i, (_, buttons) in enumerate(packets)]
    if sizes is None:
        sizes = [(t, (before + i + 1) * 50) for i, (t, _) in enumerate(packets)]
    with open(os.path.join(folder, 'packets.txt'), 'w') as f:
        f.write('\n'.join(lines) + '\n')
    with open(os.path.join(folder, 'probe.log'), 'w') as f:
        f.write(f'size 0.000 {before * 50}\n')
        f.writelines(f'size {t:.3f} {size}\n' for t, size in sizes)
        f.writelines(f'act {t:.3f} {verb} {arg}\n' for t, verb, arg in acts)
    with open(os.path.join(folder, 'run.txt'), 'w') as f:
        f.write('label test\nconsole xbox360\nqora 1\n')
    return mode_timing.Run(folder)


def turbo_packets(start, edges):
    """A, released and pressed again at each edge (relative ms), from start."""
    return [(start + t, ['A'] if k % 2 == 0 else []) for k, t in enumerate(edges)]


class RunFolder(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)


class PacketTimes(RunFolder):
    def test_each_packet_takes_the_first_look_that_found_it_whole(self):
        cases = [
            # (sizes logged, packets written, their expected times)
            ('one packet a look', [(10.0, 100), (20.0, 150)], 2, [10.0, 20.0]),
            ('two packets in one look', [(10.0, 150)], 2, [10.0, 10.0]),
            ('a look in the middle of a packet', [(10.0, 75), (12.0, 100)], 1, [12.0]),
            ('a packet never seen', [(10.0, 100)], 2, [10.0, None]),
        ]
        for name, sizes, count, times in cases:
            with self.subTest(name):
                packets = [(0.0, ['A'])] * count
                run = write_run(self.folder.name, [], packets, sizes)
                self.assertIsNone(run.packets[0].time, 'there before the probe started')
                self.assertEqual([p.time for p in run.packets[1:]], times)


class Turbo(RunFolder):
    def test_edges_against_the_moments_of_the_cycle(self):
        # 30/30 from a press at 100 ms: edges due at 30, 60, 90, 120, 150 after the first.
        cases = [
            ('on time', [0, 30, 60, 90, 120, 150], [0] * 5, 0, [0, 0], [0, 0, 0]),
            ('each edge 0.4 late', [0, 30.4, 60.4, 90.4, 120.4, 150.4], [0.4] * 5, 0,
             [0.4, 0], [0.4, 0, 0]),
            ('served up to half a millisecond early', [0, 30, 60, 89.5, 120, 150],
             [0, 0, -0.5, 0, 0], 0, [0, 0], [0, -0.5, 0]),
            # A tick-like run that missed the release at 90 and the press at 120: the press
            # phase around the gap spans a whole cycle more.
            ('a release and a press never sent', [0, 30, 60, 150], [0, 0, 0], 2, [0],
             [0, 60]),
        ]
        for name, edges, errors, unsent, periods, presses in cases:
            with self.subTest(name):
                acts = [(50.0, 'mark', 'turbo:30:30'), (99.0, 'down', 't'),
                        (100.0 + edges[-1] + 5, 'up', 't')]
                run = write_run(self.folder.name, acts, turbo_packets(100.0, edges))
                figures = mode_timing.measure_run(run)
                self.assertEqual([round(e, 3) for e in figures['turbo:30:30 edge']], errors)
                self.assertEqual(sum(figures['turbo:30:30 unsent']), unsent)
                self.assertEqual([round(e, 3) for e in figures['turbo:30:30 period']], periods)
                self.assertEqual([round(e, 3) for e in figures['turbo:30:30 press']], presses)
                self.assertEqual(figures['turbo:30:30 first'], [1.0])

    def test_the_release_after_the_key_is_no_edge(self):
        acts = [(50.0, 'mark', 'turbo:30:30'), (99.0, 'down', 't'), (165.0, 'up', 't')]
        run = write_run(self.folder.name, acts, turbo_packets(100.0, [0, 30, 60, 67]))
        figures = mode_timing.measure_run(run)
        self.assertEqual(len(figures['turbo:30:30 edge']), 2)


class Macro(RunFolder):
    STATES = [['A'], [], ['B', 'X'], [], ['Y'], []]
    MOMENTS = [0, 60, 100, 160, 185, 285]

    def measure(self, states, moments):
        acts = [(50.0, 'mark', 'macro'), (99.0, 'down', 'f'), (150.0, 'up', 'f')]
        packets = [(100.0 + t, s) for t, s in zip(moments, states)]
        return mode_timing.measure_run(write_run(self.folder.name, acts, packets))

    def test_steps_against_their_moments(self):
        cases = [
            ('on time', self.STATES, self.MOMENTS, [0] * 5, 0),
            ('the last step 1.2 late', self.STATES, self.MOMENTS[:5] + [286.2],
             [0, 0, 0, 0, 1.2], 0),
            # On the tick alone the 25 ms pause may fall between two ticks.
            ('the short pause never sent', self.STATES[:3] + self.STATES[4:],
             [0, 66, 132, 198, 297], [6, 32, 13, 12], 1),
        ]
        for name, states, moments, edges, unsent in cases:
            with self.subTest(name):
                figures = self.measure(states, moments)
                self.assertEqual([round(e, 3) for e in figures['macro edge']], edges)
                self.assertEqual(sum(figures['macro unsent']), unsent)
                self.assertEqual(figures['macro first'], [1.0])


if __name__ == '__main__':
    unittest.main()
