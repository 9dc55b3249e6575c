#!/usr/bin/env python3
"""Tables of scripts/aim-moments.sh from the files a run leaves in its folder.

    aim_moments_table.py run RUN_FOLDER          the run's segments, one row each
    aim_moments_table.py summary RUN_FOLDER...   one row per run
    aim_moments_table.py moments RUN_FOLDER...   what qora sent, one row per run
    aim_moments_table.py segments RUN_FOLDER...  what qora sent, a row per segment, a column
                                                 per run

A run folder holds report.txt (aim-trace report of qora's trace, labelled qora, and of the
bare recorder's, labelled bare), floor/probe.txt and qora/probe.txt (aim-probe latency),
loadavg-before.txt, loadavg-after.txt and xvfb-age.txt."""
import os
import sys

MEDIAN_WITHIN = 0.02
QUANTILES_WITHIN = 0.03
EXCURSION_MS = 30.0


def stop_bound_ms(rate):
    """8 ms; a slower mouse's stop cannot be told before its next report is overdue."""
    return max(8.0, 2 * 1000.0 / rate + 2.0)


def fields(words):
    """Pairs of "name value" from a list of words."""
    return {words[i]: words[i + 1] for i in range(0, len(words) - 1, 2)}


def read_report(path):
    """{(label, segment): {'rate', 'speed', 'rule', sources...}} and the replay's check."""
    segments, checks = {}, {}
    for line in open(path):
        words = line.split()
        if len(words) > 3 and words[1] == 'replay' and words[2] == 'evaluations':
            checks[words[0]] = fields(words[2:])
            continue
        if len(words) < 10 or words[1] != 'segment':
            continue
        label, index = words[0], int(words[2])
        row = segments.setdefault((label, index), {})
        row['rate'] = int(words[4])
        row['speed'] = (float(words[6]), float(words[7]))
        if words[8] == 'stream':
            row['stream'] = {k: float(v) for k, v in fields(words[9:]).items()}
        else:
            row['rule'] = float(words[9])
            row[words[10]] = {k: float(v) for k, v in fields(words[11:]).items()}
    return segments, checks


def within_bounds(m, rule, rate):
    return (abs(m['median'] - rule) <= MEDIAN_WITHIN and abs(m['p10'] - rule) <= QUANTILES_WITHIN
            and abs(m['p90'] - rule) <= QUANTILES_WITHIN and m['excursion'] <= EXCURSION_MS
            and m['drops'] == 0 and 0 <= m['stop'] <= stop_bound_ms(rate))


def cell(m, rule, rate):
    if m is None:
        return '- | | | |'
    mark = '' if within_bounds(m, rule, rate) else ' **miss**'
    return '%.3f (%.3f-%.3f)%s | %.0f | %d | %.1f |' % (
        m['median'], m['p10'], m['p90'], mark, m['excursion'], m['drops'], m['stop'])


def stream_cell(s):
    if s is None:
        return '- |'
    return '%.1f / %.1f / %.1f / %d / %d |' % (s['gap'], s['latep90'], s['late'], s['lumps'],
                                             s['beforestamp'])


def read_probe(path):
    """{'onset': {...}, 'stop' or 'last': {...}} from aim-probe's lines."""
    figures = {}
    if not os.path.exists(path):
        return figures
    for line in open(path):
        words = line.split()
        if len(words) > 2 and words[1] in ('onset', 'stop', 'last'):
            figures[words[1]] = {k: float(v) for k, v in fields(words[2:]).items()}
    return figures


def read_text(path):
    return open(path).read().strip() if os.path.exists(path) else '-'


def print_run(folder):
    segments, checks = read_report(os.path.join(folder, 'report.txt'))
    print()
    print('%s (load %s, then %s):' % (os.path.basename(folder),
                                      ' '.join(read_text(os.path.join(folder, 'loadavg-before.txt')).split()[:3]),
                                      ' '.join(read_text(os.path.join(folder, 'loadavg-after.txt')).split()[:3])))
    print()
    print('| # | Hz | counts/ms | rule | qora sent: median (p10-p90) | exc ms | drops | stop ms '
          '| replay: median (p10-p90) | exc ms | drops | stop ms '
          '| bare reads replayed: median (p10-p90) | exc ms | drops | stop ms '
          '| qora reads: gap ms / late p90, max ms / lumps / before stamp '
          '| bare reads: gap / late p90, max / lumps / before stamp |')
    print('|' + '---|' * 20)
    indices = sorted({i for (label, i) in segments if label == 'qora'})
    for i in indices:
        q = segments[('qora', i)]
        b = segments.get(('bare', i), {})
        rule, rate = q['rule'], q['rate']
        print('| %d | %d | %g, %g | %.3f | %s %s %s %s %s' % (
            i, rate, abs(q['speed'][0]), abs(q['speed'][1]), rule, cell(q.get('sent'), rule, rate),
            cell(q.get('replay'), rule, rate), cell(b.get('replay'), rule, rate),
            stream_cell(q.get('stream')), stream_cell(b.get('stream'))))
    check = checks.get('qora')
    if check:
        print()
        print('The replay gave %s of the program\'s %s evaluations otherwise.' % (
            check['differing'], check['evaluations']))


def count_within(segments, label, source):
    rows = [r for (l, _), r in segments.items() if l == label and source in r]
    return sum(within_bounds(r[source], r['rule'], r['rate']) for r in rows), len(rows)


def print_summary(folders):
    print('| run | X server age s | load before | load after | within bounds: qora sent '
          '| qora replay | bare replayed | qora onset median ms | floor onset median ms '
          '| qora stop median / p90 ms | floor last count median / p90 ms |')
    print('|' + '---|' * 11)
    for folder in folders:
        segments, _ = read_report(os.path.join(folder, 'report.txt'))
        qora = read_probe(os.path.join(folder, 'qora', 'probe.txt'))
        floor = read_probe(os.path.join(folder, 'floor', 'probe.txt'))
        parts = ['%d of %d' % count_within(segments, label, source)
                 for label, source in (('qora', 'sent'), ('qora', 'replay'), ('bare', 'replay'))]
        def figure(probe, what, name):
            return '%.2f' % probe[what][name] if what in probe and name in probe[what] else '-'
        print('| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s / %s | %s / %s |' % (
            os.path.basename(folder), read_text(os.path.join(folder, 'xvfb-age.txt')),
            ' '.join(read_text(os.path.join(folder, 'loadavg-before.txt')).split()[:3]),
            ' '.join(read_text(os.path.join(folder, 'loadavg-after.txt')).split()[:3]),
            parts[0], parts[1], parts[2], figure(qora, 'onset', 'median'),
            figure(floor, 'onset', 'median'), figure(qora, 'stop', 'median'),
            figure(qora, 'stop', 'p90'), figure(floor, 'last', 'median'),
            figure(floor, 'last', 'p90')))
    print()
    print('(Figures taken with a load average above 1 on this 2-core machine are preliminary.)')


def sent_rows(segments):
    """qora's segments with what it sent, in order."""
    return [segments[key] for key in sorted(k for k in segments if k[0] == 'qora')
            if 'sent' in segments[key]]


def print_moments(folders):
    """Per run, what qora sent over every segment: the farthest the median, p10 and p90 lay
    from the rule, the longest excursion, the drops, the segments' stops against their
    bounds, and the bursts' stop and first motion beside the floor's."""
    print('| run | load before / after | segments within bounds | median off the rule, most '
          '| p10 / p90 off the rule, most | longest excursion ms | drops | segment stops over '
          'their bound | stop median / p90 ms | first motion median ms (floor) |')
    print('|' + '---|' * 10)
    for folder in folders:
        segments, _ = read_report(os.path.join(folder, 'report.txt'))
        rows = sent_rows(segments)
        qora = read_probe(os.path.join(folder, 'qora', 'probe.txt'))
        floor = read_probe(os.path.join(folder, 'floor', 'probe.txt'))
        sent = [(r['sent'], r['rule'], r['rate']) for r in rows]
        median_off = max(abs(m['median'] - rule) for m, rule, _ in sent)
        p10_off = max(abs(m['p10'] - rule) for m, rule, _ in sent)
        p90_off = max(abs(m['p90'] - rule) for m, rule, _ in sent)
        late_stops = sum(not (0 <= m['stop'] <= stop_bound_ms(rate)) for m, _, rate in sent)

        def figure(probe, what, name):
            return '%.2f' % probe[what][name] if what in probe and name in probe[what] else '-'
        print('| %s | %s / %s | %d of %d | %.3f | %.3f / %.3f | %.0f | %d | %d | %s / %s | %s (%s) |'
              % (os.path.basename(folder),
                 read_text(os.path.join(folder, 'loadavg-before.txt')).split()[0],
                 read_text(os.path.join(folder, 'loadavg-after.txt')).split()[0],
                 sum(within_bounds(m, rule, rate) for m, rule, rate in sent), len(sent),
                 median_off, p10_off, p90_off, max(m['excursion'] for m, _, _ in sent),
                 sum(m['drops'] for m, _, _ in sent), late_stops, figure(qora, 'stop', 'median'),
                 figure(qora, 'stop', 'p90'), figure(qora, 'onset', 'median'),
                 figure(floor, 'onset', 'median')))


def print_segments(folders):
    """What qora sent, segment by segment: median (p10-p90) in each run, a miss marked."""
    runs = [sent_rows(read_report(os.path.join(folder, 'report.txt'))[0]) for folder in folders]
    print('| Hz | counts/ms | rule | ' + ' | '.join(os.path.basename(f) for f in folders) + ' |')
    print('|' + '---|' * (3 + len(folders)))
    for i, first in enumerate(runs[0]):
        cells = []
        for rows in runs:
            m = rows[i]['sent'] if i < len(rows) else None
            if m is None:
                cells.append('-')
                continue
            mark = '' if within_bounds(m, first['rule'], first['rate']) else ' *'
            cells.append('%.3f (%.3f-%.3f)%s' % (m['median'], m['p10'], m['p90'], mark))
        print('| %d | %g, %g | %.3f | %s |' % (first['rate'], abs(first['speed'][0]),
                                             abs(first['speed'][1]), first['rule'],
                                             ' | '.join(cells)))


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == 'run':
        print_run(sys.argv[2])
    elif len(sys.argv) >= 3 and sys.argv[1] == 'summary':
        print_summary(sys.argv[2:])
    elif len(sys.argv) >= 3 and sys.argv[1] == 'moments':
        print_moments(sys.argv[2:])
    elif len(sys.argv) >= 3 and sys.argv[1] == 'segments':
        print_segments(sys.argv[2:])
    else:
        sys.stderr.write(__doc__)
        sys.exit(2)


if __name__ == '__main__':
    main()
