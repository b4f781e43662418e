#!/usr/bin/env python3
"""Side-by-side benchmark: the plug-in (one pluginhost process making many
calls) against the floor (a bare libcurl client, one fresh handle per request,
signing the same way), `curl --aws-sigv4` (one process per request) and the
AWS CLI (when installed), all against the same local S3 test server in the
same run. Prints per operation the median and range of the rounds, the ratio
to the floor measured in the same round, and for the large transfers MiB/s
and the peak RSS of the client process (/usr/bin/time -v).

  bench/compare.py [--build DIR] [--rounds N] [--calls N] [--sizes 256,1024]
"""

import argparse
import filecmp
import hashlib
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
ACCESS = SECRET = "S3RVER"
EMPTY_HASH = hashlib.sha256(b"").hexdigest()


# --- clients ----------------------------------------------------------------

class Plugin:
    name = "plug-in (pluginhost)"

    def __init__(self, build, endpoint, work):
        self.pluginhost = os.path.join(build, "pluginhost")
        self.bundle = os.path.join(build, "SKRW.bundle")
        self.env = dict(os.environ, AWS_ENDPOINT_URL_S3=endpoint, HOME=work)
        self.env.pop("AWS_ENDPOINT_URL", None)

    def run(self, calculations, measure_from=1):
        """Runs the calculations after the credential call in one process and
        answers the seconds from the answer of calculation `measure_from`
        (0 = the credential call) to the last answer, the peak RSS (KiB)
        and the answers."""
        lines = (['SKRW_UseCredentials("s3"; "%s"; "%s")' % (ACCESS, SECRET)] + calculations
                 + ["SKRW_GetLastError()"])
        proc = subprocess.Popen(["/usr/bin/time", "-v", self.pluginhost, "--json", self.bundle],
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, env=self.env)
        proc.stdin.write(("\n".join(lines) + "\n").encode())
        proc.stdin.close()
        stamps, answers = [], []
        for raw in proc.stdout:
            stamps.append(time.monotonic())
            answers.append(json.loads(raw).get("result"))
        stderr = proc.stderr.read().decode(errors="replace")
        proc.wait()
        if len(answers) != len(lines) or any(a == "!!ERROR!!" for a in answers):
            raise RuntimeError("plug-in calls failed: %s; last error: %s"
                               % (answers[:5], answers[-1] if answers else None))
        return stamps[-2] - stamps[measure_from], peak_rss(stderr), answers[:-1]


class Floor:
    name = "floor (libcurl)"

    def __init__(self, build, endpoint):
        self.small = os.path.join(build, "bench", "compare_floor")
        self.large = os.path.join(build, "bench", "floor_client")
        self.endpoint = endpoint
        self.env = dict(os.environ, AWS_ACCESS_KEY_ID=ACCESS, AWS_SECRET_ACCESS_KEY=SECRET)

    def small_ops(self, count, *operation):
        out = subprocess.run([self.small, self.endpoint, str(count)] + list(operation),
                             env=self.env, check=True, capture_output=True, text=True).stdout
        return float(out.split()[-1])

    def transfer(self, direction, bucket, key, path):
        done = subprocess.run(["/usr/bin/time", "-v", self.large, direction, self.endpoint,
                               bucket, key, path], env=self.env, check=True,
                              capture_output=True, text=True)
        words = done.stdout.split()
        return float(words[words.index("s") - 1]), peak_rss(done.stderr)


def timed_process(command, env=None):
    """Wall time and peak RSS of one process, which must succeed."""
    started = time.monotonic()
    done = subprocess.run(["/usr/bin/time", "-v"] + command, env=env, capture_output=True,
                          text=True)
    seconds = time.monotonic() - started
    if done.returncode != 0:
        raise RuntimeError("%s failed: %s" % (command[0], done.stderr[-500:]))
    return seconds, peak_rss(done.stderr)


class Curl:
    name = "curl --aws-sigv4"

    def __init__(self, endpoint):
        self.endpoint = endpoint

    def command(self, method, path, payload_hash=EMPTY_HASH, upload=None, output=None,
                headers=()):
        command = ["curl", "-sS", "--fail", "--aws-sigv4", "aws:amz:us-east-1:s3",
                   "--user", "%s:%s" % (ACCESS, SECRET), "-H", "x-amz-content-sha256: " + payload_hash,
                   "-o", output or "/dev/null"]
        for header in headers:
            command += ["-H", header]
        if upload is not None:
            command += ["-T", upload]
        elif method != "GET":
            command += ["-X", method]
        return command + [self.endpoint + path]


class AwsCli:
    name = "aws cli (s3api)"

    def __init__(self, endpoint, work):
        self.endpoint = endpoint
        self.env = dict(os.environ, AWS_ACCESS_KEY_ID=ACCESS, AWS_SECRET_ACCESS_KEY=SECRET,
                        AWS_DEFAULT_REGION="us-east-1", AWS_CONFIG_FILE=os.path.join(work, "none"),
                        AWS_SHARED_CREDENTIALS_FILE=os.path.join(work, "none"))
        self.env.pop("AWS_ENDPOINT_URL", None)
        self.env.pop("AWS_ENDPOINT_URL_S3", None)

    @staticmethod
    def available():
        try:
            return subprocess.run(["aws", "--version"], capture_output=True).returncode == 0
        except OSError:
            return False

    def command(self, *arguments):
        return ["aws", "--endpoint-url", self.endpoint, "s3api"] + list(arguments)


class Boto3:
    name = "boto3 (one client)"

    def __init__(self, endpoint):
        self.endpoint = endpoint
        self.script = os.path.join(HERE, "compare_boto3.py")

    @staticmethod
    def available():
        return subprocess.run([sys.executable, "-c", "import boto3"],
                              capture_output=True).returncode == 0

    def small_ops(self, count, *operation):
        out = subprocess.run([sys.executable, self.script, self.endpoint, str(count)]
                             + list(operation), check=True, capture_output=True, text=True)
        return float(out.stdout.split()[-1])

    def transfer(self, operation, *arguments):
        done = subprocess.run(["/usr/bin/time", "-v", sys.executable, self.script, self.endpoint,
                               "1", "--no-warm-up", operation] + list(arguments),
                              check=True, capture_output=True, text=True)
        return float(done.stdout.split()[-1]), peak_rss(done.stderr)


def peak_rss(time_output):
    for line in time_output.splitlines():
        if "Maximum resident set size" in line:
            return int(line.split()[-1])
    return 0


# --- the run ----------------------------------------------------------------

class Results:
    def __init__(self):
        self.rows = {}  # (operation, client) -> list of (seconds, rss or None)
        self.order = []

    def add(self, operation, client, seconds, rss=None):
        key = (operation, client)
        if key not in self.rows:
            self.rows[key] = []
            self.order.append(key)
        self.rows[key].append((seconds, rss))


def small_operations(bucket, listing_bucket, small_file, volumes):
    """(name, plug-in calculations for one operation, floor operation, curl
    commands for one operation, aws cli commands for one operation)."""
    get_target = os.path.join(volumes, "small.bin")
    q = json.dumps
    small_hash = hashlib.sha256(open(small_file, "rb").read()).hexdigest()
    return [
        ("ListAllBuckets", ["SKRW_ListAllBuckets"], ["list-buckets"],
         lambda c: [c.command("GET", "/")], lambda a: [a.command("list-buckets")]),
        ("GetBucket (1,000 objects)", ["SKRW_GetBucket(%s)" % q(listing_bucket)],
         ["list-objects", listing_bucket],
         lambda c: [c.command("GET", "/%s?list-type=2&max-keys=1000" % listing_bucket)],
         lambda a: [a.command("list-objects-v2", "--bucket", listing_bucket)]),
        ("PostObject 1 KiB", ["SKRW_PostObject(%s; \"small.bin\"; %s)" % (q(bucket), q(small_file))],
         ["put", bucket, "small.bin", small_file],
         lambda c: [c.command("PUT", "/%s/small.bin" % bucket, small_hash, upload=small_file)],
         lambda a: [a.command("put-object", "--bucket", bucket, "--key", "small.bin", "--body",
                              small_file)]),
        ("GetObject 1 KiB", ["SKRW_GetObject(%s; \"small.bin\"; %s)" % (q(bucket), q(get_target))],
         ["get", bucket, "small.bin", get_target],
         lambda c: [c.command("GET", "/%s/small.bin" % bucket, output=get_target)],
         lambda a: [a.command("get-object", "--bucket", bucket, "--key", "small.bin",
                              get_target)]),
        ("CopyObject", ["SKRW_CopyObject(%s; \"small.bin\"; %s; \"copy.bin\")" % (q(bucket), q(bucket))],
         ["copy", bucket, "small.bin", bucket, "copy.bin"],
         lambda c: [c.command("PUT", "/%s/copy.bin" % bucket,
                              headers=["x-amz-copy-source: %s/small.bin" % bucket])],
         lambda a: [a.command("copy-object", "--bucket", bucket, "--key", "copy.bin",
                              "--copy-source", "%s/small.bin" % bucket)]),
        ("DeleteObject", ["SKRW_DeleteObject(%s; \"copy.bin\")" % q(bucket)],
         ["delete", bucket, "copy.bin"],
         lambda c: [c.command("DELETE", "/%s/copy.bin" % bucket)],
         lambda a: [a.command("delete-object", "--bucket", bucket, "--key", "copy.bin")]),
        ("CreateBucket + DeleteBucket", ['SKRW_CreateBucket("cmp-cycle")',
                                         'SKRW_DeleteBucket("cmp-cycle")'],
         ["create-delete", "cmp-cycle"],
         lambda c: [c.command("PUT", "/cmp-cycle"), c.command("DELETE", "/cmp-cycle")],
         lambda a: [a.command("create-bucket", "--bucket", "cmp-cycle"),
                    a.command("delete-bucket", "--bucket", "cmp-cycle")]),
    ]


def run_small(args, plugin, floor, curl, aws, boto, results, bucket, listing_bucket, small_file, volumes):
    for name, calcs, floor_op, curl_cmds, aws_cmds in small_operations(
            bucket, listing_bucket, small_file, volumes):
        for _ in range(args.rounds):
            seconds, _, _ = plugin.run(calcs * (args.calls + 1), measure_from=len(calcs))
            results.add(name, plugin.name, seconds / args.calls)
            results.add(name, floor.name, floor.small_ops(args.calls, *floor_op) / args.calls)
            total = 0.0
            for _ in range(args.process_calls):
                for command in curl_cmds(curl):
                    total += timed_process(command)[0]
            results.add(name, curl.name, total / args.process_calls)
            if boto is not None:
                results.add(name, boto.name, boto.small_ops(args.calls, *floor_op) / args.calls)
            if aws is not None:
                total = 0.0
                for _ in range(args.aws_calls):
                    for command in aws_cmds(aws):
                        total += timed_process(command, aws.env)[0]
                results.add(name, aws.name, total / args.aws_calls)
        print("  measured %s" % name, file=sys.stderr)


def run_large(args, plugin, floor, curl, aws, boto, results, bucket, work, volumes):
    for mib in args.sizes:
        source = os.path.join(work, "source-%d.bin" % mib)
        with open(source, "wb") as out:
            for _ in range(mib):
                out.write(os.urandom(1 << 20))
        source_hash = None
        up, down = "PostObject %d MiB" % mib, "GetObject %d MiB" % mib
        for round_index in range(args.large_rounds):
            target = os.path.join(volumes, "large-%d.bin" % mib)
            calc_up = 'SKRW_PostObject(%s; "plugin-%d"; %s)' % (json.dumps(bucket), mib,
                                                              json.dumps(source))
            seconds, rss, _ = plugin.run([calc_up], measure_from=0)
            results.add(up, plugin.name, seconds, rss)
            calc_down = 'SKRW_GetObject(%s; "plugin-%d"; %s)' % (json.dumps(bucket), mib,
                                                               json.dumps(target))
            seconds, rss, _ = plugin.run([calc_down], measure_from=0)
            results.add(down, plugin.name, seconds, rss)
            check(round_index, source, target)

            results.add(up, floor.name, *floor.transfer("upload", bucket, "floor-%d" % mib, source))
            results.add(down, floor.name,
                        *floor.transfer("download", bucket, "floor-%d" % mib, target))
            check(round_index, source, target)

            # curl is handed the payload hash the others compute themselves;
            # hashing is inside its timed span too.
            started = time.monotonic()
            source_hash = hashlib.sha256()
            with open(source, "rb") as f:
                for block in iter(lambda: f.read(1 << 20), b""):
                    source_hash.update(block)
            hashing = time.monotonic() - started
            seconds, rss = timed_process(curl.command(
                "PUT", "/%s/curl-%d" % (bucket, mib), source_hash.hexdigest(), upload=source))
            results.add(up, curl.name, seconds + hashing, rss)
            results.add(down, curl.name, *timed_process(curl.command(
                "GET", "/%s/curl-%d" % (bucket, mib), output=target)))
            check(round_index, source, target)

            if boto is not None:
                results.add(up, boto.name, *boto.transfer("put", bucket, "boto-%d" % mib, source))
                results.add(down, boto.name, *boto.transfer("get", bucket, "boto-%d" % mib, target))
                check(round_index, source, target)

            if aws is not None:
                results.add(up, aws.name, *timed_process(aws.command(
                    "put-object", "--bucket", bucket, "--key", "aws-%d" % mib, "--body", source),
                    aws.env))
                results.add(down, aws.name, *timed_process(aws.command(
                    "get-object", "--bucket", bucket, "--key", "aws-%d" % mib, target), aws.env))
                check(round_index, source, target)
            print("  measured %d MiB round %d" % (mib, round_index + 1), file=sys.stderr)
        os.remove(source)


def check(round_index, source, target):
    """Compares the first round's download with its source, then removes it."""
    if round_index == 0 and not filecmp.cmp(source, target, shallow=False):
        raise RuntimeError("download of %s differs from its source" % target)
    os.remove(target)


def print_table(results, args, skipped):
    floor_name = Floor.name
    print()
    print("| operation | client | median | range | ratio to floor | MiB/s | peak RSS |")
    print("|---|---|---:|---:|---:|---:|---:|")
    for operation, client in results.order:
        samples = results.rows[(operation, client)]
        seconds = [s for s, _ in samples]
        floor_samples = results.rows.get((operation, floor_name), [])
        ratios = [s / f for (s, _), (f, _) in zip(samples, floor_samples) if f > 0]
        mib = None
        for word in operation.split():
            if word.isdigit():
                mib = int(word)
        large = "MiB" in operation and mib is not None and "1 KiB" not in operation
        median = statistics.median(seconds)
        rss = max((r for _, r in samples if r), default=None)
        print("| %s | %s | %s | %s–%s | %.2fx | %s | %s |" % (
            operation, client, fmt(median), fmt(min(seconds)), fmt(max(seconds)),
            statistics.median(ratios) if ratios else float("nan"),
            "%.0f" % (mib / median) if large else "",
            "%.1f MiB" % (rss / 1024) if large and rss else ""))
    print()
    print("Rounds: %d for the small operations (%d calls each in one process for the plug-in "
          "and the floor, %d processes for curl%s), %d for the large transfers. Ratio: the "
          "median of the per-round ratios to the floor's time in the same round."
          % (args.rounds, args.calls, args.process_calls,
             ", %d for the AWS CLI" % args.aws_calls if "aws" not in skipped else "",
             args.large_rounds))
    for peer in skipped:
        print("Skipped: %s" % peer)


def fmt(seconds):
    return "%.2f s" % seconds if seconds >= 1 else "%.2f ms" % (seconds * 1000)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--calls", type=int, default=50)
    parser.add_argument("--process-calls", type=int, default=10)
    parser.add_argument("--aws-calls", type=int, default=2)
    parser.add_argument("--large-rounds", type=int, default=3)
    parser.add_argument("--sizes", default="256,1024")
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    args.sizes = [int(s) for s in args.sizes.split(",") if s]

    work = tempfile.mkdtemp(prefix="skrw-compare-")
    state = os.path.join(work, "server")
    volumes = os.path.join(work, "Volumes", "downloads")
    os.makedirs(volumes)
    try:
        subprocess.run([os.path.join(ROOT, "tests", "s3server", "start.sh"), state], check=True,
                       stdout=subprocess.DEVNULL)
        endpoint = open(os.path.join(state, "endpoint")).read().strip()
        plugin = Plugin(args.build, endpoint, work)
        floor = Floor(args.build, endpoint)
        curl = Curl(endpoint)
        skipped = []
        aws = AwsCli(endpoint, work) if AwsCli.available() else None
        if aws is None:
            skipped.append("aws")
        boto = Boto3(endpoint) if Boto3.available() else None
        if boto is None:
            skipped.append("boto3")
        if shutil.which("s3cmd") is None:
            skipped.append("s3cmd")
        else:
            skipped.append("s3cmd (installed, not driven: it signs and streams differently)")

        bucket, listing_bucket = "cmp-objects", "cmp-thousand"
        small_file = os.path.join(work, "small.bin")
        with open(small_file, "wb") as out:
            out.write(os.urandom(1024))
        print("seeding %s with 1,000 objects" % listing_bucket, file=sys.stderr)
        seed = ['SKRW_CreateBucket("%s")' % bucket, 'SKRW_CreateBucket("%s")' % listing_bucket]
        seed += ['SKRW_PostObject("%s"; "object-%04d"; %s)' % (listing_bucket, i,
                                                               json.dumps(small_file))
                 for i in range(1000)]
        plugin.run(seed)

        results = Results()
        try:
            run_small(args, plugin, floor, curl, aws, boto, results, bucket, listing_bucket,
                      small_file, volumes)
            run_large(args, plugin, floor, curl, aws, boto, results, bucket, work, volumes)
        finally:
            # What was measured is shown even when a later measurement failed.
            print_table(results, args, skipped)
    finally:
        subprocess.run([os.path.join(ROOT, "tests", "s3server", "stop.sh"), state],
                       stdout=subprocess.DEVNULL)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
