"""The mixed workload of the endurance run: credentials, listings, small
uploads and downloads, copies, deletions and failing calls, driven through
one pluginhost process while its memory and open descriptors are sampled
from /proc. Used by bench/endurance.py (10,000 calls) and by the endurance
test in tests/faults (1,000 calls)."""

import json
import os
import select
import subprocess

CYCLE = 12  # calls per cycle of the workload


def cycle_calls(cycle, bucket, folder):
    """One cycle: every kind of call, two of them failing on purpose."""
    key = "obj-%d" % (cycle % 10)
    source = os.path.join(folder, "source.txt")
    target = os.path.join(folder, "Volumes", "downloads", "%d.txt" % (cycle % 10))

    def q(text):
        return json.dumps(text)

    return [
        'SKRW_UseCredentials("s3"; "S3RVER"; "S3RVER")',
        "SKRW_ListAllBuckets",
        "SKRW_PostObject(%s; %s; %s)" % (q(bucket), q(key), q(source)),
        "SKRW_GetBucket(%s; %s; %s; %s)" % (q(bucket), q("obj-"), q(""), q("100")),
        'SKRW_GetBucketProperty("keys"; 0)',
        "SKRW_GetObject(%s; %s; %s)" % (q(bucket), q(key), q(target)),
        "SKRW_CopyObject(%s; %s; %s; %s)" % (q(bucket), q(key), q(bucket), q(key + "-copy")),
        "SKRW_DeleteObject(%s; %s)" % (q(bucket), q(key + "-copy")),
        "SKRW_GetObject(%s; %s; %s)" % (q(bucket), q("missing"), q(target + ".missing")),
        'SKRW_UseCredentials("s3"; "S3RVER"; "wrong")',
        "SKRW_GetLastError()",
        "SKRW_Version",
    ]


def prepare(folder):
    os.makedirs(os.path.join(folder, "Volumes", "downloads"), exist_ok=True)
    with open(os.path.join(folder, "source.txt"), "wb") as out:
        out.write(os.urandom(1024))


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def open_fds(pid):
    return len(os.listdir("/proc/%d/fd" % pid))


class Sample:
    def __init__(self, calls, rss, fds):
        self.calls, self.rss_kib, self.fds = calls, rss, fds


def run(pluginhost, bundle, endpoint, bucket, folder, calls, sample_every, env=None,
        timeout=120, check=None):
    """Makes `calls` calls in one pluginhost process (creating the bucket
    first) and answers the samples taken every `sample_every` calls, the
    number of "!!ERROR!!" answers and the answers that were not calls made.
    `check`, when given, is called after every "!!ERROR!!" answer and stops
    the run by raising (a server that died)."""
    prepare(folder)
    environment = dict(os.environ if env is None else env)
    environment["AWS_ENDPOINT_URL_S3"] = endpoint
    environment.pop("AWS_ENDPOINT_URL", None)
    environment.setdefault("SKRW_AWS_RETRY_BASE_DELAY_MS", "1")
    environment["HOME"] = folder
    proc = subprocess.Popen([pluginhost, "--json", bundle], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            env=environment, cwd=folder)

    def call(calculation):
        proc.stdin.write((calculation + "\n").encode("utf-8"))
        proc.stdin.flush()
        ready, _, _ = select.select([proc.stdout], [], [], timeout)
        if not ready:
            proc.kill()
            raise RuntimeError("no answer within %ds to %s" % (timeout, calculation))
        line = proc.stdout.readline()
        if not line:
            raise RuntimeError("pluginhost ended during %s" % calculation)
        return json.loads(line)

    samples, errors, not_made = [], 0, []
    try:
        call('SKRW_UseCredentials("s3"; "S3RVER"; "S3RVER")')
        call('SKRW_CreateBucket(%s)' % json.dumps(bucket))
        made = 0
        cycle = 0
        while made < calls:
            for calculation in cycle_calls(cycle, bucket, folder):
                if made == calls:
                    break
                answer = call(calculation)
                made += 1
                if "result" not in answer or answer.get("hostError", 0) != 0:
                    not_made.append(answer)
                elif answer["result"] == "!!ERROR!!":
                    errors += 1
                    if check:
                        check()
                if made % sample_every == 0:
                    samples.append(Sample(made, rss_kib(proc.pid), open_fds(proc.pid)))
            cycle += 1
    finally:
        proc.stdin.close()
        status = proc.wait(timeout)
        proc.stdout.close()
    return samples, errors, not_made, status
