"""Fixtures of the Python module's tests: the sample repositories of the
source tree and a scratch directory in the build tree."""

import os
import pathlib
import shutil
from typing import Iterator

import pytest

import smutil

SOURCE = pathlib.Path(os.environ.get("SMUTIL_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
SAMPLE = SOURCE / "samples" / "sample.rpd.xml"
BROKEN = SOURCE / "samples" / "broken.rpd.xml"


@pytest.fixture
def repo() -> Iterator[smutil.Repository]:
    with smutil.Repository.load(SAMPLE) as r:
        yield r


@pytest.fixture
def broken() -> Iterator[smutil.Repository]:
    with smutil.Repository.load(BROKEN) as r:
        yield r


@pytest.fixture
def out_dir(request: pytest.FixtureRequest) -> pathlib.Path:
    base = pathlib.Path(os.environ.get("SMUTIL_TEST_OUT", "/tmp/smutil-python-test-out"))
    d = base / request.node.name
    shutil.rmtree(d, ignore_errors=True)
    d.mkdir(parents=True)
    return d
