#!/usr/bin/env python3
"""Loudness of the raw output captured by SDL's disk audio driver (S16 little-endian, stereo,
44100 Hz: the mixer's output format), in 100 ms windows.

  audio_capture.py watch CAPTURE SOUND_MS OPENED_EPOCH_MS
      Waits while the show plays until the capture's newest 300 ms are clearly louder than the
      music before SOUND_MS (a scene sound mixed in); prints where, in capture milliseconds.
      Gives up (status 1) 8 s after SOUND_MS.
  audio_capture.py report CAPTURE SOUND_AT_MS KEY_MS EXIT_MS
      Prints the levels found and checks them; status 1 on a failed check.
"""
import array
import math
import os
import sys
import time
import warnings

RATE, CHANNELS, WIDTH = 44100, 2, 2
WINDOW = RATE // 10 * CHANNELS * WIDTH  # 100 ms in bytes
BLOCK = 3  # windows per level block (300 ms)

with warnings.catch_warnings():
    warnings.simplefilter("ignore", DeprecationWarning)
    try:
        from audioop import rms as _fragment_rms
    except ImportError:  # gone from newer Pythons: the same sum, slower

        def _fragment_rms(fragment, width):
            part = array.array("h", fragment)
            return math.sqrt(math.fsum(float(x) * x for x in part) / len(part)) if part else 0


def levels(data):
    return [_fragment_rms(data[i:i + WINDOW], WIDTH) / 32768
            for i in range(0, len(data) - WINDOW + 1, WINDOW)]


def rms(values):
    return math.sqrt(sum(v * v for v in values) / len(values)) if values else 0.0


def blocks(values):
    return [rms(values[i:i + BLOCK]) for i in range(0, len(values) - BLOCK + 1)]


def music_levels(values, before_ms):
    """Median and 95th percentile of the music's 300 ms blocks from 2 s to `before_ms`."""
    music = sorted(blocks(values[20:max(20, before_ms // 100)]))
    if not music:
        return 0.0, 0.0
    return music[len(music) // 2], music[int(len(music) * 0.95)]


def loud_enough(level, music):
    typical, loud = music
    return level > max(1.5 * typical, 1.3 * loud, 0.02)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def watch(path, sound_ms, opened_epoch_ms):
    def wall_ms():
        return int(time.time() * 1000) - opened_epoch_ms

    while wall_ms() < sound_ms - 800:
        time.sleep(0.1)
    music = music_levels(levels(read(path)), sound_ms - 800)
    while wall_ms() < sound_ms + 8000:
        size = os.path.getsize(path)
        with open(path, "rb") as f:
            f.seek(max(0, size - BLOCK * WINDOW))
            newest = levels(f.read())
        if loud_enough(rms(newest), music):
            print(size // (WINDOW // 100))
            return 0
        time.sleep(0.1)
    return 1


def report(path, sound_at_ms, key_ms, exit_ms):
    values = levels(read(path))
    length_ms = len(values) * 100
    first = max(values[:20], default=0.0)
    music = music_levels(values, sound_at_ms - 800)
    near = blocks(values[max(0, (sound_at_ms - 1000) // 100):])
    with_sound = max(near, default=0.0)
    print(f"RMS: first 2 s max {first:.4f}; music median {music[0]:.4f}, 95th percentile "
          f"{music[1]:.4f}; with the scene sound {with_sound:.4f} (heard at {sound_at_ms} ms); "
          f"capture {length_ms} ms, key at {key_ms} ms, exit at {exit_ms} ms "
          f"(wall clock from the device's opening)")
    failures = []
    if first < 0.02:
        failures.append(f"no music within 2 s (RMS {first:.4f})")
    if not loud_enough(with_sound, music):
        failures.append("the scene sound does not lift the level above the music")
    if length_ms > exit_ms + 300:
        failures.append("the capture runs past the exit")
    if failures:
        print("FAIL: " + "; ".join(failures))
        return 1
    return 0


def main(argv):
    if len(argv) == 5 and argv[1] == "watch":
        return watch(argv[2], int(argv[3]), int(argv[4]))
    if len(argv) == 6 and argv[1] == "report":
        return report(argv[2], *map(int, argv[3:]))
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
