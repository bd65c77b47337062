"""What the tests of the kanimo module share: the kanimo-sim of the same build, to hold the
module against."""

import os
import pathlib
import subprocess

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def sim():
    """Runs the build's kanimo-sim with the given arguments and returns its standard output."""
    path = os.environ.get("KANIMO_SIM", str(ROOT / "build/release/tools/kanimo-sim"))
    if not os.access(path, os.X_OK):
        pytest.fail(f"no kanimo-sim at {path} (set KANIMO_SIM)")

    def run(*args):
        done = subprocess.run([path, *map(str, args)], capture_output=True, text=True)
        assert done.returncode == 0, done.stderr
        return done.stdout

    return run


def set_options(settings):
    """A settings dict as kanimo-sim's --set options."""
    options = []
    for name, value in settings.items():
        options += ["--set", f"{name}={value}"]
    return options
