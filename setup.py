"""Builds the smutil wheel with the project's CMake: configure a release
build of the libraries and the Python module, install it into a staging
prefix, and pack the package with the libraries (smutil/lib, found through
the extension's run path) and the data files (smutil/share/smutil, found by
the libraries next to themselves).

SMUTIL_WHEEL_BUILD_DIR and SMUTIL_WHEEL_BUILD_TYPE choose the CMake build
directory (default: under setuptools' build directory) and build type
(default: Release); a directory beside build/ shares the compiler cache's
entries with it."""

import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).parent.resolve()


def version() -> str:
    found = re.search(r"project\(smutil VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text())
    if not found:
        raise RuntimeError("CMakeLists.txt names no project version")
    return found.group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext: Extension) -> None:
        temp = pathlib.Path(self.build_temp).resolve()
        build = pathlib.Path(os.environ.get("SMUTIL_WHEEL_BUILD_DIR", temp / "cmake")).resolve()
        stage = temp / "stage"
        shutil.rmtree(stage, ignore_errors=True)
        subprocess.check_call([
            "cmake", "-S", str(ROOT), "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=" + os.environ.get("SMUTIL_WHEEL_BUILD_TYPE", "Release"),
            f"-DPython3_EXECUTABLE={sys.executable}", "-DSMUTIL_PYTHON=ON", "-DSMUTIL_TESTS=OFF",
            "-DSMUTIL_BENCH=OFF", "-DSMUTIL_INSTALL=ON", "-DCMAKE_INSTALL_LIBDIR=lib",
            "-DSMUTIL_PYTHON_INSTALL_DIR=python", "-DSMUTIL_PYTHON_INSTALL_RPATH=$ORIGIN/lib"])
        subprocess.check_call(["cmake", "--build", str(build)])
        subprocess.check_call(["cmake", "--install", str(build), "--prefix", str(stage)])
        target = pathlib.Path(self.get_ext_fullpath(ext.name)).parent
        target.mkdir(parents=True, exist_ok=True)
        for f in (stage / "python" / "smutil").iterdir():
            shutil.copy2(f, target / f.name)
        # The libraries under their sonames, which is what the extension asks
        # for (a wheel keeps no symbolic links).
        libs = target / "lib"
        libs.mkdir(exist_ok=True)
        for lib in (stage / "lib").glob("libsmutil_*.so.*"):
            if lib.is_symlink():
                shutil.copy2(lib.resolve(), libs / lib.name)
        shutil.copytree(stage / "share" / "smutil", target / "share" / "smutil", dirs_exist_ok=True)


setup(
    version=version(),
    packages=["smutil"],
    package_dir={"": "bindings/python"},
    package_data={"smutil": ["py.typed", "*.pyi"]},
    ext_modules=[Extension("smutil._smutil", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    options={"build": {"build_base": "build/wheel"}},
)
