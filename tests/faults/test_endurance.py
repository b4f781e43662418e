"""A shorter endurance run in one pluginhost process: 1,000 mixed calls
against the local test server leave the open file descriptors where they were
after warm-up and resident memory within a few MiB (the memory bound is not
checked under AddressSanitizer, whose quarantine holds freed memory). Under
the sanitizers the exit status also carries LeakSanitizer's verdict."""

import os
import sys
import unittest

import faultlib as f

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import endurance_workload as workload  # noqa: E402

CALLS = 1000
SAMPLE_EVERY = 100
FAILING_POSITIONS = (8, 9)  # the calls of each cycle that fail on purpose


class Endurance(unittest.TestCase):
    def test_thousand_mixed_calls_keep_descriptors_and_memory_bounded(self):
        tmp = f.TempDir()
        self.addCleanup(tmp.cleanup)
        endpoint = f.server_endpoint()
        samples, errors, not_made, status = workload.run(
            f.PLUGINHOST, f.BUNDLE, endpoint, f.unique_name("endurance"), tmp.path,
            CALLS, SAMPLE_EVERY, check=lambda: f.require_server(endpoint))

        self.assertEqual(not_made, [])
        self.assertEqual(status, 0, "pluginhost (or LeakSanitizer) reported a failure")
        expected_errors = sum(1 for i in range(CALLS) if i % workload.CYCLE in FAILING_POSITIONS)
        self.assertEqual(errors, expected_errors)

        warm = samples[1]
        for sample in samples[2:]:
            self.assertLessEqual(sample.fds, warm.fds, "descriptors grew by call %d" % sample.calls)
        if not f.SANITIZED:
            growth = samples[-1].rss_kib - warm.rss_kib
            self.assertLessEqual(growth, 4096, "RSS grew by %d KiB" % growth)


if __name__ == "__main__":
    unittest.main()
