"""The Python module's overhead per call: resolve and quote timed from
Python (timeit, best of several repeats) against the same library work in
C++ (bench_python_calls, Google Benchmark, median of five). Both are CPU
time of the process, so that other work on a shared machine counts in
neither.

    PYTHONPATH=build/python python3 bench/python_overhead.py build/bench_python_calls samples/sample.rpd.xml
"""

import json
import subprocess
import sys
import time
import timeit

import smutil


def python_ns(stmt: str, env: dict, number: int = 200_000, repeat: int = 7) -> float:
    best = min(timeit.repeat(stmt, globals=env, number=number, repeat=repeat, timer=time.process_time))
    return best / number * 1e9


def main() -> int:
    bench, sample = sys.argv[1], sys.argv[2]
    run = subprocess.run([bench, "--benchmark_format=json", "--benchmark_repetitions=5",
                          "--benchmark_report_aggregates_only=true"], capture_output=True, text=True, check=True)
    cpp = {b["run_name"]: b["cpu_time"] for b in json.loads(run.stdout)["benchmarks"]
           if b.get("aggregate_name") == "median"}
    repo = smutil.Repository.load(sample)
    env = {"repo": repo, "smutil": smutil, "segments": ["Sales", 'Order "Lines"', "Amount"]}
    rows = [
        ("resolve('Sales.Orders')", python_ns("repo.resolve('Sales.Orders')", env), cpp["BM_ResolveTableFromText"]),
        ("quote(3 segments)", python_ns("smutil.quote(segments)", env), cpp["BM_QuoteThreeSegments"]),
    ]
    print(f"{'call':28} {'Python ns':>10} {'C++ ns':>10} {'overhead ns':>12}")
    for name, py_ns, cpp_ns in rows:
        print(f"{name:28} {py_ns:10.0f} {cpp_ns:10.0f} {py_ns - cpp_ns:12.0f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
