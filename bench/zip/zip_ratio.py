#!/usr/bin/env python3
"""UnzipFile against `unzip -o -q` in the same run, on two archives made here: a few large
deflated files (inflate and write speed) and 3000 small files in nested folders (per-entry
cost). Each tool extracts into a fresh folder, best of three; prints our time over theirs
(target <= 1.5): the routine's own CPU (a script calls it in a running player, so Qt's
start-up is not its cost) and, for reference, the whole process's.
Usage: bench/zip/zip_ratio.py [build folder]"""
import os
import random
import resource
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build", "release")
bench = os.path.join(build, "bench", "zip", "zip_bench")


def measure(command, target, runs=3):
    """Best of `runs` by CPU time: (wall seconds, CPU seconds of the child, and the routine's
    (wall, CPU) when the child prints a "routine WALL CPU" line)."""
    best = None
    for _ in range(runs):
        shutil.rmtree(target, ignore_errors=True)
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        out = subprocess.run(command, check=True, stdout=subprocess.PIPE, text=True).stdout
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        lines = [ln.split() for ln in out.splitlines() if ln.startswith("routine ")]
        own = (float(lines[0][1]), float(lines[0][2])) if lines else (wall, cpu)
        if best is None or own[1] < best[2][1]:
            best = (wall, cpu, own)
    shutil.rmtree(target, ignore_errors=True)
    return best


def text(rng, size):
    words = [b"autorun ", b"presentation ", b"music ", b"picture ", b"project ", b"\r\n", b"show "]
    out = bytearray()
    while len(out) < size:
        out += rng.choice(words)
    return bytes(out[:size])


def make_archives(tmp):
    rng = random.Random(24)
    large = os.path.join(tmp, "large.zip")
    with zipfile.ZipFile(large, "w", zipfile.ZIP_DEFLATED) as z:
        for i in range(4):
            z.writestr(f"media/text{i}.txt", text(rng, 8 << 20))
        z.writestr("media/noise.bin", rng.randbytes(8 << 20))
    small = os.path.join(tmp, "small.zip")
    with zipfile.ZipFile(small, "w", zipfile.ZIP_DEFLATED) as z:
        for i in range(3000):
            z.writestr(f"site/d{i % 30}/s{i % 7}/page{i}.html", text(rng, rng.randrange(200, 6000)))
    return [("4 x 8 MB text + 8 MB noise", large), ("3000 small files", small)]


def main():
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        os.environ.update(env)
        target = os.path.join(tmp, "out")
        for name, archive in make_archives(tmp):
            their_wall, their_cpu, _ = measure(["unzip", "-o", "-q", archive, "-d", target], target)
            our_wall, our_cpu, (routine_wall, routine_cpu) = measure([bench, archive, target], target)
            print(f"{name}: unzip -o -q {their_cpu:.3f} s cpu ({their_wall:.3f} s wall); UnzipFile "
                  f"routine {routine_cpu:.3f} s cpu ({routine_wall:.3f} s wall), whole process "
                  f"{our_cpu:.3f} s cpu; ratio {routine_cpu / their_cpu:.2f}x (target <= 1.5x), "
                  f"whole process {our_cpu / their_cpu:.2f}x")


if __name__ == "__main__":
    main()
