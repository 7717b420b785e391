#!/usr/bin/env python3
"""Sweeps every preset/script key through the command line at values the dialog never offers.

Each key is tried at one below and one above its dialog range, 0, the extremes of its type and,
for floats, NaN and the infinities, through each way a value enters a run: --set, a preset file
(--preset) and a recorded action (--replay), on each picture size asked for, in three settings
(the defaults, "Geometric 1" along a selection, "Single 4" with glass). Every run's processor
time and peak memory are read; the report lists, per size and channel, how the runs ended and the
slowest and largest ones, and every run that crashed, hung (passed --timeout) or failed other
than by a clear refusal.

Usage: param-sweep.py [--cli build/linux/rimelace] [--sizes 400x300,1600x1200]
                      [--channels set,preset,action] [--keys Width,Scale] [--timeout 60]
                      [--report out/param-sweep.md]
"""
import argparse
import json
import math
import os
import re
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

FLT_MAX = 3.4028234663852886e38
INT32_MIN, INT32_MAX = -2**31, 2**31 - 1


def write_png(path, width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows += bytes(pixel(x, y))

    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(bytes(rows), 6)) + chunk(b'IEND', b''))


def picture(folder, width, height):
    path = os.path.join(folder, f'in-{width}x{height}.png')
    if not os.path.exists(path):
        write_png(path, width, height, lambda x, y: ((x * 255 // width), (y * 255 // height), (x + y) % 256))
    mask = os.path.join(folder, f'mask-{width}x{height}.png')
    if not os.path.exists(mask):
        inside = lambda x, y: width // 5 <= x < width * 4 // 5 and height // 4 <= y < height * 3 // 4
        write_png(mask, width, height, lambda x, y: (255, 255, 255) if inside(x, y) else (0, 0, 0))
    return path, mask


def table(cli):
    """The keys as `rimelace params` lists them: field, key, preset kind, script type, range."""
    out = subprocess.run([cli, 'params'], capture_output=True, text=True, check=True).stdout.splitlines()
    rows = []
    for line in out[1:]:
        field, key, preset, script, rest = line.split(None, 4)
        parts = rest.split()
        if parts[0] == '(read':  # "long (read only)"
            parts = parts[2:]
        words = ' '.join(parts[1:])
        span = re.search(r'(-?[0-9.]+)\.\.(-?[0-9.]+)', words)
        row = {'field': field, 'key': key, 'kind': preset, 'script': script}
        if span:
            row['min'], row['max'] = float(span.group(1)), float(span.group(2))
        elif words.startswith('0/1'):
            row['min'], row['max'] = 0.0, 1.0
        elif words.startswith('colour'):
            row['min'], row['max'] = 0.0, float(0xFFFFFF)
        rows.append(row)
    return rows


def values(row):
    low, high = row.get('min'), row.get('max')
    edge = [low - 1, high + 1] if low is not None else [-1e9, 1e9]
    if row['kind'] == 'float':
        return [0.0] + edge + [-FLT_MAX, FLT_MAX, -1e39, 1e39, float('nan'), float('inf'), float('-inf')]
    extremes = [255, 256] if row['kind'] == 'byte' else [INT32_MIN, INT32_MAX]
    return [0, -1] + [int(v) for v in edge] + extremes + [2**31, -2**31 - 1]


def number_text(value):
    if isinstance(value, float):
        if math.isnan(value):
            return 'nan'
        if math.isinf(value):
            return 'inf' if value > 0 else '-inf'
        return repr(value)
    return str(value)


def reversed_key(key):
    return key[::-1]


def channel_args(channel, rows, context, row, value, folder, serial):
    """The command-line arguments that bring the context's values, then `value`, into the run
    through `channel` (the swept value comes last, so it wins)."""
    by_field = {r['field']: r for r in rows}
    settings = [(by_field[field], v) for field, v in context] + [(row, value)]
    if channel == 'set':
        args = []
        for r, v in settings:
            args += ['--set', f"{r['field']}={number_text(v)}"]
        return args
    if channel == 'preset':
        path = os.path.join(folder, f'p{serial}.ipt')
        lines = ''.join(f"{reversed_key(r['key'])} {number_text(v)} \t\t\t\t;{r['field']} \n" for r, v in settings)
        with open(path, 'wb') as f:
            f.write(b'Sol Rimelace1\n' + lines.encode())
        return ['--preset', path]
    items = []
    for r, v in settings:
        kind = r['script'].split()[0]
        if kind == 'bool':
            items.append({'key': r['key'], 'type': 'bool', 'value': bool(v)})
        elif kind == 'long':
            items.append({'key': r['key'], 'type': 'long', 'value': int(v)})
        else:
            items.append({'key': r['key'], 'type': 'UntF', 'unit': '#Rlt', 'value': float(v)})
    # JSON has no NaN or infinity: they are written as the numbers a file could hold instead.
    text = json.dumps({'playInfo': 'silent', 'descriptor': items})
    text = text.replace('NaN', '0').replace('-Infinity', '-1e400').replace('Infinity', '1e400')
    path = os.path.join(folder, f'a{serial}.json')
    with open(path, 'w') as f:
        f.write(text)
    return ['--replay', path]


# Where the swept keys are used: the defaults ("Floral 3" along "U-like"), "Geometric 1" along the
# selection, "Single 4" with glass.
CONTEXTS = {
    'default': [],
    'selection': [('EffectKind', 1), ('PatternKind', 1), ('MaskKind', 7)],
    'single': [('EffectKind', 3), ('PatternKind', 4), ('UseGlass', 1)],
}


def run(cli, args, timeout):
    """Runs the program; returns its exit status (negative: the signal that ended it), the text
    it wrote to stderr, the processor seconds it used (wall-clock time says little on a shared
    machine), whether it had to be stopped, and its peak memory in MB."""
    start = time.monotonic()
    proc = subprocess.Popen([cli] + args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    err = []
    reader = threading.Thread(target=lambda: err.append(proc.stderr.read()))
    reader.start()
    hung = False
    while True:
        pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
        if pid:
            break
        if time.monotonic() - start > timeout:
            proc.kill()
            hung = True
            pid, status, usage = os.wait4(proc.pid, 0)
            break
        time.sleep(0.005)
    seconds = usage.ru_utime + usage.ru_stime
    reader.join()
    proc.returncode = os.waitstatus_to_exitcode(status)
    return proc.returncode, b''.join(err).decode(errors='replace'), seconds, hung, usage.ru_maxrss / 1024.0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--cli', default='build/linux/rimelace')
    parser.add_argument('--sizes', default='400x300')
    parser.add_argument('--channels', default='set,preset,action')
    parser.add_argument('--contexts', default='default,selection,single')
    parser.add_argument('--keys', default='')
    parser.add_argument('--timeout', type=float, default=60)
    parser.add_argument('--report', default='')
    options = parser.parse_args()

    rows = every_row = table(options.cli)
    if options.keys:
        wanted = set(options.keys.split(','))
        rows = [r for r in rows if r['field'] in wanted]
    lines = [f"# Parameter sweep ({time.strftime('%Y-%m-%d %H:%M')}, {os.cpu_count()} CPUs, "
             f"load {os.getloadavg()[0]:.1f})", '']
    problems = []
    with tempfile.TemporaryDirectory(prefix='param-sweep-') as folder:
        for size in options.sizes.split(','):
            width, height = (int(v) for v in size.split('x'))
            image, mask = picture(folder, width, height)
            for channel in options.channels.split(','):
                counts = {'ok': 0, 'refused': 0}
                slowest, largest = (0.0, ''), (0.0, '')
                serial = 0
                for context in options.contexts.split(','):
                    extra = ['--selection', mask] if context == 'selection' else []
                    for row in rows:
                        for value in values(row):
                            serial += 1
                            what = f"{size} {channel} {context}: {row['field']} = {number_text(value)}"
                            args = ['apply', image, os.path.join(folder, 'out.png'), '--quiet']
                            args += extra + channel_args(channel, every_row, CONTEXTS[context], row, value, folder, serial)
                            status, err, seconds, hung, memory = run(options.cli, args, options.timeout)
                            last = err.strip().splitlines()[-1] if err.strip() else ''
                            if hung:
                                problems.append(f'- HUNG (> {options.timeout:.0f} s): {what}')
                            elif status == 0:
                                counts['ok'] += 1
                            elif status == 2 and last.startswith('rimelace: '):
                                counts['refused'] += 1
                            else:
                                problems.append(f'- status {status}: {what}: {last}')
                            if seconds > slowest[0]:
                                slowest = (seconds, what)
                            if memory > largest[0]:
                                largest = (memory, what)
                lines.append(f"- {size}, {channel}: {counts['ok']} ran, {counts['refused']} refused with a message; "
                             f"slowest {slowest[0]:.2f} s of processor time ({slowest[1]}); largest "
                             f"{largest[0]:.0f} MB ({largest[1]})")
                print(lines[-1], flush=True)
    lines += ['', 'Problems:' if problems else 'No crash, hang or unexplained failure.'] + problems
    text = '\n'.join(lines) + '\n'
    print('\n'.join(problems))
    if options.report:
        os.makedirs(os.path.dirname(options.report) or '.', exist_ok=True)
        with open(options.report, 'w') as f:
            f.write(text)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
