"""What the audio ratio benchmarks share: timing a program against its peer in the same run,
on the same four minutes of test audio."""
import os
import resource
import subprocess
import time


def measure(command, stdout_path=None, runs=5):
    """Best of `runs`: (wall seconds, CPU seconds of the child)."""
    best = None
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        with open(stdout_path or os.devnull, "wb") as out:
            subprocess.run(command, stdout=out, stderr=subprocess.DEVNULL, check=True)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        if best is None or cpu < best[1]:
            best = (wall, cpu)
    return best


def make_test_audio(tmp):
    """A 4-minute noise-and-tone mix as mp3 and ogg; returns their paths."""
    src = os.path.join(tmp, "src.wav")
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", src, "synth", "240", "pinknoise",
                    "synth", "240", "sine", "mix", "330", "vol", "0.5"], check=True, stderr=subprocess.DEVNULL)
    mp3, ogg = os.path.join(tmp, "a.mp3"), os.path.join(tmp, "a.ogg")
    subprocess.run(["lame", "--quiet", src, mp3], check=True)
    subprocess.run(["oggenc", "-Q", src, "-o", ogg], check=True)
    return mp3, ogg
