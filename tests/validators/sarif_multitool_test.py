#!/usr/bin/env python3
"""sarif_multitool_test.py --smutil TOOL --repo FILE --out DIR [--allow RULE...]

Runs `smutil check --format sarif` on FILE and gives the log to the SARIF
Multitool's `validate` (installed by scripts/install-npm.sh): passes when it
reports no error and no warning other than the allowed rules, and when every
result points at a region of the repository file through the SRCROOT base.
Exits 77 (skipped) when the Multitool is not installed."""
import argparse
import json
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
MULTITOOL = os.path.join(HERE, "node_modules", "@microsoft", "sarif-multitool-linux", "Sarif.Multitool")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--smutil", required=True)
    ap.add_argument("--repo", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--allow", nargs="*", default=[])
    a = ap.parse_args()
    if not os.access(MULTITOOL, os.X_OK):
        print("SKIPPED: the SARIF Multitool is not installed (run scripts/install-npm.sh)")
        return 77
    os.makedirs(a.out, exist_ok=True)
    log_file = os.path.join(a.out, "check.sarif")
    checked = subprocess.run([a.smutil, "--repo", a.repo, "check", "--format", "sarif"],
                             capture_output=True, text=True)
    if checked.returncode not in (0, 1):
        print(f"smutil check failed ({checked.returncode}): {checked.stderr}")
        return 1
    with open(log_file, "w", encoding="utf-8") as f:
        f.write(checked.stdout)

    report_file = os.path.join(a.out, "validate.sarif")
    v = subprocess.run([MULTITOOL, "validate", log_file, "-o", report_file, "--log", "ForceOverwrite"],
                       capture_output=True, text=True)
    if v.returncode != 0 or not os.path.exists(report_file):
        print(f"the validator did not run ({v.returncode}):\n{v.stdout}{v.stderr}")
        return 1
    with open(report_file, encoding="utf-8") as f:
        report = json.load(f)
    failures = []
    for r in report["runs"][0].get("results", []):
        level = r.get("level", "warning")
        text = r.get("message", {}).get("text", "")
        if level == "error" or (level == "warning" and r["ruleId"] not in a.allow):
            failures.append(f"{level} {r['ruleId']}: {text}")
    if not report["runs"][0]["invocations"][0].get("executionSuccessful"):
        failures.append("the validator's run did not succeed")

    log = json.loads(checked.stdout)
    run = log["runs"][0]
    base = run["originalUriBaseIds"]["SRCROOT"]["uri"]
    want_base = "file://" + os.path.dirname(os.path.abspath(a.repo)) + "/"
    if base != want_base:
        failures.append(f"SRCROOT is {base}, not {want_base}")
    if not run["results"]:
        failures.append("no results: the repository was meant to have findings")
    for i, r in enumerate(run["results"]):
        loc = r["locations"][0]["physicalLocation"]
        region = loc.get("region", {})
        if loc["artifactLocation"].get("uriBaseId") != "SRCROOT":
            failures.append(f"result {i}: not relative to SRCROOT")
        if not all(region.get(k, 0) >= 1 for k in ("startLine", "startColumn", "endLine", "endColumn")):
            failures.append(f"result {i}: no full region")
    for f in failures:
        print(f)
    print(f"{len(run['results'])} results checked, {len(failures)} problems")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
