#!/usr/bin/env python3
"""Runs Cg programs through our runtime (cg-probe) and NVIDIA's (cg-probe-nvidia) and compares
what they compute.

  cg_differ.py probes --ours P --nvidia P --data FILE --known FILE --cases DIR [--coverage FILE]
  cg_differ.py fuzz   --ours P --nvidia P --seed N --seconds S [--keep DIR]

probes: each line of the data file is one call of the standard library on inputs read from
uniforms (so that neither compiler can fold it); each file of the cases folder is a whole program,
a fragment program or (with a "//@ vertex" line) a vertex program; the coverage table's rows that
work are drawn too.
The known file lists the disagreements not fixed yet; the run fails on any other disagreement and
on a listed one that now agrees, so the list can only shrink.
fuzz: random programs (cg_fuzz.py) for a fixed time from a fixed seed; a disagreement fails it.
"""
import argparse
import math
import os
import random
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
# The source tree gets no __pycache__ from a test run.
sys.dont_write_bytecode = True
import cg_fuzz  # noqa: E402

TOOL_TIMEOUT = 600


# ---- running the two tools ------------------------------------------------------------------

def read_pixel(line):
    """Four values as cg-probe prints them; None for anything else a library printed."""
    words = line.split()
    try:
        values = [float.fromhex(w) if 'x' in w else float(w) for w in words]
    except ValueError:
        return None
    return values if len(values) == 4 else None


def run_tool(tool, paths):
    """{path: list of pixels (4 floats each), or the error text} for each path."""
    done = subprocess.run([tool] + paths, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          timeout=TOOL_TIMEOUT, check=False)
    if done.returncode not in (0, 1):
        raise RuntimeError('%s ended with status %d' % (tool, done.returncode))
    results, current = {}, None
    for line in done.stdout.decode('utf-8', 'replace').splitlines():
        if line.startswith('== '):
            current = line[3:]
            results[current] = []
        elif current is None:
            continue
        elif line.startswith('error: '):
            results[current] = line[7:]
        elif isinstance(results[current], list):
            pixel = read_pixel(line)
            if pixel is not None:
                results[current].append(pixel)
    missing = [p for p in paths if p not in results]
    if missing:
        raise RuntimeError('%s printed nothing for %s' % (tool, missing[0]))
    return results


def run_both(tools, paths):
    return run_tool(tools[0], paths), run_tool(tools[1], paths)


# ---- comparing ------------------------------------------------------------------------------

def ulp(x):
    """The spacing of single-precision floats at x."""
    x = abs(x)
    if x < 2.0 ** -126:
        return 2.0 ** -149
    return 2.0 ** (math.frexp(x)[1] - 24)


def parse_tolerance(words):
    """'exact', or any of 'ulp N' and 'near E': a difference within either passes."""
    tolerance = {'ulp': 0.0, 'near': 0.0}
    words = list(words)
    if words == ['exact']:
        return tolerance
    if not words or len(words) % 2:
        raise ValueError('bad tolerance: %s' % ' '.join(words))
    for kind, value in zip(words[::2], words[1::2]):
        if kind not in tolerance:
            raise ValueError('bad tolerance: %s' % ' '.join(words))
        tolerance[kind] = float(value)
    return tolerance


def same_value(a, b, tolerance):
    """NaN agrees only with NaN (its sign means nothing), an infinity only with itself, -0 with
    0; finite values within the tolerance."""
    if math.isnan(a) or math.isnan(b):
        return math.isnan(a) and math.isnan(b)
    if math.isinf(a) or math.isinf(b):
        return a == b
    difference = abs(a - b)
    return (difference <= tolerance['near'] or
            difference <= tolerance['ulp'] * ulp(max(abs(a), abs(b))))


def same_pixels(ours, theirs, tolerance):
    return len(ours) == len(theirs) and all(
        same_value(a, b, tolerance) for p, q in zip(ours, theirs) for a, b in zip(p, q))


def spell(pixels):
    return ' | '.join(' '.join('%.9g' % v for v in p) for p in pixels)


def judge(ours, theirs, tolerance):
    """None when they agree, else what differs."""
    if isinstance(theirs, str):
        if isinstance(ours, str):
            return 'neither compiles it: ' + theirs
        return 'cgc refuses it (%s), ours computes %s' % (theirs, spell(ours))
    if isinstance(ours, str):
        return 'ours refuses it: %s' % ours
    if same_pixels(ours, theirs, tolerance):
        return None
    return 'ours %s, cgc %s' % (spell(ours), spell(theirs))


# ---- the probes -----------------------------------------------------------------------------

# The samplers a probe may name; cg-probe binds a 4x4 float texture to sampler2Ds and nothing to
# the others, which then read as an incomplete texture: (0, 0, 0, 1).
SAMPLERS = {'image': 'sampler2D', 'line': 'sampler1D', 'volume': 'sampler3D', 'cube': 'samplerCUBE',
            'rect': 'samplerRECT'}
SCALARS = ('float', 'half', 'fixed', 'int', 'bool')
SWIZZLE = 'xyzw'


def parse_type(name):
    """(scalar, rows, columns): rows 0 for a vector or scalar."""
    for scalar in SCALARS:
        if not name.startswith(scalar):
            continue
        rest = name[len(scalar):]
        if rest == '':
            return scalar, 0, 1
        if len(rest) == 1 and rest in '1234':
            return scalar, 0, int(rest)
        if len(rest) == 3 and rest[1] == 'x' and rest[0] in '1234' and rest[2] in '1234':
            return scalar, int(rest[0]), int(rest[2])
    raise ValueError('unknown type %s' % name)


def read_vector(scalar, columns, uniform):
    """A value of the type read from a float4 uniform."""
    value = '%s.%s' % (uniform, SWIZZLE[:columns])
    if scalar == 'bool':
        return '(%s != 0)' % value if columns == 1 else \
            'bool%d(%s != 0)' % (columns, value)
    if scalar == 'float':
        return value
    return '%s%s(%s)' % (scalar, '' if columns == 1 else columns, value)


class Probe:
    def __init__(self, line, number):
        fields = [f.strip() for f in line.split('|')]
        if len(fields) != 3:
            raise ValueError('line %d: want TOLERANCE | EXPRESSION | INPUTS' % number)
        self.tolerance = parse_tolerance(fields[0].split())
        # Statements may come first (for calls with out parameters): "sincos(a, s, c); s + c".
        *self.statements, self.expression = [part.strip() for part in fields[1].split(';')]
        self.key = '%s | %s' % (fields[1], fields[2])
        self.inputs = []
        for word in fields[2].split():
            name, rest = word.split('=', 1)
            type_name, values = rest.split(':', 1)
            self.inputs.append((name, type_name, [float(v) for v in values.split(',')]))

    def code(self):
        """(declarations, uniforms as (name, 4 values))."""
        lines, uniforms = [], []
        for name, type_name, values in self.inputs:
            scalar, rows, columns = parse_type(type_name)
            need = max(rows, 1) * columns
            if len(values) != need:
                raise ValueError('%s: %s wants %d values' % (self.key, type_name, need))
            vectors = []
            for row in range(max(rows, 1)):
                u = 'u%d' % len(uniforms)
                part = values[row * columns:(row + 1) * columns]
                uniforms.append((u, part + [0.0] * (4 - len(part))))
                vectors.append(read_vector(scalar, columns, u))
            init = vectors[0] if rows == 0 else '%s(%s)' % (type_name, ', '.join(vectors))
            lines.append('%s %s = %s;' % (type_name, name, init))
        return lines + [statement + ';' for statement in self.statements], uniforms


def widen(scalar, size):
    """A function that turns a result of the type into the float4 a pixel holds."""
    parts = ['(float)v'] if size == 1 else ['(float)v.' + c for c in SWIZZLE[:size]]
    return 'float4 widen(%s%s v) { return float4(%s); }\n' % (
        scalar, '' if size == 1 else size, ', '.join(parts + ['0'] * (4 - size)))


WIDEN = ''.join(widen(scalar, size) for scalar in ('float', 'int', 'bool') for size in range(1, 5))


def uniform_lines(uniforms):
    return ''.join('//@ %s %s\n' % (name, ' '.join(v.hex() for v in values))
                   for name, values in uniforms)


def probe_program(probe):
    """The program that computes the probe into its one pixel."""
    declarations, uniforms = probe.code()
    parameters = ''.join(',\n          uniform %s %s' % (SAMPLERS[name], name)
                         for name in SAMPLERS if re.search(r'\b%s\b' % name, probe.expression))
    parameters += ''.join(',\n          uniform float4 %s' % name for name, _ in uniforms)
    return ('%s%s'
            'float4 main(float4 t : TEXCOORD0%s) : COLOR\n{\n'
            '%s    return widen(%s);\n}\n' % (
                uniform_lines(uniforms), WIDEN, parameters,
                ''.join('    %s\n' % d for d in declarations), probe.expression))


def write(folder, name, text):
    path = os.path.join(folder, name)
    with open(path, 'w') as out:
        out.write(text)
    return path


def read_probes(path):
    probes = []
    with open(path) as lines:
        for number, line in enumerate(lines, 1):
            line = line.split('#', 1)[0].strip()
            if line:
                probes.append(Probe(line, number))
    return probes


def read_known(path):
    """{key: cause} from 'key  # cause' lines."""
    known = {}
    with open(path) as lines:
        for line in lines:
            if line.strip() and not line.startswith('#'):
                key, _, cause = line.partition('#')
                known[key.strip()] = cause.strip()
    return known


def case_tolerance(path):
    """A case's '//# tolerance ...' line; exact without one."""
    with open(path) as lines:
        for line in lines:
            if line.startswith('//# tolerance'):
                return parse_tolerance(line.split()[2:])
    return parse_tolerance(['exact'])


def compare_probes(args):
    tools = (args.ours, args.nvidia)
    probes = read_probes(args.data)
    keys = [p.key for p in probes]
    if len(set(keys)) != len(keys):
        raise ValueError('a probe is listed twice')
    outcomes = {}
    with tempfile.TemporaryDirectory() as folder:
        # Each probe is a program of its own: in one with others, what one of them brings to the
        # whole (a GLSL version, a legalization) would hide what another lacks.
        paths = [write(folder, 'probe%d.cg' % k, probe_program(p)) for k, p in enumerate(probes)]
        ours, theirs = run_both(tools, paths)
        for probe, path in zip(probes, paths):
            outcomes[probe.key] = judge(ours[path], theirs[path], probe.tolerance)
    cases = sorted(os.path.join(args.cases, f) for f in os.listdir(args.cases)
                   if f.endswith('.cg'))
    ours, theirs = run_both(tools, cases) if cases else ({}, {})
    for path in cases:
        key = 'cases/' + os.path.basename(path)
        outcomes[key] = judge(ours[path], theirs[path], case_tolerance(path))
    if args.coverage:
        outcomes.update(compare_coverage(tools, args.coverage))
    return report(outcomes, read_known(args.known))


# What the coverage table says works must compute what cgc computes: its rows' examples (entry
# main) are programs cg-probe runs as they stand, a fragment row's as the program drawn, a vertex
# row's with a fragment program that shows the varying it writes. Values not made exact by the
# example (interpolated inputs, inexact functions) differ by rounding alone.
COVERAGE_TOLERANCE = 'ulp 64 near 1e-4'
VERTEX_PIXELS = 4


def coverage_rows(path, stage):
    """(form, example) of each row of the stage marked works."""
    rows = []
    with open(path) as lines:
        for line in lines:
            cells = [c.strip() for c in line.strip().strip('|').split(' | ')]
            if len(cells) == 4 and cells[1] == 'works' and cells[2] == stage and \
                    cells[3].startswith('`') and cells[3].endswith('`'):
                rows.append((cells[0], cells[3][1:-1]))
    return rows


def defined_by_probe(example):
    """Whether all the example reads is set by cg-probe: its one varying is TEXCOORD0, which the
    probe's vertex program writes, and the samplers it reads are sampler2Ds, which it binds. What
    else it reads (another varying, an unbound sampler) is undefined, in both runtimes alike."""
    entry = re.search(r'\bmain\s*\(([^)]*)\)', example)
    inputs = re.findall(r':\s*(\w+)', entry.group(1)) if entry else []
    others = set(re.findall(r'\b(?:sampler(?:1D|3D|CUBE|RECT|2DShadow))\s+(\w+)', example))
    read = set(re.findall(r'\b\w+\s*\(\s*(\w+)\s*,', example))
    return all(i == 'TEXCOORD0' for i in inputs) and not others & read


def shown_varying(example):
    """The '//@' lines that show what a vertex example writes besides its POSITION: a colour or
    texture coordinate set as it comes, FOG as a float, a back colour on a quad facing away.
    None when it writes nothing a fragment program reads (PSIZE, CLPn)."""
    outputs = re.findall(r'\b(?:out\s+\w+|\w+\s+out)\s+\w+\s*:\s*(\w+)', example)
    for semantic in outputs:
        back = re.fullmatch(r'BCOL([01])', semantic)
        if back:
            return ['varying COLOR' + back.group(1), 'backface']
        if re.fullmatch(r'COLOR[01]?|TEXCOORD[0-7]|FOG', semantic):
            return ['varying ' + semantic]
    return None


def vertex_program(example, setup):
    return ''.join('//@ %s\n' % line for line in ['vertex', 'pixels %d' % VERTEX_PIXELS] + setup) + \
        example + '\n'


def coverage_programs(path):
    """{form: program} of every row that works and draws what both runtimes define."""
    fragment = coverage_rows(path, 'fragment')
    vertex = coverage_rows(path, 'vertex')
    if not fragment or not vertex:
        raise ValueError('%s has no fragment or no vertex row that works' % path)
    programs = {form: example + '\n' for form, example in fragment if defined_by_probe(example)}
    drawn_fragment = len(programs)
    for form, example in vertex:
        setup = shown_varying(example)
        if setup is not None:
            programs[form] = vertex_program(example, setup)
    print('coverage: %d fragment rows that work, %d compared (the others read what the probe '
          'leaves undefined); %d vertex rows that work, %d compared (the others write no varying '
          'a fragment program reads)' % (len(fragment), drawn_fragment, len(vertex),
                                         len(programs) - drawn_fragment))
    return programs


def compare_coverage(tools, path):
    outcomes = {}
    programs = coverage_programs(path)
    with tempfile.TemporaryDirectory() as folder:
        paths = {form: write(folder, 'row%d.cg' % k, program)
                 for k, (form, program) in enumerate(programs.items())}
        ours, theirs = run_both(tools, list(paths.values()))
        tolerance = parse_tolerance(COVERAGE_TOLERANCE.split())
        for form, row_path in paths.items():
            outcomes['coverage: ' + form] = judge(ours[row_path], theirs[row_path], tolerance)
    return outcomes


def check_known(differ, known, present):
    """Prints each disagreement of differ ({key: what}), known or new, and each listed one that
    no longer disagrees; True when any is new or no longer disagrees."""
    failed = False
    for key, what in differ.items():
        listed = key in known
        failed = failed or not listed
        print('%s %s: %s%s' % ('known' if listed else 'NEW  ', key, what,
                               ('  # ' + known[key]) if listed else ''))
    for key in known:
        if key not in differ:
            failed = True
            print('stale known disagreement (%s): %s' % (
                'now agrees' if key in present else 'not run', key))
    return failed


def report(outcomes, known):
    differ = {k: v for k, v in outcomes.items() if v is not None}
    print('probes run: %d, agree: %d, disagree: %d' % (
        len(outcomes), len(outcomes) - len(differ), len(differ)))
    return 1 if check_known(differ, known, outcomes) else 0


# ---- the fuzzer -----------------------------------------------------------------------------

def fuzz(args):
    tools = (args.ours, args.nvidia)
    rng = random.Random(args.seed)
    tolerance = parse_tolerance(cg_fuzz.TOLERANCE.split())
    end = time.monotonic() + args.seconds
    counts = {'run': 0, 'both': 0, 'agree': 0, 'cgc refuses': 0}
    differ = []
    with tempfile.TemporaryDirectory() as folder:
        while time.monotonic() < end:
            paths = []
            for _ in range(args.batch):
                counts['run'] += 1
                paths.append(write(folder, 'f%d.cg' % counts['run'], cg_fuzz.program(rng)))
            ours, theirs = run_both(tools, paths)
            for path in paths:
                if isinstance(theirs[path], str):
                    counts['cgc refuses'] += 1
                    continue
                counts['both'] += 0 if isinstance(ours[path], str) else 1
                what = judge(ours[path], theirs[path], tolerance)
                if what is None:
                    counts['agree'] += 1
                    continue
                differ.append(path)
                print('DISAGREE %s: %s' % (os.path.basename(path), what))
                if args.keep:
                    os.makedirs(args.keep, exist_ok=True)
                    with open(path) as text:
                        write(args.keep, os.path.basename(path), text.read())
    print('fuzz seed %d, %g s: programs run: %d, cgc compiles: %d, both compile: %d, '
          'agree: %d, disagree: %d' % (
              args.seed, args.seconds, counts['run'], counts['run'] - counts['cgc refuses'],
              counts['both'], counts['agree'], len(differ)))
    if counts['run'] - counts['cgc refuses'] < counts['run'] // 2:
        print('cgc refuses most generated programs: the generator is broken')
        return 1
    return 1 if differ else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('mode', choices=['probes', 'fuzz'])
    parser.add_argument('--ours', required=True)
    parser.add_argument('--nvidia', required=True)
    parser.add_argument('--data')
    parser.add_argument('--known')
    parser.add_argument('--cases')
    parser.add_argument('--coverage', help="the coverage table, whose rows that work are compared")
    parser.add_argument('--seed', type=int, default=1)
    parser.add_argument('--seconds', type=float, default=60)
    parser.add_argument('--batch', type=int, default=20)
    parser.add_argument('--keep', help='a folder for the programs that disagree')
    args = parser.parse_args()
    if args.mode == 'probes' and not (args.data and args.known and args.cases):
        parser.error('probes needs --data, --known and --cases')
    return compare_probes(args) if args.mode == 'probes' else fuzz(args)


if __name__ == '__main__':
    sys.exit(main())
