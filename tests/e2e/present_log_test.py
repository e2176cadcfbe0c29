#!/usr/bin/env python3
"""Checks the reading of present logs by present_log.py on made-up logs."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import present_log  # noqa: E402

LEADING = [(0.0, 100.0), (150.0, 160.0)]


def transition_log(effect, starts_at, step_ms, steps, repaint_ms=5.0):
    """The repaints of one transition whose steps each last step_ms (or the listed times),
    then its closing ones."""
    lengths = step_ms if isinstance(step_ms, list) else [step_ms] * steps
    presents = []
    t = starts_at
    for length in lengths:
        presents.append((t, t + repaint_ms))
        t += length
    for _ in range(present_log.closing_repaints(effect)):
        presents.append((t, t + repaint_ms))
        t += repaint_ms + 0.5
    return presents


class ReadTest(unittest.TestCase):
    def test_a_torn_last_line_and_stray_lines_are_left_out(self):
        with tempfile.NamedTemporaryFile("w", suffix=".log", delete=False) as log:
            log.write("10.5 20.25\n\n30.0 40.0 50.0\n60.000 70.125\n80.0 8")
        try:
            self.assertEqual(present_log.read(log.name), [(10.5, 20.25), (60.0, 70.125)])
        finally:
            os.unlink(log.name)


class TransitionTest(unittest.TestCase):
    def test_groups_skip_the_leading_repaints_and_split_at_holds(self):
        log = LEADING + transition_log(1, 700.0, 51.0, 3) + transition_log(1, 1500.0, 51.0, 3)
        found = present_log.groups(log, 250)
        self.assertEqual([len(g) for g in found], [4, 4])
        self.assertEqual(found[1][0], (1500.0, 1505.0))

    def test_steps_exclude_the_closing_repaints(self):
        # Effects 11 to 18 repaint after their final copy, and the player repaints again.
        plain = present_log.transition_timing(transition_log(5, 0.0, 51.0, 20), 5)
        flip = present_log.transition_timing(transition_log(11, 0.0, 21.0, 20), 11)
        self.assertEqual(plain[0], 20)
        self.assertEqual(flip[0], 20)
        # The last step lasts until the first repaint after the final copy.
        self.assertEqual(len(flip[1]), 20)
        self.assertTrue(all(abs(d - 21.0) < 1e-9 for d in flip[1]))

    def test_a_group_without_steps_is_refused(self):
        with self.assertRaises(ValueError):
            present_log.transition_timing([(0.0, 5.0), (6.0, 11.0)], 13)

    def test_runs_are_pooled_and_the_longer_whole_counts(self):
        # Steps of 41 ms, but one of the second run lasts 91 ms; a third run is not looked at.
        log = (LEADING + transition_log(3, 700.0, 41.0, 25)
               + transition_log(3, 2000.0, [41.0] * 12 + [91.0] + [41.0] * 12, 25)
               + transition_log(3, 4000.0, 80.0, 25))
        result = present_log.measure_transition(log, 3, runs=2, gap_ms=250)
        self.assertEqual(result["steps"], [25])
        self.assertAlmostEqual(result["median"], 41.0)
        self.assertAlmostEqual(result["whole"], 25 * 41.0 + 50.0)
        self.assertEqual(result["nominal"], 1000)
        self.assertTrue(result["step_ok"] and result["whole_ok"])

    def test_differing_step_counts_are_both_shown(self):
        log = (LEADING + transition_log(1, 700.0, 51.0, 21) + transition_log(1, 2500.0, 51.0, 20))
        result = present_log.measure_transition(log, 1, runs=2, gap_ms=250)
        self.assertEqual(result["steps"], [20, 21])
        self.assertEqual(result["nominal"], 21 * 50)
        self.assertIn(" 20/21 ", present_log.row(result))

    def test_goals_hold_up_to_their_limits_and_no_further(self):
        at_limit = LEADING + transition_log(13, 700.0, 11.0, 40) + transition_log(13, 1500.0, 12.0, 40)
        result = present_log.measure_transition(at_limit, 13, runs=2, gap_ms=250)
        self.assertTrue(result["step_ok"])  # median 11.5 <= 10 + 2
        self.assertFalse(result["whole_ok"])  # 480 ms > 400 ms + 10%
        slow = LEADING + transition_log(13, 700.0, 12.5, 40) + transition_log(13, 1500.0, 12.5, 40)
        self.assertFalse(present_log.measure_transition(slow, 13, 2, 250)["step_ok"])
        self.assertIn("FAIL", present_log.row(result))

    def test_too_few_transitions_are_an_error(self):
        with self.assertRaises(ValueError):
            present_log.measure_transition(LEADING + transition_log(1, 700.0, 51.0, 20), 1, 2, 250)

    def test_summary_names_the_worst_and_the_failed(self):
        results = [
            {"effect": 1, "interval": 50, "median": 51.0, "whole": 1050.0, "nominal": 1000,
             "step_ok": True, "whole_ok": True},
            {"effect": 13, "interval": 10, "median": 14.0, "whole": 560.0, "nominal": 400,
             "step_ok": False, "whole_ok": False},
            {"effect": 25, "interval": 20, "median": 21.0, "whole": 1000.0, "nominal": 820,
             "step_ok": True, "whole_ok": False},
        ]
        lines, ok = present_log.summary(results)
        self.assertFalse(ok)
        self.assertIn("effect 13, 14.00 ms for 10 ms", lines[0])
        self.assertIn("effect 13, 560.0 ms for 400 ms (+40.0%", lines[1])
        self.assertIn("1 of 3", lines[2])
        self.assertIn("failed: 13 25", lines[2])


class LatenessTest(unittest.TestCase):
    def test_a_change_is_due_at_the_first_tick_past_its_deadline(self):
        # The deadline is read in whole ticks after the previous repaint: 1000 + 300; the hold
        # ends at tick 1301.
        log = [(0.0, 50.0), (990.0, 1000.7), (1301.25, 1303.0), (1604.5, 1610.0)]
        late = present_log.scene_change_lateness(log, 300)
        self.assertEqual(len(late), 2)
        self.assertAlmostEqual(late[0], 0.25)
        self.assertAlmostEqual(late[1], 0.5)
        report = present_log.lateness_report(log, 300)
        self.assertEqual(report["count"], 2)
        self.assertAlmostEqual(report["median"], 0.375)
        self.assertAlmostEqual(report["worst"], 0.5)
        self.assertAlmostEqual(report["repaint"], 3.625)

    def test_a_log_without_changes_is_an_error(self):
        with self.assertRaises(ValueError):
            present_log.lateness_report(LEADING, 300)


if __name__ == "__main__":
    unittest.main()
