#!/usr/bin/env python3
"""UnzipFile against `unzip -o -q` in the same run, on two archives made here: a few large
deflated files (inflate and write speed) and 3000 small files in nested folders (per-entry
cost). Each tool extracts into a fresh folder, best of three; prints our time over theirs
(target <= 1.5). Usage: bench/zip/zip_ratio.py [build folder]"""
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
    """Best of `runs` by CPU time: (wall seconds, CPU seconds of the child)."""
    best = None
    for _ in range(runs):
        shutil.rmtree(target, ignore_errors=True)
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        if best is None or cpu < best[1]:
            best = (wall, cpu)
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
            their_wall, their_cpu = measure(["unzip", "-o", "-q", archive, "-d", target], target)
            our_wall, our_cpu = measure([bench, archive, target], target)
            print(f"{name}: unzip -o -q {their_cpu:.3f} s cpu ({their_wall:.3f} s wall), UnzipFile "
                  f"{our_cpu:.3f} s cpu ({our_wall:.3f} s wall); ratio cpu {our_cpu / their_cpu:.2f}x, "
                  f"wall {our_wall / their_wall:.2f}x (target <= 1.5x)")


if __name__ == "__main__":
    main()
