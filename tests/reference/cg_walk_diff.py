#!/usr/bin/env python3
"""Runs cg-walk with NVIDIA's libCg/libCgGL and with ours in their place, and compares the two.

  cg_walk_diff.py --walk BIN --cases FILE --root DIR... --nvidia-lib DIR --build DIR
                  --known FILE [--ours-lib DIR] [--out DIR]

cg-walk is built against NVIDIA's headers and linked by SONAME without a run path, so that
LD_LIBRARY_PATH alone picks the runtime it runs on. NVIDIA's is run twice: its output must be the
same both times, or no comparison could be trusted. Ours are the libCg.so and libCgGL.so found in
--ours-lib (or CG_OURS), else anywhere under --build; where there are none the run fails and says
so. The outputs are compared section by section ("== " lines: the runtime, each case, the bad
calls); it prints the program pairs compared, those identical, and for each that is not, where
its lines part and the first line pair of each run of differing lines. Such a run is known by its
section and the kind of its first line (the words before its first value: "pointers",
'param "IN.video_size"', "compile main_fragment"). The known file lists the runs that differ for a
known reason ("SECTION :: KIND  # reason"); the run fails on any other difference, so a known one
hides nothing after it, and on a listed one that no longer differs.
"""
import difflib
import argparse
import os
import re
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


def kind(line):
    """What a line of the walk is about: its words before the first value."""
    return re.match(r'\s*(.*?)(?::|=| \w+=|$)', line).group(1).rstrip(' !')


def part_at(lines, number):
    """The part of a section ("-- " lines: an entry in a profile, a draw) line number is in."""
    for line in reversed(lines[:number + 1]):
        if line.startswith('-- '):
            return line[3:] + ' / '
    return ''


def differences(ours, theirs):
    """{kind: how the two part there} for each run of lines that differs, keyed by the part of
    the section and the kind of its first line."""
    found = {}
    matcher = difflib.SequenceMatcher(None, theirs, ours, autojunk=False)
    for tag, nvidia_from, nvidia_to, ours_from, ours_to in matcher.get_opcodes():
        if tag == 'equal':
            continue
        nvidia = theirs[nvidia_from] if nvidia_from < nvidia_to else '(nothing)'
        mine = ours[ours_from] if ours_from < ours_to else '(nothing)'
        side, at = (theirs, nvidia_from) if nvidia_from < nvidia_to else (ours, ours_from)
        key = part_at(side, at) + kind(side[at])
        found.setdefault(key, 'line %d:\n    nvidia: %s\n    ours:   %s' % (
            nvidia_from + 1, nvidia, mine))
    return found


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
    parting = list(differences(again.splitlines(), first.splitlines()).values())
    if parting:
        print('cg-walk on NVIDIA\'s libraries printed two different outputs, %s' % parting[0])
        return None
    return first


def save(folder, name, text):
    if folder:
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, name), 'w') as out:
            out.write(text)


def pictures(lines, part):
    """{'immediate': picture, 'pointers': picture} of the draw that is part of a section."""
    found, inside = {}, False
    for line in lines:
        if line.startswith('-- '):
            inside = line[3:] == part
        elif inside and line.split()[:1] in (['immediate'], ['pointers']):
            label, _, picture = line.strip().partition(' ')
            found[label] = picture
    return found


def fed_apart(ours, theirs, key):
    """Whether a pointer-fed picture differs because NVIDIA's runtime feeds the draw otherwise
    than it draws when fed through glVertex (it sends TEXCOORDn through generic attribute 8+n,
    which Mesa does not alias to the texture coordinates its GLSL reads): its two pictures
    differ, ours are one and the same."""
    part, _, what = key.rpartition(' / ')
    if what != 'pointers':
        return False
    mine, nvidia = pictures(ours, part), pictures(theirs, part)
    return (None not in (mine.get('pointers'), nvidia.get('pointers')) and
            mine.get('pointers') == mine.get('immediate') and
            nvidia.get('pointers') != nvidia.get('immediate'))


def report(theirs, ours, known):
    """Prints the comparison; 0 when every difference is a listed one and every listed one
    still differs."""
    cases = [key for key in theirs if key not in ('', 'runtime', 'bad calls')]
    differing = {}
    parted = set()
    fed = []
    for key, lines in theirs.items():
        if key not in ours:
            differing[key + ' :: (all)'] = 'missing from ours'
            parted.add(key)
            continue
        for what, where in differences(ours[key], lines).items():
            parted.add(key)
            if fed_apart(ours[key], lines, what):
                fed.append(key)
            else:
                differing['%s :: %s' % (key, what)] = where
    for key in ours:
        if key not in theirs:
            differing[key + ' :: (all)'] = 'only in ours'
            parted.add(key)
    print('program pairs compared: %d, identical: %d, differing: %d '
          '(sections differing, the runtime and the bad calls counted: %d)' % (
              len(cases), len([c for c in cases if c not in parted]),
              len([c for c in cases if c in parted]), len(parted)))
    if fed:
        only_fed = [c for c in cases if c in parted and
                    not any(k.startswith(c + ' :: ') for k in differing)]
        print('pointer-fed pictures NVIDIA\'s runtime draws otherwise than it draws through '
              'glVertex (it feeds TEXCOORDn through generic attribute 8+n, which Mesa does not '
              'alias), where ours draws one picture both ways: %d (first: %s); pairs that differ '
              'in nothing else: %d' % (len(fed), fed[0], len(only_fed)))
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
