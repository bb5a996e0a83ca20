#!/usr/bin/env python3
"""Runs each benchmark script with pscript and as a native program built by `fpc -O2` from
the same source (prelude.pas supplies RaiseException and GetTickCount), checks that both
print the same result and prints the ratio of their processor times; then times the compilation of generated
scripts of growing length. Usage: run_bench.py PSCRIPT [SCRIPT...]"""
import math
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def cpu_of_children():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime


def best_time(cmd, runs=5):
    """The least processor time (user + system) of several runs: on a shared machine the
    wall clock measures the neighbours as much as the program."""
    best, out = None, None
    for _ in range(runs):
        t0 = cpu_of_children()
        p = subprocess.run(cmd, capture_output=True, text=True)
        t = cpu_of_children() - t0
        if p.returncode != 0:
            raise RuntimeError(f"{cmd} failed: {p.stdout}{p.stderr}")
        out = p.stdout
        best = t if best is None else min(best, t)
    return best, out


def build_native(src, work):
    exe = os.path.join(work, os.path.splitext(os.path.basename(src))[0])
    cmd = ["fpc", "-O2", "-Mdelphi", "-CF64", "-FaSysUtils,prelude", "-Fu" + HERE, "-FE" + work, "-o" + exe, src]
    p = subprocess.run(cmd, capture_output=True, text=True)
    if p.returncode != 0:
        raise RuntimeError(f"fpc failed on {src}:\n{p.stdout}")
    return exe


def generated_script(lines):
    """A script of about `lines` lines: many small routines and a main block calling them."""
    body = ["var total: Integer;"]
    n = 0
    while len(body) < lines - 10:
        body += [f"procedure P{n}(A: Integer; var S: string);", "var x, y: Integer;", "begin",
                 "  x := A * 2 + 1;", "  if x > 10 then total := total + x else total := total - 1;",
                 "  for y := 1 to 3 do S := S + IntToStr(y);", "end;"]
        n += 1
    body += ["var s: string;", "begin"] + [f"  P{i}({i}, s);" for i in range(min(n, 50))] + ["end."]
    return "\n".join(body) + "\n"


def main():
    if len(sys.argv) < 2 or shutil.which("fpc") is None:
        print("usage: run_bench.py PSCRIPT [SCRIPT...]  (needs fpc)")
        return 2
    pscript = os.path.abspath(sys.argv[1])
    scripts = sys.argv[2:] or sorted(
        os.path.join(HERE, "scripts", f) for f in os.listdir(os.path.join(HERE, "scripts")) if f.endswith(".pas"))
    ratios = []
    ok = True
    with tempfile.TemporaryDirectory() as work:
        print(f"{'benchmark':<18}{'pscript s':>11}{'fpc -O2 s':>11}{'ratio':>9}")
        for src in scripts:
            exe = build_native(src, work)
            tn, on = best_time([exe])
            ts, os_ = best_time([pscript, "run", src])
            name = os.path.splitext(os.path.basename(src))[0]
            ratio = ts / max(tn, 1e-4)
            ratios.append(ratio)
            same = "" if on == os_ else "  OUTPUT DIFFERS: %r vs %r" % (os_.strip(), on.strip())
            ok = ok and not same
            print(f"{name:<18}{ts:>11.3f}{tn:>11.3f}{ratio:>8.1f}x{same}")
        geo = math.exp(sum(math.log(r) for r in ratios) / len(ratios))
        print(f"{'geometric mean':<40}{geo:>8.1f}x")
        print()
        print(f"{'compile lines':<18}{'seconds':>11}{'per 1000':>11}")
        for lines in (11000, 22000, 44000):
            path = os.path.join(work, f"gen{lines}.pas")
            with open(path, "w") as f:
                f.write(generated_script(lines))
            best = None
            for _ in range(3):
                p = subprocess.run([pscript, "bench", path], capture_output=True, text=True)
                if p.returncode != 0:
                    raise RuntimeError(p.stdout + p.stderr)
                ms = float(p.stderr.split("compile:")[1].split("ms")[0])
                best = ms if best is None else min(best, ms)
            print(f"{lines:<18}{best / 1000:>11.3f}{best / lines:>11.4f}")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
