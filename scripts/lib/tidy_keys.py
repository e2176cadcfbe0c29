#!/usr/bin/env python3
"""Prints "KEY FILE" for each source file named on standard input: a digest of everything that
decides clang-tidy's verdict on it (the tool's version and settings, the file's compile command,
the file and every header it includes, as the build's dependency records list them).
Usage: tidy_keys.py BUILD_DIR SALT < files"""
import hashlib
import json
import os
import shlex
import subprocess
import sys


def digest_file(path, cache):
    if path not in cache:
        try:
            with open(path, "rb") as f:
                cache[path] = hashlib.sha256(f.read()).hexdigest()
        except OSError:
            cache[path] = "missing"
    return cache[path]


def ninja_deps(build_dir):
    """Object file -> the files it was compiled from, from ninja's dependency log."""
    try:
        out = subprocess.run(["ninja", "-C", build_dir, "-t", "deps"], capture_output=True,
                             text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError):
        return {}
    deps, current = {}, None
    for line in out.splitlines():
        if line and not line.startswith(" "):
            current = line.split(":", 1)[0]
            deps[current] = []
        elif line.strip() and current is not None:
            deps[current].append(line.strip())
    return deps


def object_file(entry):
    """The object the compile command writes (its -o argument)."""
    args = entry.get("arguments") or shlex.split(entry.get("command", ""))
    for i, arg in enumerate(args[:-1]):
        if arg == "-o":
            return args[i + 1]
    return entry.get("output", "")


def main():
    build_dir, salt = sys.argv[1], sys.argv[2]
    with open(os.path.join(build_dir, "compile_commands.json")) as f:
        entries = {os.path.realpath(e["file"]): e for e in json.load(f)}
    deps = ninja_deps(build_dir)
    cache = {}
    for name in sys.stdin.read().split():
        entry = entries.get(os.path.realpath(name))
        h = hashlib.sha256(salt.encode())
        if entry is None:
            print("uncached", name)  # no compile command: always checked
            continue
        h.update(entry.get("command", " ".join(entry.get("arguments", []))).encode())
        h.update(digest_file(name, cache).encode())
        included = deps.get(object_file(entry))
        if included is None:
            print("uncached", name)  # never compiled: its headers are unknown
            continue
        for dep in sorted(included):
            path = dep if os.path.isabs(dep) else os.path.join(entry["directory"], dep)
            h.update(dep.encode() + digest_file(path, cache).encode())
        print(h.hexdigest(), name)


main()
