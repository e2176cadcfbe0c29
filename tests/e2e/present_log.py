#!/usr/bin/env python3
"""Timing read from the present log of `scenepack play --present-log`: one line "START END" per
repaint, in milliseconds of the show's clock (the ticks the show reads are these rounded down).
The first two repaints are the set-up's and the opening picture's; after them come the scene
changes, and for a scene left through a transition, its steps.

  present_log.py bursts LOG GAP_MS
      How many groups of repaints the log holds after the first two, a group ending where the
      screen stays unchanged for GAP_MS or more (a scene held).
  present_log.py transition LOG EFFECT [--runs N] [--gap MS] [--results FILE]
      One table row for transition EFFECT (1 to 29) from the first N groups (default 2): its
      steps, step interval, median step, whole length against steps x interval, the median
      time one step's repaint takes (most of it the present on the screen), and the verdict
      (median step <= interval + 2 ms, whole <= nominal + 10%). With --cpu SAMPLES, also the
      CPU time of the player and the X server from a transition's first repaint to its last
      (the mean of the runs). --results appends the numbers
      as a JSON line for `summary`; --numbers prints "STEPS MEDIAN WHOLE NOMINAL" instead.
  present_log.py cpu-sample LOG OUT PID...
      While the first PID lives, writes "LINES CPU_NS" to OUT whenever LOG gains complete lines:
      the CPU time the PIDs (the player and the X server) have used so far, from
      /proc/PID/schedstat. `transition --cpu OUT` then adds the CPU time of each transition.
  present_log.py header
      The heading of the table.
  present_log.py summary RESULTS
      The worst median step and the worst whole length of all rows, and how many failed.
  present_log.py lateness LOG DISPLAY_MS
      How late each scene change came after its tick deadline (shows of plain cuts, every scene
      held DISPLAY_MS): count, median, worst, and the median time of one repaint; with --each,
      every change's lateness, one a line.
"""
import argparse
import json
import math
import os
import statistics
import sys

# name, step interval in ms, and whether the transition repaints after its final copy.
TRANSITIONS = {
    1: ("EffectOpenToLeftAndRight", 50, False),
    2: ("EffectOpenToTopAndBottom", 50, False),
    3: ("EffectRandomBlocks", 40, False),
    4: ("EffectBlindsFromTop", 40, False),
    5: ("EffectSlideFromLeft", 50, False),
    6: ("EffectSlideFromRight", 50, False),
    7: ("EffectSlideFromTop", 50, False),
    8: ("EffectSlideFromBottom", 50, False),
    9: ("EffectSpiralBlocks", 40, False),
    10: ("EffectBoxOutFromCentre", 40, False),
    11: ("EffectFlipHorizontal", 20, True),
    12: ("EffectFlipVertical", 20, True),
    13: ("EffectDoubleFlipHorizontal", 10, True),
    14: ("EffectDoubleFlipVertical", 10, True),
    15: ("EffectSqueezeFromLeft", 25, True),
    16: ("EffectSqueezeFromTop", 25, True),
    17: ("EffectSqueezeFromRight", 25, True),
    18: ("EffectSqueezeFromBottom", 25, True),
    19: ("EffectWipeFromLeft", 50, False),
    20: ("EffectWipeFromTop", 50, False),
    21: ("EffectWipeFromRight", 50, False),
    22: ("EffectWipeFromBottom", 50, False),
    23: ("EffectZoomInFromCentre", 40, False),
    24: ("EffectZoomOutToCentre", 40, False),
    25: ("EffectShrinkThenGrow", 20, False),
    26: ("EffectPushFromLeft", 40, False),
    27: ("EffectPushFromTop", 40, False),
    28: ("EffectPushFromRight", 40, False),
    29: ("EffectPushFromBottom", 40, False),
}
# Goals: the median step at most this much over its interval, the whole transition at most this
# share over its nominal length.
STEP_SLACK_MS = 2.0
WHOLE_SLACK = 0.10
# The set-up's repaint and the opening picture's come before any scene change.
LEADING_REPAINTS = 2


def read(path):
    """The (start, end) pairs of the log; a torn last line (the show still writing) is left out."""
    presents = []
    with open(path) as log:
        for line in log:
            fields = line.split()
            if len(fields) != 2 or not line.endswith("\n"):
                continue
            presents.append((float(fields[0]), float(fields[1])))
    return presents


def groups(presents, gap_ms):
    """The repaints after the leading ones, split where the screen stayed unchanged gap_ms."""
    result = []
    previous_end = None
    for start, end in presents[LEADING_REPAINTS:]:
        if previous_end is None or start - previous_end >= gap_ms:
            result.append([])
        result[-1].append((start, end))
        previous_end = end
    return result


def closing_repaints(effect):
    """Repaints after the last step: the scene player's, and the transition's own for some."""
    return 2 if TRANSITIONS[effect][2] else 1


def transition_timing(group, effect):
    """(steps, step durations, repaint durations) of one transition's repaints. A step lasts
    from its repaint to the next step's, the last one to the first repaint after the final
    copy; a repaint lasts from its start to its end (the present on the screen)."""
    steps = len(group) - closing_repaints(effect)
    if steps < 1:
        raise ValueError(f"a group of {len(group)} repaints is no transition {effect}")
    ends = [end for _, end in group[: steps + 1]]
    repaints = [end - start for start, end in group[:steps]]
    return steps, [b - a for a, b in zip(ends, ends[1:])], repaints


def cpu_ns(pids):
    total = 0
    for pid in pids:
        with open(f"/proc/{pid}/schedstat") as stat:
            total += int(stat.read().split()[0])
    return total


def sample_cpu(log_path, out_path, pids):
    """Records the CPU time of `pids` each time the log gains lines, until the first pid ends."""
    import time
    seen = -1
    with open(out_path, "w") as out:
        while True:
            try:
                with open(log_path, "rb") as log:
                    lines = log.read().count(b"\n")
                used = cpu_ns(pids)
            except FileNotFoundError:
                if not os.path.exists(f"/proc/{pids[0]}"):
                    return
                lines, used = -1, 0
            if lines != seen and lines >= 0:
                out.write(f"{lines} {used}\n")
                out.flush()
                seen = lines
            time.sleep(0.001)


def read_cpu(path):
    """LINES -> CPU ns from a cpu-sample file."""
    samples = {}
    with open(path) as lines:
        for line in lines:
            fields = line.split()
            if len(fields) == 2:
                samples[int(fields[0])] = int(fields[1])
    return samples


def transition_cpu_ms(presents, group, samples):
    """CPU time from the group's first repaint being logged to its last, or None."""
    first = presents.index(group[0]) + 1
    last = presents.index(group[-1]) + 1
    if first not in samples or last not in samples:
        return None
    return (samples[last] - samples[first]) / 1e6


def measure_transition(presents, effect, runs, gap_ms, samples=None):
    """The numbers of one table row, from the first `runs` groups of the log."""
    found = groups(presents, gap_ms)
    if len(found) < runs:
        raise ValueError(f"the log holds {len(found)} transitions, not {runs}")
    interval = TRANSITIONS[effect][1]
    counts, durations, wholes, repaints, cpus = set(), [], [], [], []
    for group in found[:runs]:
        steps, lengths, repaint_times = transition_timing(group, effect)
        counts.add(steps)
        durations += lengths
        wholes.append(sum(lengths))
        repaints += repaint_times
        if samples is not None:
            cpus.append(transition_cpu_ms(presents, group, samples))
    steps = max(counts)
    median = statistics.median(durations)
    whole = max(wholes)
    nominal = steps * interval
    return {
        "effect": effect,
        "name": TRANSITIONS[effect][0],
        "steps": sorted(counts),
        "interval": interval,
        "median": median,
        "whole": whole,
        "nominal": nominal,
        "repaint": statistics.median(repaints),
        "cpu": statistics.mean(cpus) if cpus and None not in cpus else None,
        "step_ok": median <= interval + STEP_SLACK_MS,
        "whole_ok": whole <= nominal * (1 + WHOLE_SLACK),
    }


def row(result):
    steps = "/".join(str(s) for s in result["steps"])
    over = 100 * (result["whole"] / result["nominal"] - 1)
    verdict = "PASS" if result["step_ok"] and result["whole_ok"] else "FAIL"
    cpu = "-" if result.get("cpu") is None else f"{result['cpu']:.1f} ms"
    notes = []
    if not result["step_ok"]:
        notes.append("slow steps")
    if not result["whole_ok"]:
        notes.append("long")
    return (f"{result['effect']:2d} {result['name']:<27} {steps:>5} {result['interval']:4d} ms "
            f"{result['median']:8.2f} ms {result['whole']:8.1f} / {result['nominal']:4d} ms "
            f"({over:+5.1f}%) {result['repaint']:7.2f} ms {cpu:>9}  {verdict} "
            f"{', '.join(notes)}").rstrip()


HEADER = (" # transition                  steps interval  median step   whole / nominal"
          "          repaint   cpu used  goal")


def summary(results):
    worst_step = max(results, key=lambda r: r["median"] - r["interval"])
    worst_whole = max(results, key=lambda r: r["whole"] / r["nominal"])
    failed = [r["effect"] for r in results if not (r["step_ok"] and r["whole_ok"])]
    lines = [
        f"worst median step: effect {worst_step['effect']}, {worst_step['median']:.2f} ms for "
        f"{worst_step['interval']} ms ({worst_step['median'] - worst_step['interval']:+.2f} ms; "
        f"goal +{STEP_SLACK_MS:g} ms)",
        f"worst whole length: effect {worst_whole['effect']}, {worst_whole['whole']:.1f} ms for "
        f"{worst_whole['nominal']} ms "
        f"({100 * (worst_whole['whole'] / worst_whole['nominal'] - 1):+.1f}%; "
        f"goal +{100 * WHOLE_SLACK:g}%)",
        f"{len(results) - len(failed)} of {len(results)} transitions meet both goals"
        + (f"; failed: {' '.join(str(e) for e in failed)}" if failed else ""),
    ]
    return lines, not failed


def scene_change_lateness(presents, display_ms):
    """How late each scene change came. A scene's deadline is read just after the repaint
    before its change ended, in whole ticks; its hold ends at the first tick past the deadline,
    display_ms + 1 ticks after that repaint's end rounded down."""
    late = []
    for (_, previous_end), (start, _) in zip(presents[LEADING_REPAINTS - 1 :],
                                              presents[LEADING_REPAINTS:]):
        late.append(start - (math.floor(previous_end) + display_ms + 1))
    return late


def lateness_report(presents, display_ms):
    late = scene_change_lateness(presents, display_ms)
    if not late:
        raise ValueError("no scene changes were logged")
    repaints = [end - start for start, end in presents[LEADING_REPAINTS:]]
    return {
        "count": len(late),
        "median": statistics.median(late),
        "worst": max(late),
        "repaint": statistics.median(repaints),
    }


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    bursts = commands.add_parser("bursts")
    bursts.add_argument("log")
    bursts.add_argument("gap_ms", type=float)
    transition = commands.add_parser("transition")
    transition.add_argument("log")
    transition.add_argument("effect", type=int, choices=sorted(TRANSITIONS))
    transition.add_argument("--runs", type=int, default=2)
    transition.add_argument("--gap", type=float, default=250.0)
    transition.add_argument("--results")
    transition.add_argument("--cpu", help="a cpu-sample file of the same run")
    sampler = commands.add_parser("cpu-sample")
    sampler.add_argument("log")
    sampler.add_argument("out")
    sampler.add_argument("pids", type=int, nargs="+")
    transition.add_argument("--numbers", action="store_true",
                            help="print 'STEPS MEDIAN WHOLE NOMINAL' instead of a table row")
    commands.add_parser("header")
    summarize = commands.add_parser("summary")
    summarize.add_argument("results")
    lateness = commands.add_parser("lateness")
    lateness.add_argument("log")
    lateness.add_argument("display_ms", type=int)
    lateness.add_argument("--each", action="store_true",
                          help="print every scene change's lateness, one a line")
    args = parser.parse_args(argv)

    try:
        if args.command == "header":
            print(HEADER)
        elif args.command == "bursts":
            print(len(groups(read(args.log), args.gap_ms)))
        elif args.command == "transition":
            samples = read_cpu(args.cpu) if args.cpu else None
            result = measure_transition(read(args.log), args.effect, args.runs, args.gap, samples)
            if args.results:
                with open(args.results, "a") as out:
                    out.write(json.dumps(result) + "\n")
            if args.numbers:
                print(f"{max(result['steps'])} {result['median']:.3f} {result['whole']:.3f} "
                      f"{result['nominal']}")
            else:
                print(row(result))
        elif args.command == "cpu-sample":
            sample_cpu(args.log, args.out, args.pids)
        elif args.command == "summary":
            with open(args.results) as lines:
                results = [json.loads(line) for line in lines if line.strip()]
            if not results:
                raise ValueError("no transition was measured")
            text, ok = summary(results)
            print("\n".join(text))
            return 0 if ok else 1
        elif args.each:
            late = scene_change_lateness(read(args.log), args.display_ms)
            if not late:
                raise ValueError("no scene changes were logged")
            print("\n".join(f"{value:.3f}" for value in late))
        else:
            report = lateness_report(read(args.log), args.display_ms)
            print(f"{report['count']} {report['median']:.3f} {report['worst']:.3f} "
                  f"{report['repaint']:.3f}")
    except (OSError, ValueError) as problem:
        print(f"present_log.py: {problem}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
