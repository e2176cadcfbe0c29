#!/usr/bin/env python3
"""Makes a saver file for the end-to-end tests: a copy of the player with a package appended.

make_saver.py PLAYER OUT [--settings] [--size WxH] [--display-ms N] [--effect N] [--music FILE]
              [--scene PICTURE_FILE[:SOUND_FILE]]... [--named-scene NAME]...
Each scene holds its picture for N ms (default one second) and leaves through transition
--effect (default 0, a plain cut). A --named-scene names its picture NAME, as stored, and
carries no picture data; named scenes follow the others. The presentation size is --size
(default 320x240).
"""
import argparse
import os
import shutil
import struct


def text(value: bytes) -> bytes:
    return struct.pack("<H", len(value)) + value


def byte_array(data) -> bytes:
    if data is None:
        return struct.pack("<H", 0)
    return struct.pack("<Hii", 1, len(data), 0) + data


def scene(picture_path: str, sound_path, display_ms: int, effect: int) -> bytes:
    with open(picture_path, "rb") as f:
        picture = f.read()
    sound = None
    if sound_path:
        with open(sound_path, "rb") as f:
            sound = f.read()
    return (text(os.path.basename(picture_path).encode())
            + text(os.path.basename(sound_path).encode() if sound_path else b"")
            + struct.pack("<iiiihh", display_ms, 0, 0, effect, 0, 0)
            + byte_array(picture) + byte_array(sound))


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("player")
    parser.add_argument("out")
    parser.add_argument("--settings", action="store_true")
    parser.add_argument("--size", default="320x240")
    parser.add_argument("--display-ms", type=int, default=1000)
    parser.add_argument("--effect", type=int, default=0)
    parser.add_argument("--scene", action="append", default=[])
    parser.add_argument("--named-scene", action="append", default=[])
    parser.add_argument("--music")
    args = parser.parse_args()
    scenes = [s.split(":", 1) + [None] for s in args.scene]
    count = len(scenes) + len(args.named_scene)
    width, height = (int(n) for n in args.size.split("x"))
    body = struct.pack("<iiihi", width, height, 0, -1 if args.settings else 0, count)
    if args.music:
        with open(args.music, "rb") as f:
            body += text(os.path.basename(args.music).encode()) + byte_array(f.read())
    else:
        body += text(b"") + byte_array(None)
    body += struct.pack("<Hii", 1, count, 0)
    body += b"".join(scene(s[0], s[1], args.display_ms, args.effect) for s in scenes)
    body += b"".join(text(name.encode()) + text(b"")
                     + struct.pack("<iiiihh", args.display_ms, 0, 0, args.effect, 0, 0)
                     + byte_array(None) + byte_array(None) for name in args.named_scene)
    package = body + struct.pack("<i", len(body) + 4)
    shutil.copyfile(args.player, args.out)
    os.chmod(args.out, 0o755)
    with open(args.out, "ab") as f:
        f.write(package)


if __name__ == "__main__":
    main()
