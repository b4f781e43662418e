#!/usr/bin/env python3
"""Endurance benchmark: 10,000 mixed calls in one pluginhost process against
a local S3 test server of its own; prints resident memory and open file
descriptors every 1,000 calls and the growth after the first 1,000.

  bench/endurance.py [BUILD_DIR] [CALLS]     (defaults: build, 10000)
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # no cache folder in the source tree
import endurance_workload as workload  # noqa: E402


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
    calls = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    pluginhost = os.path.join(build, "pluginhost")
    bundle = os.path.join(build, "SKRW.bundle")
    work = tempfile.mkdtemp(prefix="skrw-endurance-")
    state = os.path.join(work, "server")
    try:
        subprocess.run([os.path.join(ROOT, "tests", "s3server", "start.sh"), state],
                       check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(state, "endpoint")) as f:
            endpoint = f.read().strip()
        started = time.monotonic()
        samples, errors, not_made, status = workload.run(
            pluginhost, bundle, endpoint, "endurance-%d" % os.getpid(), work, calls, 1000)
        seconds = time.monotonic() - started
    finally:
        subprocess.run([os.path.join(ROOT, "tests", "s3server", "stop.sh"), state],
                       stdout=subprocess.DEVNULL)
        shutil.rmtree(work, ignore_errors=True)

    print("calls   RSS (KiB)  open fds")
    for s in samples:
        print("%6d  %9d  %8d" % (s.calls, s.rss_kib, s.fds))
    first, last = samples[0], samples[-1]
    print("%d calls in %.1f s (%.2f ms per call), %d answered !!ERROR!! (expected: 2 of every %d)"
          % (calls, seconds, seconds * 1000 / calls, errors, workload.CYCLE))
    print("RSS growth after the first %d calls: %+d KiB; open fds: %d -> %d"
          % (first.calls, last.rss_kib - first.rss_kib, first.fds, last.fds))
    print("calls not made: %d; pluginhost exit status %d" % (len(not_made), status))
    ok = (not not_made and status == 0 and last.fds <= first.fds
          and last.rss_kib - first.rss_kib <= 4096)
    print("verdict: %s" % ("no growth" if ok else "GROWTH OR FAILURE"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
