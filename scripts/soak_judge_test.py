#!/usr/bin/env python3
"""The soak's verdict on made-up samples: flat runs pass, growth fails."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import soak  # noqa: E402


def run(total_s, rss, threads=8, fds=4):
    """Samples every 5 s; rss, threads and fds are functions of the time."""
    def value(v, t):
        return v(t) if callable(v) else v
    return [(t, {"rss_kib": value(rss, t), "threads": value(threads, t), "fds": value(fds, t),
                 "cpu_s": t / 100}) for t in range(0, total_s + 1, 5)]


class Verdict(unittest.TestCase):
    def test_a_flat_run_passes(self):
        lines, ok = soak.judge(run(600, 50000), 600)
        self.assertTrue(ok, lines)

    def test_the_first_minute_may_grow(self):
        lines, ok = soak.judge(run(600, lambda t: 30000 if t < 60 else 50000), 600)
        self.assertTrue(ok, lines)

    def test_memory_growing_past_five_percent_fails(self):
        lines, ok = soak.judge(run(600, lambda t: 50000 + 10 * t), 600)
        self.assertFalse(ok)
        self.assertIn("FAIL: resident memory grew", lines)

    def test_a_thread_or_descriptor_more_at_the_end_fails(self):
        self.assertFalse(soak.judge(run(600, 50000, threads=lambda t: 8 + (t > 500)), 600)[1])
        self.assertFalse(soak.judge(run(600, 50000, fds=lambda t: 4 + (t > 500)), 600)[1])

    def test_a_thread_that_comes_and_goes_is_no_growth(self):
        lines, ok = soak.judge(run(600, 50000, threads=lambda t: 9 if t % 10 == 0 else 8), 600)
        self.assertTrue(ok, lines)

    def test_too_few_samples_fail(self):
        self.assertFalse(soak.judge(run(50, 50000), 600)[1])


if __name__ == "__main__":
    unittest.main()
