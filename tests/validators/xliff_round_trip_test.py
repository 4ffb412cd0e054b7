#!/usr/bin/env python3
"""xliff_round_trip_test.py --smutil TOOL --repo FILE --out DIR

The translation round trip through other tools: the repository's texts are
externalized and exported as XLIFF 2.0, then
  1. read and written back by the xliff npm library (xliff2js, every target
     filled, js2xliff) and imported: every unit must import;
  2. the same document written as XLIFF 1.2 by the library, turned into a
     PO file by translate-toolkit's xliff2po, translated, turned back by
     po2xliff (XLIFF 1.1, new unit ids, the old ones as location
     references, no target language) and imported: every unit must import.
Each import is checked in the bundle store. Exits 77 (skipped) when the
npm packages (scripts/install-npm.sh) or translate-toolkit are missing."""
import argparse
import os
import shutil
import sqlite3
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
MODULES = os.path.join(HERE, "node_modules")


def run(args, **kw):
    r = subprocess.run(args, capture_output=True, text=True, **kw)
    if r.returncode != 0:
        raise SystemExit(f"FAILED: {' '.join(args)} ({r.returncode})\n{r.stdout}{r.stderr}")
    return r.stdout


def store_texts(db, language):
    with sqlite3.connect(db) as c:
        return dict(c.execute("SELECT key, text FROM bundle_strings WHERE language = ?", (language,)))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--smutil", required=True)
    ap.add_argument("--repo", required=True)
    ap.add_argument("--out", required=True)
    a = ap.parse_args()
    node = shutil.which("node")
    if not node or not os.path.isdir(os.path.join(MODULES, "xliff")):
        print("SKIPPED: node or the xliff npm package is not installed (run scripts/install-npm.sh)")
        return 77
    tt = [shutil.which(p, path="/usr/bin") for p in ("xliff2po", "po2xliff")]
    if not all(tt):
        print("SKIPPED: translate-toolkit is not installed (Debian package translate-toolkit)")
        return 77
    shutil.rmtree(a.out, ignore_errors=True)
    os.makedirs(a.out)
    p = lambda name: os.path.join(a.out, name)
    smutil = [a.smutil, "--repo", p("all.rpd.xml")]
    run([a.smutil, "--repo", a.repo, "externalize", "--descriptions", "--save", p("all.rpd.xml")])
    run(smutil + ["translations", "export", "--lang", "fr", p("fr.xlf")])
    exported = open(p("fr.xlf"), encoding="utf-8").read().count("<unit ")

    failures = []
    env = dict(os.environ, NODE_PATH=MODULES)
    units = int(run([node, os.path.join(HERE, "xliff_fill.js"), p("fr.xlf"), p("npm.xlf"), p("npm12.xlf")],
                    env=env))
    if units != exported:
        failures.append(f"the xliff library read {units} units of {exported}")
    out = run(smutil + ["translations", "import", "--bundles", p("npm.db"), p("npm.xlf")])
    if f"imported {exported} strings for fr" not in out:
        failures.append(f"xliff library round trip: {out.strip()}")
    npm = store_texts(p("npm.db"), "fr")
    if len(npm) != exported or not all(t.startswith("[fr] ") for t in npm.values()):
        failures.append(f"xliff library round trip: {len(npm)} strings of {exported} in the store")

    run(["/usr/bin/xliff2po", p("npm12.xlf"), p("fr.po")])
    run(["/usr/bin/python3", os.path.join(HERE, "po_fill.py"), p("fr.po"), p("fr-done.po")])
    run(["/usr/bin/po2xliff", p("fr-done.po"), p("po.xlf")])
    out = run(smutil + ["translations", "import", "--lang", "fr", "--bundles", p("po.db"), p("po.xlf")])
    if f"imported {exported} strings for fr" not in out:
        failures.append(f"PO round trip: {out.strip()}")
    po = store_texts(p("po.db"), "fr")
    # The same keys, each with the PO translation of the same source text.
    if sorted(po) != sorted(npm) or any(po[k] != "[fr-po] " + npm[k][len("[fr] "):] for k in po):
        failures.append("PO round trip: the store's strings differ from the translations")
    for f in failures:
        print(f)
    print(f"{exported} units; {len(npm)} strings through the xliff library, {len(po)} through PO")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
