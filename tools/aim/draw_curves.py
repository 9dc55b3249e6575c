#!/usr/bin/env python3
"""Draws the CSV of aim-curve (speed, classic 1000 Hz, classic 125 Hz, precise) as an SVG
picture: mouse speed in counts per ms across, stick deflection in percent up.

    build/host/tools/aim/aim-curve | python3 tools/aim/draw_curves.py > docs/aim-curves.svg
"""

import csv
import sys

WIDTH, HEIGHT = 640, 400
LEFT, RIGHT, TOP, BOTTOM = 60, 190, 20, 50
SERIES = [  # column, colour, label
    ("classic_1000hz", "#c0392b", "classic, 1000 Hz mouse"),
    ("classic_125hz", "#e67e22", "classic, 125 Hz mouse"),
    ("precise", "#2471a3", "precise, dead zone 20 %"),
]


def main():
    rows = list(csv.DictReader(sys.stdin))
    speeds = [float(row["speed_counts_per_ms"]) for row in rows]
    max_speed = max(speeds)
    plot_w, plot_h = WIDTH - LEFT - RIGHT, HEIGHT - TOP - BOTTOM

    def x_of(speed):
        return LEFT + speed / max_speed * plot_w

    def y_of(deflection):
        return TOP + (1.0 - deflection) * plot_h

    out = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{WIDTH}" height="{HEIGHT}" '
        'font-family="sans-serif" font-size="12">',
        f'<rect width="{WIDTH}" height="{HEIGHT}" fill="white"/>',
    ]
    for percent in range(0, 101, 25):
        y = y_of(percent / 100)
        out.append(f'<line x1="{LEFT}" y1="{y:.1f}" x2="{LEFT + plot_w}" y2="{y:.1f}" '
                   'stroke="#ddd"/>')
        out.append(f'<text x="{LEFT - 6}" y="{y + 4:.1f}" text-anchor="end">{percent} %</text>')
    step = 2 if max_speed <= 16 else 5
    for speed in range(0, int(max_speed) + 1, step):
        x = x_of(speed)
        out.append(f'<line x1="{x:.1f}" y1="{TOP}" x2="{x:.1f}" y2="{TOP + plot_h}" '
                   'stroke="#eee"/>')
        out.append(f'<text x="{x:.1f}" y="{TOP + plot_h + 16}" text-anchor="middle">'
                   f'{speed}</text>')
    out.append(f'<text x="{LEFT + plot_w / 2}" y="{HEIGHT - 12}" text-anchor="middle">'
               'mouse speed, counts per ms</text>')
    out.append(f'<text x="14" y="{TOP + plot_h / 2}" text-anchor="middle" '
               f'transform="rotate(-90 14 {TOP + plot_h / 2})">stick deflection</text>')
    out.append(f'<rect x="{LEFT}" y="{TOP}" width="{plot_w}" height="{plot_h}" '
               'fill="none" stroke="#444"/>')
    for index, (column, colour, label) in enumerate(SERIES):
        points = " ".join(f"{x_of(s):.1f},{y_of(float(r[column])):.1f}"
                          for s, r in zip(speeds, rows))
        out.append(f'<polyline points="{points}" fill="none" stroke="{colour}" '
                   'stroke-width="2"/>')
        y = TOP + 20 + index * 20
        out.append(f'<line x1="{LEFT + plot_w + 14}" y1="{y - 4}" x2="{LEFT + plot_w + 34}" '
                   f'y2="{y - 4}" stroke="{colour}" stroke-width="2"/>')
        out.append(f'<text x="{LEFT + plot_w + 40}" y="{y}">{label}</text>')
    out.append("</svg>")
    print("\n".join(out))


if __name__ == "__main__":
    main()
