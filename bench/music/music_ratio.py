#!/usr/bin/env python3
"""ConvertAudioToWAV against Debian's decoders in the same run: a 4-minute mp3 and ogg and
the tests' module lengthened to about four minutes, converted by music_bench --convert and by
mpg123 -w, oggdec and openmpt123 --render; prints our time over theirs (target <= 1.25).
The target is the routine's own CPU time (a script calls it in a running player) against the
peer's whole process; our whole process, with the player's start-up, is printed beside it.
Usage: bench/music/music_ratio.py [build folder]"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "media"))
from peer_run import make_test_audio, measure  # noqa: E402

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build", "release")
bench = os.path.join(build, "bench", "music", "music_bench")


def routine(command, runs=5):
    """Best of `runs` of the routine's (wall, CPU) seconds as music_bench --convert prints them,
    and of the whole process's."""
    best, process = None, None
    for _ in range(runs):
        out = subprocess.run(command, check=True, capture_output=True, text=True).stdout
        line = next(ln for ln in out.splitlines() if ln.startswith("routine "))
        wall, cpu = (float(x) for x in line.split()[1:3])
        if best is None or cpu < best[1]:
            best = (wall, cpu)
    process = measure(command, runs=runs)
    return best, process


def main():
    with tempfile.TemporaryDirectory() as tmp:
        mp3, ogg = make_test_audio(tmp)
        mod = os.path.join(tmp, "a.mod")
        subprocess.run([bench, "--module", mod], check=True)
        env = dict(os.environ, VANTREL_AUDIO="null", QT_QPA_PLATFORM="offscreen")
        os.environ.update(env)
        out = os.path.join(tmp, "out.wav")
        convert = [bench, "--convert"]
        rows = [
            ("mp3", measure(["mpg123", "-q", "-w", os.path.join(tmp, "ref.wav"), mp3]),
             routine(convert + [mp3, out]), "mpg123 -w"),
            ("ogg", measure(["oggdec", "-Q", ogg, "-o", os.path.join(tmp, "ref.wav")]),
             routine(convert + [ogg, out]), "oggdec"),
            ("mod", measure(["openmpt123", "-q", "--force", "--render", "--samplerate", "44100", "--no-float",
                             "--dither", "0", mod]),
             routine(convert + [mod, out]), "openmpt123 --render"),
        ]
        for name, (their_wall, their_cpu), ((our_wall, our_cpu), (proc_wall, proc_cpu)), peer in rows:
            print(f"{name}: {peer} {their_cpu:.3f} s cpu ({their_wall:.3f} s wall), ConvertAudioToWAV "
                  f"{our_cpu:.3f} s cpu ({our_wall:.3f} s wall); ratio cpu {our_cpu / their_cpu:.2f}x, "
                  f"wall {our_wall / their_wall:.2f}x (target <= 1.25x); whole process {proc_cpu:.3f} s cpu, "
                  f"ratio {proc_cpu / their_cpu:.2f}x")


if __name__ == "__main__":
    main()
