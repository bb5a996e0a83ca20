#!/usr/bin/env python3
"""ConvertAudioToWAV against Debian's decoders in the same run: a 4-minute mp3 and ogg
and the tests' module lengthened to about four minutes, converted by music_bench --convert and by mpg123 -w, oggdec and
openmpt123 --render;
prints our time over theirs (target <= 1.25). Usage: bench/music/music_ratio.py [build folder]"""
import os
import resource
import subprocess
import sys
import tempfile
import time

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build", "release")
bench = os.path.join(build, "bench", "music", "music_bench")


def measure(command, runs=5):
    """Best of `runs`: (wall seconds, CPU seconds of the child)."""
    best = None
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        if best is None or cpu < best[1]:
            best = (wall, cpu)
    return best


def main():
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "src.wav")
        subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", src, "synth", "240", "pinknoise",
                        "synth", "240", "sine", "mix", "330", "vol", "0.5"], check=True, stderr=subprocess.DEVNULL)
        mp3, ogg = os.path.join(tmp, "a.mp3"), os.path.join(tmp, "a.ogg")
        subprocess.run(["lame", "--quiet", src, mp3], check=True)
        subprocess.run(["oggenc", "-Q", src, "-o", ogg], check=True)
        mod = os.path.join(tmp, "a.mod")
        subprocess.run([bench, "--module", mod], check=True)
        env = dict(os.environ, VANTREL_AUDIO="null", QT_QPA_PLATFORM="offscreen")
        os.environ.update(env)
        out = os.path.join(tmp, "out.wav")
        rows = [
            ("mp3", measure(["mpg123", "-q", "-w", os.path.join(tmp, "ref.wav"), mp3]),
             measure([bench, "--convert", mp3, out]), "mpg123 -w"),
            ("ogg", measure(["oggdec", "-Q", ogg, "-o", os.path.join(tmp, "ref.wav")]),
             measure([bench, "--convert", ogg, out]), "oggdec"),
            ("mod", measure(["openmpt123", "-q", "--force", "--render", "--samplerate", "44100", "--no-float",
                             "--dither", "0", mod]),
             measure([bench, "--convert", mod, out]), "openmpt123 --render"),
        ]
        for name, (their_wall, their_cpu), (our_wall, our_cpu), peer in rows:
            print(f"{name}: {peer} {their_cpu:.3f} s cpu ({their_wall:.3f} s wall), ConvertAudioToWAV "
                  f"{our_cpu:.3f} s cpu ({our_wall:.3f} s wall); ratio cpu {our_cpu / their_cpu:.2f}x, "
                  f"wall {our_wall / their_wall:.2f}x (target <= 1.25x)")


if __name__ == "__main__":
    main()
