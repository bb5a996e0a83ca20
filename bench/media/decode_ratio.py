#!/usr/bin/env python3
"""Decodes a 4-minute mp3 and ogg to PCM files with vantrel-play --decode and with Debian's
mpg123 -w and oggdec, in the same run, and prints our time over theirs (target <= 1.1).
Usage: bench/media/decode_ratio.py [build folder, default build/release]"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "media"))
from peer_run import make_test_audio, measure  # noqa: E402

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build", "release")
play = os.path.join(build, "media", "vantrel-play")


def main():
    with tempfile.TemporaryDirectory() as tmp:
        mp3, ogg = make_test_audio(tmp)
        env = dict(os.environ, VANTREL_AUDIO="null")
        os.environ.update(env)
        rows = [
            ("mp3", measure(["mpg123", "-q", "-w", os.path.join(tmp, "ref.wav"), mp3]),
             measure([play, "--decode", mp3], os.path.join(tmp, "our.raw")), "mpg123 -w"),
            ("ogg", measure(["oggdec", "-Q", ogg, "-o", os.path.join(tmp, "ref.wav")]),
             measure([play, "--decode", ogg], os.path.join(tmp, "our.raw")), "oggdec"),
        ]
        for name, (their_wall, their_cpu), (our_wall, our_cpu), peer in rows:
            print(f"{name}: {peer} {their_cpu:.3f} s cpu ({their_wall:.3f} s wall), vantrel-play --decode "
                  f"{our_cpu:.3f} s cpu ({our_wall:.3f} s wall); ratio cpu {our_cpu / their_cpu:.2f}x, "
                  f"wall {our_wall / their_wall:.2f}x (target <= 1.1x)")


if __name__ == "__main__":
    main()
