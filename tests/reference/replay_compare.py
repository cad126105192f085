#!/usr/bin/env python3
"""Runs retroarch-replay on each preset twice, with NVIDIA's Cg libraries and with ours in their
place (LD_LIBRARY_PATH; the replay has no run path of its own), and compares what it printed line
for line and what it drew frame for frame.

Usage: replay_compare.py REPLAY NVIDIA_LIB_DIR OUR_LIB_DIR OUT_DIR KNOWN NAME=PASS[,PASS...]...
KNOWN lists the presets known to differ, "NAME: why" a line: they are reported, not failed, and
one that agrees is a failure too, so that the list only shrinks. A frame matches when no channel of any pixel differs by more than TOLERANCE: NVIDIA's runtime runs
ARB assembly where ours runs GLSL, and the two may round a last bit apart."""
import os
import subprocess
import sys

TOLERANCE = 2


def run(replay, lib_dir, prefix, passes):
    env = dict(os.environ, LD_LIBRARY_PATH=lib_dir)
    done = subprocess.run([replay, prefix, *passes], env=env, capture_output=True, text=True,
                          timeout=300)
    runtime = [l for l in done.stderr.splitlines() if l.startswith("runtime: ")]
    if not runtime or os.path.dirname(runtime[0][len("runtime: "):]) != os.path.realpath(lib_dir):
        sys.exit(f"replay-compare: {prefix} did not run on {lib_dir}: {done.stderr.strip()}")
    return done.returncode, done.stdout.splitlines()


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    header = data.split(b"\n", 3)
    return header[1], data[len(b"\n".join(header[:3])) + 1:]


def compare_frames(name, ours_prefix, theirs_prefix):
    faults, frame = [], 0
    while os.path.exists(f"{theirs_prefix}-{frame}.ppm"):
        size, theirs = read_ppm(f"{theirs_prefix}-{frame}.ppm")
        if not os.path.exists(f"{ours_prefix}-{frame}.ppm"):
            return faults + [f"{name}: frame {frame} not drawn by ours"], frame
        our_size, ours = read_ppm(f"{ours_prefix}-{frame}.ppm")
        off = [abs(a - b) for a, b in zip(ours, theirs)]
        far = sum(1 for d in off if d > TOLERANCE)
        print(f"replay-compare: {name} frame {frame}: largest difference {max(off, default=0)}, "
              f"{far} channels beyond {TOLERANCE}")
        if our_size != size or far:
            faults.append(f"{name}: frame {frame} differs ({far} channels)")
        frame += 1
    return faults, frame


def main():
    if len(sys.argv) < 7:
        sys.exit(__doc__)
    replay, nvidia, ours, out, known_file = sys.argv[1:6]
    with open(known_file, encoding="utf-8") as f:
        known = dict(l.split(":", 1) for l in f.read().splitlines() if l and not l.startswith("#"))
    os.makedirs(out, exist_ok=True)
    faults = []
    for preset in sys.argv[6:]:
        name, passes = preset.split("=", 1)
        before = len(faults)
        results = {}
        for who, lib_dir in (("nvidia", nvidia), ("ours", ours)):
            results[who] = run(replay, lib_dir, os.path.join(out, f"{name}-{who}"),
                               passes.split(","))
        (their_status, theirs), (our_status, mine) = results["nvidia"], results["ours"]
        print(f"replay-compare: {name}: {len(theirs)} lines from NVIDIA's, {len(mine)} from ours")
        if their_status != 0:
            faults.append(f"{name}: NVIDIA's run ended with {their_status}")
        if (our_status, mine) != (their_status, theirs):
            first = next((i for i, (a, b) in enumerate(zip(theirs, mine)) if a != b),
                         min(len(theirs), len(mine)))
            faults.append(f"{name}: output differs from line {first + 1}: NVIDIA's "
                          f"{theirs[first] if first < len(theirs) else '(end)'!r}, ours "
                          f"{mine[first] if first < len(mine) else '(end)'!r} (status "
                          f"{their_status}/{our_status})")
        frame_faults, frames = compare_frames(name, os.path.join(out, f"{name}-ours"),
                                              os.path.join(out, f"{name}-nvidia"))
        faults += frame_faults
        if frames == 0:
            faults.append(f"{name}: NVIDIA's run drew no frame")
        differs = len(faults) > before
        if name in known:
            print(f"replay-compare: {name}: known to differ:{known[name]}")
            if differs:
                for fault in faults[before:]:
                    print("replay-compare: known: " + fault)
                del faults[before:]
            else:
                faults.append(f"{name}: agrees now: take it off {known_file}")
    for fault in faults:
        print("replay-compare: " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
