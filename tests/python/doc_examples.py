"""The examples of a Markdown page: every ```python block, written out as a
file of its own, then run (--run) and type-checked with mypy --strict
against the module's stubs (--mypy). The test suite runs them through
test_docs.py; ctest type-checks them with this script.

    python3 doc_examples.py [--run] [--mypy] docs/python.md OUT_DIR
"""

import argparse
import os
import pathlib
import re
import subprocess
import sys
from typing import List


def blocks(page: pathlib.Path) -> List[str]:
    return re.findall(r"^```python\n(.*?)^```", page.read_text(), flags=re.S | re.M)


def main() -> int:
    ap = argparse.ArgumentParser()
    ap.add_argument("--run", action="store_true")
    ap.add_argument("--mypy", action="store_true")
    ap.add_argument("page", type=pathlib.Path)
    ap.add_argument("out", type=pathlib.Path)
    args = ap.parse_args()
    found = blocks(args.page)
    if not found:
        print(f"{args.page}: no python examples", file=sys.stderr)
        return 1
    args.out.mkdir(parents=True, exist_ok=True)
    files = []
    for i, code in enumerate(found, 1):
        f = args.out / f"example_{i}.py"
        f.write_text(code)
        files.append(f)
    failed = 0
    for f in files if args.run else []:
        run = subprocess.run([sys.executable, str(f)], capture_output=True, text=True)
        if run.returncode != 0:
            failed += 1
            print(f"{f}: exit {run.returncode}\n{run.stdout}{run.stderr}", file=sys.stderr)
    if args.mypy:
        env = dict(os.environ)
        env["MYPYPATH"] = env.get("PYTHONPATH", "")
        typed = subprocess.run([sys.executable, "-m", "mypy", "--strict", "--no-incremental",
                                "--cache-dir", os.devnull, *map(str, files)],
                               capture_output=True, text=True, env=env)
        print(typed.stdout, end="")
        if typed.returncode != 0:
            failed += 1
            print(typed.stderr, file=sys.stderr, end="")
    passed = (len(files) if args.run else 0) + (1 if args.mypy else 0) - failed
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
