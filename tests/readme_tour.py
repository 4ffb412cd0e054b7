#!/usr/bin/env python3
"""Runs the tool's commands that the README shows and compares their output
with the lines shown under them, so that the README cannot drift from the
tool.

In every fenced block a line "$ build/smutil ..." is a command (a trailing
backslash continues it on the next line); the lines after it, up to the next
"$ " line or the end of the block, are what it prints on standard output and
standard error together (blank lines at the end of either are not
counted: a block cannot show them). A line "..." stands for any number of
lines. A
command shown without output is shown for its form only and is not run.
Paths under /tmp/ stand for a scratch folder of this run, in the commands
and in their output. Commands run in a folder of their own where samples/
is the source tree's, so that files they write land nowhere else, with
build/smutil being the tool under test.

Exit status: 0 when every command printed what the README shows, 1 with a
report of each difference otherwise, 2 on bad usage.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

PROMPT = "$ "
TOOL = "build/smutil"


def shown_commands(readme_text):
    """(line number, command, expected lines) for every command shown with output."""
    found = []
    in_block = False
    current = None
    lines = readme_text.splitlines()
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith("```"):
            if current:
                found.append(current)
                current = None
            in_block = not in_block
            i += 1
            continue
        if not in_block:
            i += 1
            continue
        if line.startswith(PROMPT):
            if current:
                found.append(current)
                current = None
            start = i + 1
            command = line[len(PROMPT):]
            while command.endswith("\\") and i + 1 < len(lines):
                i += 1
                command = command[:-1] + " " + lines[i].strip()
            if command.startswith(TOOL + " ") or command == TOOL:
                current = (start, command, [])
        elif current:
            current[2].append(line)
        i += 1
    if current:
        found.append(current)
    return [c for c in found if c[2]]


def matches(expected, actual):
    """Whether actual lines read as expected, where "..." stands for any lines."""
    if not expected:
        return not actual
    if expected[0].strip() == "...":
        return any(matches(expected[1:], actual[k:]) for k in range(len(actual) + 1))
    return bool(actual) and actual[0] == expected[0] and matches(expected[1:], actual[1:])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--smutil", required=True, help="the tool under test")
    parser.add_argument("--source", required=True, help="the source tree (README.md, samples/)")
    args = parser.parse_args()
    args.smutil = os.path.abspath(args.smutil)
    with open(os.path.join(args.source, "README.md"), encoding="utf-8") as f:
        commands = shown_commands(f.read())
    if not commands:
        print("README.md shows no command with its output", file=sys.stderr)
        return 1
    scratch = tempfile.mkdtemp(prefix="smutil-readme-")
    work = os.path.join(scratch, "work")
    os.mkdir(work)
    os.symlink(os.path.join(os.path.abspath(args.source), "samples"), os.path.join(work, "samples"))
    env = dict(os.environ)
    # The README's outputs are those of a plain installation.
    for name in ("SMUTIL_REPO", "SMUTIL_CONFIG", "SMUTIL_DATA_DIR", "SMUTIL_MESSAGES", "SMUTIL_HOME"):
        env.pop(name, None)
    failures = 0
    try:
        for line_no, command, expected in commands:
            run = command.replace("/tmp/", scratch + "/")
            run = re.sub(r"(^|[\s|;&(])build/smutil\b", lambda m: m.group(1) + args.smutil, run)
            done = subprocess.run(["sh", "-c", run + " 2>&1"], cwd=work, env=env,
                                  stdout=subprocess.PIPE, timeout=120)
            actual = done.stdout.decode("utf-8", "replace").replace(scratch + "/", "/tmp/").splitlines()
            while actual and not actual[-1].strip():
                actual.pop()
            while expected and not expected[-1].strip():
                expected = expected[:-1]
            if not matches(expected, actual):
                failures += 1
                print(f"README.md:{line_no}: $ {command}")
                print("  shown:")
                for e in expected:
                    print("    " + e)
                print("  printed:")
                for a in actual:
                    print("    " + a)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print(f"{len(commands)} commands of the README run, {failures} print something else")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
