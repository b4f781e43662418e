"""Answers that are not what S3 sends: pages, cut-off documents, a listing far
beyond the 16 MiB bound for XML, and a legitimate listing of 10,000 keys in
one page."""

import unittest

import faultlib as f


class AnswersNotS3(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = f.FakeS3()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def listing(self, bucket, *more):
        run = f.run_host([f.credentials_call(), f.calc("SKRW_GetBucket", bucket),
                          "SKRW_GetLastError()"] + list(more), endpoint=self.server.endpoint)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.answers()[0], "0")
        return run

    def assertListingRefused(self, run, reason):
        self.assertEqual(run.answers()[1], f.ERROR)
        error = f.last_error(run.answers()[2])
        self.assertEqual(error["SOURCE"], "GetFolder")
        self.assertIn(reason, error["MESSAGE"])

    def test_html_page_with_status_200_is_a_failed_listing(self):
        run = self.listing("html-page", f.calc("SKRW_GetBucketProperty", "count", 0))
        self.assertListingRefused(run, "could not be read")
        # The failed listing is not kept: there is nothing to count.
        self.assertNotEqual(run.answers()[3], "1")

    def test_truncated_listing_is_a_failure(self):
        run = self.listing("truncated-xml")
        self.assertListingRefused(run, "malformed XML")

    def test_listing_of_100_mib_is_refused_with_bounded_memory(self):
        run = self.listing("huge-xml")
        self.assertListingRefused(run, "larger than 16 MiB")
        # The client stopped reading soon after the bound instead of taking
        # the whole answer.
        self.assertLess(self.server.huge_bytes_sent, 64 << 20)
        if not f.SANITIZED:
            self.assertLess(run.max_rss_kib, 96 << 10, "peak RSS %d KiB" % run.max_rss_kib)

    def test_listing_of_10000_keys_in_one_page_succeeds(self):
        run = f.run_host([f.credentials_call(), f.calc("SKRW_GetBucket", "ten-thousand"),
                          f.calc("SKRW_GetBucketProperty", "count", 0),
                          f.calc("SKRW_GetBucketProperty", "key", 9999),
                          f.calc("SKRW_GetBucketProperty", "keys", 0)],
                         endpoint=self.server.endpoint)
        self.assertEqual(run.returncode, 0, run.stderr)
        answers = run.answers()
        self.assertEqual(answers[1], "0")
        self.assertEqual(answers[2], "10000")
        self.assertEqual(answers[3], "key-09999")
        self.assertEqual(answers[4].split("\n")[:-1], ["key-%05d" % i for i in range(10000)])


if __name__ == "__main__":
    unittest.main()
