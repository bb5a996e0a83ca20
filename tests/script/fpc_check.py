#!/usr/bin/env python3
"""Checks the expected output of the conformance scripts marked "// fpc-compatible"
against Free Pascal: each is compiled by fpc (Delphi mode, with the benchmark prelude for
RaiseException and GetTickCount) and its output compared with the "// expect:" lines.
Usage: fpc_check.py [SCRIPT...]"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
PRELUDE = os.path.join(HERE, "..", "..", "bench", "script")


def expected(path):
    out = []
    with open(path, encoding="latin-1") as f:
        for line in f:
            if "// expect: " in line:
                out.append(line.split("// expect: ", 1)[1].rstrip("\r\n"))
    return out


def main():
    files = sys.argv[1:]
    if not files:
        for root, _, names in os.walk(os.path.join(HERE, "conformance")):
            for n in sorted(names):
                p = os.path.join(root, n)
                if n.endswith(".pas") and "// fpc-compatible" in open(p, encoding="latin-1").read():
                    files.append(p)
    failed = 0
    with tempfile.TemporaryDirectory() as work:
        for src in files:
            exe = os.path.join(work, "prog")
            p = subprocess.run(["fpc", "-Mdelphi", "-CF64", "-FaSysUtils,prelude", "-Fu" + PRELUDE, "-FE" + work,
                                "-o" + exe, src], capture_output=True, text=True)
            if p.returncode != 0:
                print(f"FAIL {src}: fpc could not compile it\n{p.stdout[-800:]}")
                failed += 1
                continue
            run = subprocess.run([exe], capture_output=True, text=True, encoding="latin-1")
            got = run.stdout.splitlines()
            if got != expected(src):
                print(f"FAIL {src}\n  fpc:      {got}\n  expected: {expected(src)}")
                failed += 1
            else:
                print(f"ok   {os.path.relpath(src, HERE)}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
