"""Transport faults end to end through pluginhost: a server that goes away
in the middle of a transfer, a closed port, a host that does not resolve, an
untrusted certificate and a destination that cannot be written. Each gives a
failure with a readable message, nothing lost, no temporary file left."""

import os
import time
import unittest

import faultlib as f


class TransportFaults(unittest.TestCase):
    def setUp(self):
        self.tmp = f.TempDir()
        self.addCleanup(self.tmp.cleanup)

    def session_with_credentials(self, server, **kwargs):
        session = f.HostSession(server.endpoint, **kwargs)
        self.addCleanup(session.kill)
        self.assertEqual(session.result(f.credentials_call()), "0")
        return session

    def assertFailureWithMessage(self, answer, session, source, message_start=""):
        self.assertEqual(answer, f.ERROR)
        error = session.last_error()
        self.assertEqual(error["SOURCE"], source)
        self.assertTrue(error["MESSAGE"].startswith(message_start), error)
        self.assertGreater(len(error["MESSAGE"]), len(message_start), error)
        return error

    def test_server_gone_mid_download_keeps_the_old_file_and_leaves_no_temporary(self):
        server = f.FakeS3(object_bytes=8 << 20)
        self.addCleanup(server.stop)
        session = self.session_with_credentials(server)
        folder = os.path.join(self.tmp.volumes, "downloads")
        os.mkdir(folder)
        target = os.path.join(folder, "report.pdf")
        with open(target, "w") as out:
            out.write("the old content")

        answer = session.result(f.calc("SKRW_GetObject", "die-download", "report.pdf", target))

        self.assertFailureWithMessage(answer, session, "GetObject",
                                      "Unable to connect to endpoint")
        with open(target) as kept:
            self.assertEqual(kept.read(), "the old content")
        self.assertEqual(os.listdir(folder), ["report.pdf"])
        self.assertEqual(session.close(), 0)

    def test_server_gone_mid_download_of_a_new_file_leaves_nothing(self):
        server = f.FakeS3(object_bytes=8 << 20)
        self.addCleanup(server.stop)
        session = self.session_with_credentials(server)
        folder = os.path.join(self.tmp.volumes, "fresh")
        target = os.path.join(folder, "new.bin")

        answer = session.result(f.calc("SKRW_GetObject", "die-download", "new.bin", target))

        self.assertEqual(answer, f.ERROR)
        self.assertFalse(os.path.exists(target))
        self.assertEqual(os.listdir(folder) if os.path.isdir(folder) else [], [])
        self.assertEqual(session.close(), 0)

    def test_upload_cut_short_with_delete_flag_keeps_the_local_file(self):
        source = os.path.join(self.tmp.path, "upload.bin")
        # Larger than what the sockets' buffers take in while nobody reads.
        content = os.urandom(1 << 20) * 16
        with open(source, "wb") as out:
            out.write(content)
        for bucket, message_start in (("die-upload", "Unable to connect to endpoint: "),
                                      ("early-answer", "Unable to connect to endpoint: only ")):
            with self.subTest(bucket):
                server = f.FakeS3()
                self.addCleanup(server.stop)
                session = self.session_with_credentials(server)

                answer = session.result(f.calc("SKRW_PostObject", bucket, "upload.bin", source, 1))

                error = self.assertFailureWithMessage(answer, session, "PostObject", message_start)
                self.assertEqual(error["CODE"], "-400")
                with open(source, "rb") as kept:
                    self.assertEqual(kept.read(), content)
                self.assertEqual(session.close(), 0)

    def test_closed_port_fails_every_kind_of_call_with_the_connection_message(self):
        server = f.FakeS3()
        session = self.session_with_credentials(server)
        server.stop()
        source = os.path.join(self.tmp.path, "small.txt")
        with open(source, "w") as out:
            out.write("small")
        target = os.path.join(self.tmp.volumes, "small.txt")
        calls = [
            (f.calc("SKRW_GetBucket", "bucket"), "GetFolder"),
            (f.calc("SKRW_CreateBucket", "bucket"), "CreateFolder"),
            (f.calc("SKRW_DeleteBucket", "bucket"), "DeleteFolder"),
            (f.calc("SKRW_GetObject", "bucket", "k", target), "GetObject"),
            (f.calc("SKRW_PostObject", "bucket", "k", source, 1), "PostObject"),
            (f.calc("SKRW_DeleteObject", "bucket", "k"), "DeleteObject"),
        ]
        for calculation, source_name in calls:
            with self.subTest(calculation=calculation):
                started = time.monotonic()
                answer = session.result(calculation)
                self.assertFailureWithMessage(answer, session, source_name,
                                              "Unable to connect to endpoint")
                self.assertLess(time.monotonic() - started, 30)
        self.assertTrue(os.path.exists(source), "an upload that failed removed its file")
        self.assertFalse(os.path.exists(target))
        self.assertEqual(session.result("SKRW_ListAllBuckets"), f.ERROR)
        self.assertEqual(session.close(), 0)

    def test_unresolvable_host_fails_the_credential_probe_quickly(self):
        started = time.monotonic()
        run = f.run_host([f.credentials_call(), "SKRW_GetLastError()", "SKRW_ListAllBuckets"],
                         endpoint="http://nonexistent.invalid")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertLess(time.monotonic() - started, 60)
        answers = run.answers()
        self.assertEqual(answers[0], f.ERROR)
        error = f.last_error(answers[1])
        self.assertEqual((error["MESSAGE"], error["CODE"], error["SOURCE"]),
                         ("Failed to list buckets", "-400", "UseCredentials"))
        self.assertEqual(answers[2], f.ERROR)

    def test_untrusted_certificate_is_refused_after_one_attempt(self):
        server = f.FakeS3(tls_context=f.self_signed_context(self.tmp.path))
        self.addCleanup(server.stop)
        run = f.run_host([f.credentials_call(), "SKRW_GetLastError()"], endpoint=server.endpoint)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.answers()[0], f.ERROR)
        self.assertEqual(f.last_error(run.answers()[1])["MESSAGE"], "Failed to list buckets")
        self.assertEqual(server.connections, 1)
        self.assertEqual(server.requests, [], "a request went over an untrusted connection")

    def test_local_write_failure_is_a_platform_error_and_keeps_the_old_file(self):
        server = f.FakeS3(object_bytes=1 << 20)
        self.addCleanup(server.stop)
        session = self.session_with_credentials(
            server, preexec_fn=f.limit_file_size(256 << 10))
        folder = os.path.join(self.tmp.volumes, "limited")
        os.mkdir(folder)
        target = os.path.join(folder, "data.bin")
        with open(target, "w") as out:
            out.write("precious")

        answer = session.result(f.calc("SKRW_GetObject", "object", "data.bin", target))

        self.assertEqual(answer, f.ERROR)
        error = session.last_error()
        self.assertEqual(error["SOURCE"], "ERROR")
        self.assertEqual(error["CODE"], str(27), error)  # EFBIG
        self.assertIn("too large", error["MESSAGE"].lower())
        with open(target) as kept:
            self.assertEqual(kept.read(), "precious")
        self.assertEqual(os.listdir(folder), ["data.bin"])
        self.assertEqual(session.close(), 0)


if __name__ == "__main__":
    unittest.main()
