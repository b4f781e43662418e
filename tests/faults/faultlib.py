"""Shared pieces of the fault tests: running pluginhost, calculations, a
misbehaving S3 stand-in, the local test server's request log and temporary
folders.

Paths come from the environment that CTest sets (see CMakeLists.txt):
SKRW_PLUGINHOST, SKRW_BUNDLE, SKRW_S3SERVER_STATE, SKRW_SANITIZED.
"""

import json
import os
import shutil
import signal
import socket
import ssl
import subprocess
import tempfile
import threading
import time
import urllib.parse
import uuid

PLUGINHOST = os.environ.get("SKRW_PLUGINHOST", "")
BUNDLE = os.environ.get("SKRW_BUNDLE", "")
S3SERVER_STATE = os.environ.get("SKRW_S3SERVER_STATE", "")
SANITIZED = os.environ.get("SKRW_SANITIZED", "") not in ("", "0", "OFF")
ERROR = "!!ERROR!!"
CALL_TIMEOUT = 240  # seconds for one pluginhost run; a hang fails the test


# --- calculations -----------------------------------------------------------

def text(value):
    """A text argument. Lone surrogates and NUL are written as \\uXXXX escapes,
    so the host receives exactly these UTF-16 units."""
    return json.dumps(value, ensure_ascii=True)


def calc(name, *args):
    parts = [text(a) if isinstance(a, str) else repr(a) for a in args]
    return "%s(%s)" % (name, "; ".join(parts))


def credentials_call(secret="S3RVER", access="S3RVER"):
    return calc("SKRW_UseCredentials", "s3", access, secret)


# --- running pluginhost -----------------------------------------------------

class HostRun:
    def __init__(self, results, returncode, stderr, max_rss_kib):
        self.results = results
        self.returncode = returncode
        self.stderr = stderr
        self.max_rss_kib = max_rss_kib

    def answers(self):
        return [r.get("result") for r in self.results]


def host_env(endpoint=None, extra=None):
    env = dict(os.environ)
    env.pop("AWS_ENDPOINT_URL", None)
    env.pop("AWS_ENDPOINT_URL_S3", None)
    if endpoint is not None:
        env["AWS_ENDPOINT_URL_S3"] = endpoint
    env.setdefault("SKRW_AWS_RETRY_BASE_DELAY_MS", "1")
    if extra:
        env.update(extra)
    return env


def run_host(calculations, endpoint=None, extra_env=None, preexec_fn=None,
             timeout=CALL_TIMEOUT, cwd=None):
    """Runs one pluginhost process over the calculations (one per line on
    standard input) and answers its JSON lines, exit status and peak RSS. A
    run that outlives the timeout is killed and reported as a hang."""
    proc = subprocess.Popen(
        [PLUGINHOST, "--json", BUNDLE], stdin=subprocess.PIPE,
        stdout=subprocess.PIPE, stderr=subprocess.PIPE,
        env=host_env(endpoint, extra_env), preexec_fn=preexec_fn, cwd=cwd)
    out, err = [], []

    def feed():  # in a thread of its own, so that the checks below run while pluginhost reads
        try:
            proc.stdin.write(("\n".join(calculations) + "\n").encode("utf-8"))
        except BrokenPipeError:
            pass
        try:
            proc.stdin.close()  # closes the pipe even when the flush fails
        except BrokenPipeError:
            pass
    readers = [threading.Thread(target=lambda: out.append(proc.stdout.read())),
               threading.Thread(target=lambda: err.append(proc.stderr.read())),
               threading.Thread(target=feed)]
    for r in readers:
        r.start()
    deadline = time.monotonic() + timeout
    status = None
    rusage = None
    next_check = time.monotonic() + 1
    while time.monotonic() < deadline:
        pid, status, rusage = os.wait4(proc.pid, os.WNOHANG)
        if pid != 0:
            break
        if endpoint in _TEST_SERVERS and time.monotonic() > next_check:
            next_check = time.monotonic() + 1
            _stop_unless_server_runs(endpoint, proc, readers)
        time.sleep(0.02)
    else:
        proc.kill()
        os.wait4(proc.pid, 0)
        for r in readers:
            r.join()
        raise AssertionError("pluginhost did not finish within %ds (hang)" % timeout)
    proc.returncode = os.waitstatus_to_exitcode(status)
    for r in readers:
        r.join()
    proc.stdout.close()
    proc.stderr.close()
    lines = out[0].decode("utf-8").splitlines() if out else []
    results = [json.loads(line) for line in lines if line.strip()]
    return HostRun(results, proc.returncode,
                   err[0].decode("utf-8", "replace") if err else "", rusage.ru_maxrss)


def limit_file_size(max_bytes):
    """A preexec function: the child may write files of at most max_bytes,
    and a larger write fails with EFBIG instead of raising SIGXFSZ."""
    import resource

    def apply():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (max_bytes, max_bytes))
    return apply


def last_error(run_results_tail):
    """The three lines of SKRW_GetLastError as a dict (MESSAGE, CODE, SOURCE)."""
    fields = {}
    for line in run_results_tail.split("\n"):
        name, _, value = line.partition(": ")
        fields[name] = value
    return fields


# --- local test server ------------------------------------------------------

_TEST_SERVERS = set()  # endpoints given by server_endpoint(); run_host watches them


def server_endpoint():
    """The local test server's URL; fails, saying so, when the server is not
    running: a test that went on would spend every call on retries."""
    path = os.path.join(S3SERVER_STATE, "endpoint")
    if not os.path.exists(path):
        raise AssertionError("the local S3 test server is not running (no %s)" % path)
    with open(path) as f:
        endpoint = f.read().strip()
    require_server(endpoint)
    _TEST_SERVERS.add(endpoint)
    return endpoint


def require_server(endpoint):
    """Raises unless the test server at the endpoint takes a connection."""
    address = urllib.parse.urlsplit(endpoint)
    try:
        socket.create_connection((address.hostname, address.port), timeout=5).close()
    except OSError as error:
        raise AssertionError("the local S3 test server is not running: no connection to %s (%s)"
                             % (endpoint, error)) from None


def _stop_unless_server_runs(endpoint, proc, readers):
    try:
        require_server(endpoint)
    except AssertionError:
        proc.kill()
        proc.wait()
        for r in readers:
            r.join()
        proc.stdout.close()
        proc.stderr.close()
        raise


def requests_for(bucket):
    """The test server's recorded requests for the bucket (a name of the
    test's own), in order: targets "/<bucket>", "/<bucket>/..." and
    "/<bucket>?...", and requests to the host "<bucket>.<...>". Tests run in
    parallel against one server, so a test reads the record only through this
    or by a marker of its own."""
    base = "/" + bucket
    return [r for r in recorded_requests()
            if r["target"] == base or r["target"].startswith((base + "/", base + "?"))
            or r["headers"].get("host", "").startswith(bucket + ".")]


def recorded_requests():
    """Every request the test server recorded; a last line still being
    written is left out."""
    path = os.path.join(S3SERVER_STATE, "requests.jsonl")
    with open(path, encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.endswith("\n") and line.strip()]


def unique_name(prefix):
    return ("%s-%s" % (prefix, uuid.uuid4().hex[:12])).lower()


class TempDir:
    """A fresh folder below the system's temporary folder, removed at exit;
    downloads go below its Volumes folder."""

    def __init__(self):
        self.path = tempfile.mkdtemp(prefix="skrw-faults-")
        self.volumes = os.path.join(self.path, "Volumes")
        os.mkdir(self.volumes)

    def cleanup(self):
        shutil.rmtree(self.path, ignore_errors=True)


# --- a misbehaving S3 stand-in ----------------------------------------------

def listing_xml(bucket, keys, truncated=False):
    parts = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<ListBucketResult xmlns="http://s3.amazonaws.com/doc/2006-03-01/">',
             "<Name>%s</Name><Prefix></Prefix><KeyCount>%d</KeyCount>" % (bucket, len(keys)),
             "<MaxKeys>%d</MaxKeys><IsTruncated>%s</IsTruncated>"
             % (max(1000, len(keys)), "true" if truncated else "false")]
    for key in keys:
        parts.append(listing_entry(key))
    parts.append("</ListBucketResult>")
    return "".join(parts).encode("utf-8")


def listing_entry(key):
    return ("<Contents><Key>%s</Key><LastModified>2024-01-02T03:04:05.000Z</LastModified>"
            "<ETag>&quot;0123456789abcdef0123456789abcdef&quot;</ETag><Size>1</Size>"
            "<StorageClass>STANDARD</StorageClass></Contents>" % key)


BUCKETS_XML = (b'<?xml version="1.0" encoding="UTF-8"?><ListAllMyBucketsResult>'
               b"<Owner><ID>1</ID><DisplayName>fake</DisplayName></Owner><Buckets>"
               b"<Bucket><Name>fake</Name><CreationDate>2024-01-02T03:04:05.000Z</CreationDate>"
               b"</Bucket></Buckets></ListAllMyBucketsResult>")


COPY_XML = (b'<?xml version="1.0" encoding="UTF-8"?><CopyObjectResult>'
            b"<LastModified>2024-01-02T03:04:05.000Z</LastModified>"
            b"<ETag>&quot;0123456789abcdef0123456789abcdef&quot;</ETag></CopyObjectResult>")


class FakeS3:
    """A small HTTP(S) server on 127.0.0.1 that answers like S3 until the
    bucket name asks it not to. It checks no signature. Behaviours, chosen by
    the bucket (first path segment):

      html-page       200 with an HTML page
      truncated-xml   200 with a listing cut off in the middle
      huge-xml        200 with a listing of huge_bytes (streamed)
      ten-thousand    200 with one page of 10,000 keys
      die-download    an object answer cut after half its body, then the
                      server stops listening (as if killed)
      die-upload      reads part of the body, then stops listening
      early-answer    answers a PUT 200 before reading its body, then closes
      object          GET answers object_bytes of data

    Every connection is counted (also those whose TLS handshake failed)."""

    def __init__(self, tls_context=None, object_bytes=1 << 20, huge_bytes=100 << 20):
        self.tls_context = tls_context
        self.object_bytes = object_bytes
        self.huge_bytes = huge_bytes
        self.connections = 0
        self.requests = []
        self.huge_bytes_sent = 0
        self._lock = threading.Lock()
        self._listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self._listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self._listener.bind(("127.0.0.1", 0))
        self._listener.listen(16)
        self._listener.settimeout(0.1)
        self.port = self._listener.getsockname()[1]
        self._stopping = False
        self._thread = threading.Thread(target=self._serve, daemon=True)
        self._thread.start()

    @property
    def endpoint(self):
        return "%s://127.0.0.1:%d" % ("https" if self.tls_context else "http", self.port)

    def stop(self):
        """Stops listening: later connections are refused."""
        self._stopping = True
        self._thread.join()

    def _serve(self):
        while not self._stopping:
            try:
                conn, _ = self._listener.accept()
            except socket.timeout:
                continue
            except OSError:
                break
            with self._lock:
                self.connections += 1
            threading.Thread(target=self._handle, args=(conn,), daemon=True).start()
        self._listener.close()

    def _handle(self, conn):
        try:
            conn.settimeout(30)
            if self.tls_context is not None:
                conn = self.tls_context.wrap_socket(conn, server_side=True)
            self._answer(conn)
        except (OSError, ssl.SSLError, ValueError):
            pass
        finally:
            try:
                conn.close()
            except OSError:
                pass

    def _read_head(self, conn):
        data = b""
        while b"\r\n\r\n" not in data:
            chunk = conn.recv(65536)
            if not chunk:
                raise OSError("closed before the head ended")
            data += chunk
        head, _, rest = data.partition(b"\r\n\r\n")
        lines = head.decode("latin-1").split("\r\n")
        method, target, _ = lines[0].split(" ", 2)
        headers = {}
        for line in lines[1:]:
            name, _, value = line.partition(":")
            headers[name.strip().lower()] = value.strip()
        return method, target, headers, rest

    def _read_body(self, conn, rest, length, limit=None):
        received = len(rest)
        want = length if limit is None else min(length, limit)
        while received < want:
            chunk = conn.recv(min(65536, want - received))
            if not chunk:
                break
            received += len(chunk)
        return received

    @staticmethod
    def _send(conn, status, body, content_type="application/xml", length=None):
        reason = {200: "OK", 404: "Not Found"}.get(status, "Whatever")
        head = ("HTTP/1.1 %d %s\r\nContent-Type: %s\r\nContent-Length: %d\r\n"
                "ETag: \"0123456789abcdef0123456789abcdef\"\r\n"
                "Last-Modified: Tue, 02 Jan 2024 03:04:05 GMT\r\nConnection: close\r\n\r\n"
                % (status, reason, content_type, len(body) if length is None else length))
        conn.sendall(head.encode("latin-1") + body)

    def _answer(self, conn):
        method, target, headers, rest = self._read_head(conn)
        path = target.split("?", 1)[0]
        bucket = path.lstrip("/").split("/", 1)[0]
        with self._lock:
            self.requests.append((method, target))
        length = int(headers.get("content-length", "0") or 0)
        if bucket == "early-answer" and method == "PUT":
            self._send(conn, 200, b"")
            return
        if bucket == "die-upload" and method == "PUT":
            self._read_body(conn, rest, length, limit=256 << 10)
            self._stopping = True
            return
        self._read_body(conn, rest, length)
        if bucket == "":
            self._send(conn, 200, BUCKETS_XML)
        elif bucket == "html-page":
            self._send(conn, 200, b"<!DOCTYPE html><html><body><h1>Welcome</h1></body></html>",
                       "text/html")
        elif bucket == "truncated-xml":
            self._send(conn, 200, listing_xml(bucket, ["a", "b", "c"])[:-60])
        elif bucket == "ten-thousand":
            self._send(conn, 200, listing_xml(bucket, ["key-%05d" % i for i in range(10000)]))
        elif bucket == "huge-xml":
            self._send_huge_listing(conn)
        elif bucket == "die-download":
            self._send(conn, 200, b"n" * (self.object_bytes // 2), "application/octet-stream",
                       length=self.object_bytes)
            self._stopping = True
        elif bucket == "object" and method == "GET":
            self._send(conn, 200, b"d" * self.object_bytes, "application/octet-stream")
        else:
            self._send_ordinary(conn, method, path, headers)

    def _send_ordinary(self, conn, method, path, headers):
        """What S3 answers a well-formed request that succeeds."""
        is_bucket = "/" not in path.lstrip("/")
        if method == "GET" and is_bucket:
            self._send(conn, 200, listing_xml(path.lstrip("/"), []))
        elif method == "PUT" and "x-amz-copy-source" in headers:
            self._send(conn, 200, COPY_XML)
        elif method == "GET":
            self._send(conn, 200, b"content", "application/octet-stream")
        elif method == "DELETE":
            conn.sendall(b"HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n")
        else:
            self._send(conn, 200, b"")

    def _send_huge_listing(self, conn):
        head = listing_xml("huge-xml", [])[:-len(b"</ListBucketResult>")]
        tail = b"</ListBucketResult>"
        entry = listing_entry("k" * 200).encode("utf-8")
        block = entry * max(1, (256 << 10) // len(entry))
        count = (self.huge_bytes - len(head) - len(tail)) // len(block)
        total = len(head) + count * len(block) + len(tail)
        self._send(conn, 200, head, length=total)
        for _ in range(count):
            conn.sendall(block)
            self.huge_bytes_sent += len(block)
        conn.sendall(tail)


def self_signed_context(folder):
    """A TLS server context with a fresh self-signed certificate for
    127.0.0.1, which no trust store knows."""
    key = os.path.join(folder, "key.pem")
    cert = os.path.join(folder, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", cert, "-days", "1", "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def closed_port():
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


class HostSession:
    """One pluginhost process driven a calculation at a time, so that a test
    can change the world (stop a server) between two calls."""

    def __init__(self, endpoint=None, extra_env=None, preexec_fn=None):
        self.proc = subprocess.Popen(
            [PLUGINHOST, "--json", BUNDLE], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL, env=host_env(endpoint, extra_env), preexec_fn=preexec_fn)

    @property
    def pid(self):
        return self.proc.pid

    def call(self, calculation, timeout=CALL_TIMEOUT):
        """The JSON answer to one calculation; a call that does not answer in
        time fails as a hang."""
        import select
        self.proc.stdin.write((calculation + "\n").encode("utf-8"))
        self.proc.stdin.flush()
        ready, _, _ = select.select([self.proc.stdout], [], [], timeout)
        if not ready:
            self.proc.kill()
            raise AssertionError("no answer within %ds to %s" % (timeout, calculation[:200]))
        line = self.proc.stdout.readline()
        if not line:
            raise AssertionError("pluginhost ended (status %s) during %s"
                                 % (self.proc.wait(), calculation[:200]))
        return json.loads(line.decode("utf-8"))

    def result(self, calculation, timeout=CALL_TIMEOUT):
        return self.call(calculation, timeout).get("result")

    def last_error(self):
        return last_error(self.result("SKRW_GetLastError()"))

    def close(self, timeout=60):
        """Ends the session (shut-down) and answers the exit status."""
        self.proc.stdin.close()
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            raise AssertionError("pluginhost did not end after its input closed")
        finally:
            self.proc.stdout.close()

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for stream in (self.proc.stdin, self.proc.stdout):
            if not stream.closed:
                stream.close()
