#!/usr/bin/env python3
"""Checks for test_export.sh, on files ffmpeg has decoded to raw samples and pixels.

export_check.py frames FRAMES_CSV RENDER_RGB EXPORT_RGB WIDTH HEIGHT FPS
    RENDER_RGB holds every frame `scenepack render` wrote, in order, EXPORT_RGB every frame of
    the export; each exported frame i must equal the rendered frame on screen at i * 1000 / FPS
    ms (the last one refreshed at or before it).
export_check.py onset MIX_F32 MUSIC_F32 SOUND_F32 TICK_MS
    Mono 48 kHz float samples: the show's mix, the same show's mix with the scene sounds turned
    off, and the sound file. What the sounds added (the difference) must hold the sound starting
    within 5 ms of TICK_MS (found by normalised cross-correlation over +-60 ms).
export_check.py rms MIX_F32 FROM_S TO_S MIN
    The mix's RMS between the two instants must be at least MIN.
"""
import array
import csv
import math
import operator
import sys

RATE = 48000


def floats(path):
    samples = array.array("f")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    return samples


def check_frames(frames_csv, render_rgb, export_rgb, width, height, fps):
    with open(frames_csv, newline="") as f:
        ticks = [int(row["tick_ms"]) for row in csv.DictReader(f)]
    size = width * height * 3
    with open(render_rgb, "rb") as f:
        rendered = f.read()
    with open(export_rgb, "rb") as f:
        exported = f.read()
    if len(rendered) != size * len(ticks):
        sys.exit(f"{len(rendered) // size} rendered frames decoded, frames.csv lists {len(ticks)}")
    count = len(exported) // size
    shown = -1
    for i in range(count):
        # The last refresh with tick <= i * 1000 / fps, in integers.
        while shown + 1 < len(ticks) and ticks[shown + 1] * fps <= i * 1000:
            shown += 1
        want = rendered[shown * size:(shown + 1) * size]
        got = exported[i * size:(i + 1) * size]
        if want != got:
            differ = sum(1 for a, b in zip(want, got) if a != b)
            sys.exit(f"exported frame {i} ({i * 1000 / fps:.1f} ms) differs from rendered frame "
                     f"{shown} (tick {ticks[shown]}) in {differ} bytes")
    print(f"{count} frames equal to the rendered ones")


def check_onset(mix_path, music_path, sound_path, tick_ms):
    music = floats(music_path)
    mix = array.array("f", map(operator.sub, floats(mix_path), music))
    sound = floats(sound_path)
    start = next(i for i, s in enumerate(sound) if abs(s) > 1e-3)
    template = sound[start:start + 100 * RATE // 1000]
    template_energy = math.sqrt(sum(x * x for x in template))
    expected = tick_ms * RATE // 1000 + start
    best_lag, best_score = None, -2.0
    for lag in range(expected - 60 * RATE // 1000, expected + 60 * RATE // 1000):
        window = mix[lag:lag + len(template)]
        energy = math.sqrt(sum(x * x for x in window)) or 1e-12
        score = sum(map(operator.mul, template, window)) / (template_energy * energy)
        if score > best_score:
            best_lag, best_score = lag, score
    error_ms = (best_lag - expected) * 1000 / RATE
    print(f"sound found at {error_ms:+.2f} ms from tick {tick_ms} (correlation {best_score:.3f})")
    if abs(error_ms) > 5 or best_score < 0.9:
        sys.exit("the scene sound is not where the audio log puts it")


def check_rms(mix_path, start_s, end_s, minimum):
    mix = floats(mix_path)
    part = mix[int(start_s * RATE):int(end_s * RATE)]
    rms = math.sqrt(sum(x * x for x in part) / max(len(part), 1))
    print(f"RMS {rms:.5f} from {start_s} s to {end_s} s")
    if rms < minimum:
        sys.exit(f"RMS {rms:.5f} is below {minimum}")


def main():
    what = sys.argv[1]
    if what == "frames":
        check_frames(sys.argv[2], sys.argv[3], sys.argv[4], *map(int, sys.argv[5:8]))
    elif what == "onset":
        check_onset(sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5]))
    elif what == "rms":
        check_rms(sys.argv[2], float(sys.argv[3]), float(sys.argv[4]), float(sys.argv[5]))
    else:
        sys.exit(f"unknown check {what}")


if __name__ == "__main__":
    main()
