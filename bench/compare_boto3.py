#!/usr/bin/env python3
"""The boto3 peer of bench/compare.py: one client in one process makes the
same requests as compare_floor, after one untimed warm-up unless told not to.

  compare_boto3.py ENDPOINT COUNT [--no-warm-up] OPERATION [ARGUMENTS]

Operations and arguments as for compare_floor. Prints
"<operation> <count> <seconds>"."""

import sys
import time

import boto3
from botocore.config import Config


def main():
    endpoint, count = sys.argv[1], int(sys.argv[2])
    rest = sys.argv[3:]
    warm_up = True
    if rest and rest[0] == "--no-warm-up":
        warm_up, rest = False, rest[1:]
    op, args = rest[0], rest[1:]
    s3 = boto3.client("s3", endpoint_url=endpoint, aws_access_key_id="S3RVER",
                      aws_secret_access_key="S3RVER", region_name="us-east-1",
                      config=Config(s3={"addressing_style": "path"}))

    def once():
        if op == "list-buckets":
            s3.list_buckets()
        elif op == "list-objects":
            s3.list_objects_v2(Bucket=args[0], MaxKeys=1000)
        elif op == "put":
            with open(args[2], "rb") as body:
                s3.put_object(Bucket=args[0], Key=args[1], Body=body)
        elif op == "get":
            answer = s3.get_object(Bucket=args[0], Key=args[1])
            with open(args[2], "wb") as out:
                for chunk in answer["Body"].iter_chunks(1 << 20):
                    out.write(chunk)
        elif op == "copy":
            s3.copy_object(Bucket=args[2], Key=args[3],
                           CopySource={"Bucket": args[0], "Key": args[1]})
        elif op == "delete":
            s3.delete_object(Bucket=args[0], Key=args[1])
        elif op == "create-delete":
            s3.create_bucket(Bucket=args[0])
            s3.delete_bucket(Bucket=args[0])
        else:
            raise SystemExit("compare_boto3: unknown operation " + op)

    if warm_up:
        once()
    started = time.monotonic()
    for _ in range(count):
        once()
    print("%s %d %.6f" % (op, count, time.monotonic() - started))


if __name__ == "__main__":
    main()
