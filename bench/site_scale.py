#!/usr/bin/env python3
"""The dictionary site at scale: writes the site of a generated repository
and reports wall time, CPU time and peak memory of `smutil site`, the number
and largest size of the files, then the same for a second run with
--changed-only (nothing changed, so nothing is rewritten).

    cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DSMUTIL_TESTS=OFF
    cmake --build build-rel --target smutil
    python3 bench/site_scale.py --smutil build-rel/smutil --objects 1000000 --work /tmp/site-scale

The repository is generated once (`smutil generate N`, seed 1) and kept in
the work directory; the site is written afresh each time the script runs.
"""
import argparse
import os
import resource
import shutil
import subprocess
import sys
import time


def timed(cmd):
    """Runs cmd; returns (wall s, CPU s, peak RSS MB, stdout)."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    result = subprocess.run(cmd, stdout=subprocess.PIPE, text=True)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if result.returncode != 0:
        sys.exit("failed: " + " ".join(cmd))
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    # ru_maxrss of children is the largest of any child so far, in KB.
    return wall, cpu, after.ru_maxrss / 1024.0, result.stdout.strip()


def survey(root):
    """Files of the site (the saved hash list, which is not served, apart)."""
    files, total, largest, largest_path, pages = 0, 0, 0, "", 0
    pictures, picture_bytes, largest_picture, joins_pages = 0, 0, (0, ""), 0
    for dirpath, _, names in os.walk(root):
        for name in names:
            if name == ".site-hashes" and dirpath == root:
                continue
            path = os.path.join(dirpath, name)
            size = os.path.getsize(path)
            files += 1
            total += size
            pages += name.endswith(".html")
            joins_pages += "~joins-" in name
            if name.endswith(".svg"):
                pictures += 1
                picture_bytes += size
                largest_picture = max(largest_picture, (size, os.path.relpath(path, root)))
            if size > largest:
                largest, largest_path = size, os.path.relpath(path, root)
    return files, pages, total, largest, largest_path, (pictures, picture_bytes, largest_picture, joins_pages)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--smutil", required=True)
    ap.add_argument("--objects", type=int, default=1000000)
    ap.add_argument("--work", default="/tmp/site-scale")
    ap.add_argument("--site", help="where to write the site (default WORK/site); emptied first")
    args = ap.parse_args()
    os.makedirs(args.work, exist_ok=True)
    repo = os.path.join(args.work, "repo-%d.rpd.xml" % args.objects)
    site = args.site or os.path.join(args.work, "site")
    if not os.path.exists(repo):
        subprocess.run([args.smutil, "generate", str(args.objects), repo], check=True, stdout=subprocess.DEVNULL)
    shutil.rmtree(site, ignore_errors=True)

    wall, cpu, rss, out = timed([args.smutil, "--repo", repo, "site", site])
    files, pages, total, largest, largest_path, (pictures, picture_bytes, largest_picture, joins_pages) = survey(site)
    print("objects            %d (load average before: %.1f)" % (args.objects, os.getloadavg()[0]))
    print("smutil says        %s" % out)
    print("first run          %.1f s wall, %.1f s CPU, peak RSS %.0f MB" % (wall, cpu, rss))
    print("files              %d (%d HTML pages), %.0f MB in all" % (files, pages, total / 1e6))
    print("largest file       %.1f KB (%s)" % (largest / 1024.0, largest_path))
    print("pictures           %d, %.1f MB; largest %.1f KB (%s); %d full-list pages behind capped pictures" % (
        pictures, picture_bytes / 1e6, largest_picture[0] / 1024.0, largest_picture[1], joins_pages))
    print("hash list          %.1f MB (.site-hashes, for --changed-only)" %
          (os.path.getsize(os.path.join(site, ".site-hashes")) / 1e6))
    wall, cpu, _, out = timed([args.smutil, "--repo", repo, "site", site, "--changed-only"])
    print("--changed-only     %.1f s wall, %.1f s CPU; %s" % (wall, cpu, out))
    ok = largest < 200 * 1024 and rss < 2048
    print("limits             every file under 200 KB, memory under 2 GB: %s" % ("yes" if ok else "NO"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
