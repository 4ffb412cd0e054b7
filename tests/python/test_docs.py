"""The examples of docs/python.md run as they are written."""

import pathlib
import subprocess
import sys

import pytest

from conftest import SOURCE
from doc_examples import blocks

PAGE = SOURCE / "docs" / "python.md"


@pytest.mark.parametrize("code", blocks(PAGE))
def test_example_runs(code: str, tmp_path: pathlib.Path) -> None:
    script = tmp_path / "example.py"
    script.write_text(code)
    run = subprocess.run([sys.executable, str(script)], cwd=SOURCE, capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
