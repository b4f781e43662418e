"""Host texts at their limits in every argument of every registered function:
empty, 1 MiB long, unpaired surrogates, characters outside the BMP and NUL
units. Every call gets an answer (a result or "!!ERROR!!" with a message),
nothing crashes or hangs; what reaches the service is checked in the request
log. Texts with NUL units go to the stand-in server only, since the local test
server's store cannot hold such names."""

import os
import unittest
import urllib.parse

import faultlib as f

EMPTY = ""
LONG = "x" * (1 << 20)
LONE_SURROGATES = "a\ud800b\udc00c"
OUTSIDE_BMP = "\U0001F600/\U0001D11E clef"
NUL_UNITS = "n\x00ul"
VARIANTS = {"empty": EMPTY, "1 MiB": LONG, "unpaired surrogates": LONE_SURROGATES,
            "outside the BMP": OUTSIDE_BMP}


class HostTexts(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.endpoint = f.server_endpoint()
        cls.tmp = f.TempDir()
        cls.home = os.path.join(cls.tmp.path, "home")
        os.mkdir(cls.home)
        cls.bucket = f.unique_name("faults-texts")
        cls.source = os.path.join(cls.tmp.path, "source.txt")
        with open(cls.source, "w") as out:
            out.write("source content")
        run = cls.host([f.calc("SKRW_CreateBucket", cls.bucket),
                       f.calc("SKRW_PostObject", cls.bucket, "plain.txt", cls.source)])
        assert run.answers()[1:] == ["0", "0"], run.results

        cls.stand_in = f.FakeS3()

    @classmethod
    def tearDownClass(cls):
        cls.stand_in.stop()
        cls.tmp.cleanup()

    @classmethod
    def host(cls, calculations, endpoint=None):
        return f.run_host([f.credentials_call()] + calculations,
                          endpoint=endpoint or cls.endpoint,
                          extra_env={"HOME": cls.home}, cwd=cls.tmp.path)

    def path_variant(self, value):
        return value if value == EMPTY else os.path.join(self.tmp.volumes, "v", value)

    def argument_table(self):
        """Each function with ordinary arguments; a variant replaces one of them."""
        b = self.bucket
        return [
            ("SKRW_Version", [""], set()),
            ("SKRW_GetLastError", [""], set()),
            ("SKRW_UseCredentials", ["s3", "S3RVER", "S3RVER", "region=us-east-1"], set()),
            ("SKRW_GetBucket", [b, "p", "/", "100", "token"], set()),
            ("SKRW_GetBucketProperty", ["count", 0], set()),
            ("SKRW_CreateBucket", ["unused"], set()),
            ("SKRW_DeleteBucket", ["unused"], set()),
            ("SKRW_GetObject", [b, "plain.txt", os.path.join(self.tmp.volumes, "got.txt")], {2}),
            ("SKRW_PostObject", [b, "posted.txt", self.source, 0], {2}),
            ("SKRW_CopyObject", [b, "plain.txt", b, "copied.txt"], set()),
            ("SKRW_DeleteObject", [b, "absent.txt"], set()),
        ]

    def test_every_argument_at_the_limits_gets_a_clear_answer(self):
        self.check_every_argument(VARIANTS, self.endpoint)

    def test_every_argument_with_nul_units_gets_a_clear_answer(self):
        self.check_every_argument({"NUL": NUL_UNITS}, self.stand_in.endpoint)

    def check_every_argument(self, variants, endpoint):
        calls = []
        for name, arguments, paths in self.argument_table():
            for position in range(len(arguments)):
                for label, value in variants.items():
                    args = list(arguments)
                    args[position] = self.path_variant(value) if position in paths else value
                    calls.append(("%s argument %d %s" % (name, position + 1, label),
                                  f.calc(name, *args)))
        calls += [("SKRW_ListAllBuckets", "SKRW_ListAllBuckets"), ("SKRW_Debug", "SKRW_Debug()")]
        calculations = []
        for _, calculation in calls:
            calculations += [calculation, "SKRW_GetLastError()"]

        run = self.host(calculations, endpoint)

        self.assertEqual(run.returncode, 0, run.stderr[-2000:])
        results = run.results[1:]
        self.assertEqual(len(results), len(calculations))
        for i, (what, _) in enumerate(calls):
            with self.subTest(call=what):
                answer, error = results[2 * i], results[2 * i + 1]
                self.assertIn("result", answer, answer)
                self.assertEqual(answer["hostError"], 0)
                if answer["result"] == f.ERROR:
                    fields = f.last_error(error["result"])
                    self.assertTrue(fields.get("MESSAGE"), error)
                    self.assertTrue(fields.get("CODE"), error)

    def requests_for(self, key_start):
        """This test bucket's recorded requests whose key starts so."""
        start = "/%s/%s" % (self.bucket, key_start)
        return [r for r in f.requests_for(self.bucket) if r["target"].startswith(start)]

    def test_unpaired_surrogates_reach_the_service_as_replacement_characters(self):
        key = "lone-" + LONE_SURROGATES
        run = self.host([f.calc("SKRW_PostObject", self.bucket, key, self.source),
                        f.calc("SKRW_GetBucket", self.bucket, "lone-"),
                        f.calc("SKRW_GetBucketProperty", "keys", 0)])
        self.assertEqual(run.answers()[1:], ["0", "0", "lone-a\ufffdb\ufffdc\n"])
        puts = [r for r in self.requests_for("lone-") if r["method"] == "PUT"]
        self.assertEqual(len(puts), 1)
        self.assertIn("/lone-a%EF%BF%BDb%EF%BF%BDc", puts[0]["target"])

    def test_characters_outside_the_bmp_round_trip_byte_exact(self):
        key = "astral-" + OUTSIDE_BMP
        copy = "astral-copy-" + OUTSIDE_BMP
        target = os.path.join(self.tmp.volumes, "astral", "\U0001F600.txt")
        run = self.host([f.calc("SKRW_PostObject", self.bucket, key, self.source),
                        f.calc("SKRW_CopyObject", self.bucket, key, self.bucket, copy),
                        f.calc("SKRW_GetBucket", self.bucket, "astral-"),
                        f.calc("SKRW_GetBucketProperty", "keys", 0),
                        f.calc("SKRW_GetObject", self.bucket, copy, target)])
        self.assertEqual(run.answers()[1:],
                         ["0", "0", "0", "%s\n%s\n" % (copy, key), "0"], run.results)
        with open(target) as got:
            self.assertEqual(got.read(), "source content")
        encoded = urllib.parse.quote(key.encode("utf-8"), safe="/~")
        self.assertTrue(self.requests_for(encoded), encoded)

    def test_nul_units_reach_the_request_intact(self):
        key = "nul-" + NUL_UNITS
        run = self.host([f.calc("SKRW_PostObject", "nul-bucket", key, self.source),
                         f.calc("SKRW_CopyObject", "nul-bucket", key, "nul-bucket", key + "2"),
                         f.calc("SKRW_GetBucket", "nul-bucket", NUL_UNITS),
                         f.calc("SKRW_DeleteObject", "nul-bucket", key)],
                        self.stand_in.endpoint)
        self.assertEqual(run.answers()[1:], ["0", "0", "0", "0"], run.results)
        targets = [t for _, t in self.stand_in.requests if t.startswith("/nul-bucket")]
        self.assertEqual(len(targets), 4, targets)
        self.assertTrue(targets[0].startswith("/nul-bucket/nul-n%00ul"), targets[0])
        self.assertTrue(targets[1].startswith("/nul-bucket/nul-n%00ul2"), targets[1])
        self.assertIn("prefix=n%00ul", targets[2])
        self.assertTrue(targets[3].startswith("/nul-bucket/nul-n%00ul"), targets[3])

    def test_nul_in_a_local_path_never_names_the_shorter_path(self):
        cut = os.path.join(self.tmp.path, "cut")
        with open(cut, "w") as out:
            out.write("not to be uploaded")
        download_cut = os.path.join(self.tmp.volumes, "dl")
        run = self.host([
            f.calc("SKRW_PostObject", self.bucket, "nul-path.txt", cut + "\x00tail"),
            f.calc("SKRW_GetObject", self.bucket, "plain.txt", download_cut + "\x00tail"),
        ])
        self.assertEqual(run.answers()[1:], [f.ERROR, f.ERROR])
        self.assertFalse(os.path.exists(download_cut))
        puts = [r for r in self.requests_for("nul-path.txt") if r["method"] == "PUT"]
        self.assertEqual(puts, [])

    def test_wrong_credentials_fail_after_one_request_and_keep_the_accepted_ones(self):
        access = "WRONG" + f.unique_name("k").replace("-", "").upper()
        run = self.host([f.credentials_call(access=access), "SKRW_GetLastError()",
                        "SKRW_ListAllBuckets"])
        answers = run.answers()
        self.assertEqual(answers[1], f.ERROR)
        self.assertEqual(f.last_error(answers[2])["MESSAGE"], "Failed to list buckets")
        self.assertIn(self.bucket + "\n", answers[3])
        attempts = [r for r in f.recorded_requests()
                    if "Credential=%s/" % access in r["headers"].get("authorization", "")]
        self.assertEqual(len(attempts), 1)


if __name__ == "__main__":
    unittest.main()
