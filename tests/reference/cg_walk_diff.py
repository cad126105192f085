#!/usr/bin/env python3
"""Runs cg-walk with NVIDIA's libCg/libCgGL and with ours in their place, and compares the two.

  cg_walk_diff.py --walk BIN --cases FILE --root DIR... --nvidia-lib DIR --build DIR
                  --known FILE [--ours-lib DIR] [--out DIR]

cg-walk is built against NVIDIA's headers and linked by SONAME without a run path, so that
LD_LIBRARY_PATH alone picks the runtime it runs on. NVIDIA's is run twice: its output must be the
same both times, or no comparison could be trusted. Ours are the libCg.so and libCgGL.so found in
--ours-lib (or CG_OURS), else anywhere under --build; where there are none the run fails and says
so. The outputs are compared section by section ("== " lines: the runtime, each case, the bad
calls); it prints the program pairs compared, those identical, and the first differing line of
each that is not. The known file lists sections that differ for a known reason
("SECTION  # reason"); the run fails on any other difference and on a listed section that no
longer differs.
"""
import argparse
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True
from cg_differ import check_known, read_known  # noqa: E402

RUN_TIMEOUT = 600
LIBRARIES = ('libCg.so', 'libCgGL.so')


def run_walk(args, library_dir):
    """cg-walk's output on the libraries of library_dir, and a note when it did not end well."""
    env = dict(os.environ, LD_LIBRARY_PATH=library_dir)
    command = [args.walk] + [w for root in args.root for w in ('--root', root)] + [args.cases]
    try:
        done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env,
                              timeout=RUN_TIMEOUT, check=False)
    except subprocess.TimeoutExpired as stopped:
        return (stopped.stdout or b'').decode('utf-8', 'replace'), \
            'cg-walk did not end within %d s' % RUN_TIMEOUT
    note = None
    if done.returncode != 0:
        last = done.stderr.decode('utf-8', 'replace').strip().splitlines()[-1:]
        note = 'cg-walk ended with status %d%s' % (done.returncode,
                                                   (': ' + last[0]) if last else '')
    return done.stdout.decode('utf-8', 'replace'), note


def sections(text):
    """{header: [lines]} in the order printed; lines before the first header go under ''."""
    found, current = {'': []}, ''
    for line in text.splitlines():
        if line.startswith('== '):
            current = line[3:]
            found[current] = []
        else:
            found[current].append(line)
    return found


def first_difference(ours, theirs):
    """None when the two line lists are the same, else where and how they first part."""
    for number, (mine, nvidia) in enumerate(zip(ours, theirs), 1):
        if mine != nvidia:
            return 'line %d:\n    nvidia: %s\n    ours:   %s' % (number, nvidia, mine)
    if len(ours) == len(theirs):
        return None
    shorter = 'ours' if len(ours) < len(theirs) else 'nvidia'
    longer = theirs if shorter == 'ours' else ours
    return 'line %d: %s stops here; the other goes on: %s' % (
        min(len(ours), len(theirs)) + 1, shorter, longer[min(len(ours), len(theirs))])


def find_ours(args):
    """The folder of our two libraries, or None."""
    if args.ours_lib:
        folders = [args.ours_lib]
    else:
        folders = sorted(folder for folder, _, files in os.walk(args.build)
                         if all(name in files for name in LIBRARIES))
    nvidia = os.path.realpath(args.nvidia_lib)
    for folder in folders:
        if (os.path.realpath(folder) != nvidia and
                all(os.path.isfile(os.path.join(folder, name)) for name in LIBRARIES)):
            return folder
    return None


def check_stable(args):
    """NVIDIA's output, or None (after saying why) when two runs of it differ."""
    first, note = run_walk(args, args.nvidia_lib)
    if note:
        print('cg-walk on NVIDIA\'s libraries: %s' % note)
        return None
    # Sections that could not start (no display) print outside any: nothing was walked.
    stray = sections(first)['']
    if stray or 'runtime' not in sections(first):
        print('cg-walk on NVIDIA\'s libraries walked nothing: %s' % (
            stray[0] if stray else 'no output'))
        return None
    again, _ = run_walk(args, args.nvidia_lib)
    difference = first_difference(again.splitlines(), first.splitlines())
    if difference:
        print('cg-walk on NVIDIA\'s libraries printed two different outputs, %s' % difference)
        return None
    return first


def save(folder, name, text):
    if folder:
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, name), 'w') as out:
            out.write(text)


def report(theirs, ours, known):
    """Prints the comparison; 0 when every difference is a listed one and every listed one
    still differs."""
    cases = [key for key in theirs if key not in ('', 'runtime', 'bad calls')]
    differing = {}
    for key, lines in theirs.items():
        difference = first_difference(ours.get(key, []), lines)
        if key not in ours:
            difference = 'missing from ours'
        if difference:
            differing[key] = difference
    for key in ours:
        if key not in theirs:
            differing[key] = 'only in ours'
    print('program pairs compared: %d, identical: %d, differing: %d '
          '(sections differing, the runtime and the bad calls counted: %d)' % (
              len(cases), len([c for c in cases if c not in differing]),
              len([c for c in cases if c in differing]), len(differing)))
    return 1 if check_known(differing, known, theirs) else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--walk', required=True)
    parser.add_argument('--cases', required=True)
    parser.add_argument('--root', action='append', required=True)
    parser.add_argument('--nvidia-lib', required=True)
    parser.add_argument('--build', required=True)
    parser.add_argument('--known', required=True)
    parser.add_argument('--ours-lib', default=os.environ.get('CG_OURS'))
    parser.add_argument('--out', help='a folder for both outputs')
    args = parser.parse_args()
    theirs = check_stable(args)
    if theirs is None:
        return 1
    save(args.out, 'nvidia.txt', theirs)
    print('NVIDIA\'s runtime: %d lines, the same in two runs' % len(theirs.splitlines()))
    missing = [line for line in theirs.splitlines() if line.startswith('missing file ')]
    if missing:
        print('%d cases not walked, their files not found under %s (first: %s)' % (
            len(missing), ' or '.join(args.root), missing[0][len('missing file '):]))
    folder = find_ours(args)
    if not folder:
        print('FAILED: our shared libraries %s are not in %s (nor given by --ours-lib or '
              'CG_OURS): build them, then run this again' % (' and '.join(LIBRARIES),
                                                             args.ours_lib or args.build))
        return 1
    ours, note = run_walk(args, folder)
    save(args.out, 'ours.txt', ours)
    print('ours (%s): %d lines%s' % (folder, len(ours.splitlines()), ', ' + note if note else ''))
    status = report(sections(theirs), sections(ours), read_known(args.known))
    if note:
        print('FAILED: %s' % note)
        status = 1
    return status


if __name__ == '__main__':
    sys.exit(main())
