"""Where the CPU build put the executable, its sample stacks and the layout-twin maker
(scripts/test.sh builds them before pytest runs)."""

import csv
import importlib.util
import os
import subprocess
from pathlib import Path

import pytest

BUILD = Path(os.environ.get("BESTFOCUS_BUILD", Path(__file__).parents[2] / "build"))
SAMPLES = str(BUILD / "sample_stacks") + "/"  # folders 011..015, 20 images of 320 x 240

# The napari plugin's tests run where napari is (scripts/test-python.sh napari).
collect_ignore = [] if importlib.util.find_spec("napari") else ["napari_plugin"]


def run_executable(tmp_path, *arguments):
    """The executable's --scores and --summary rows for the arguments, run in tmp_path."""
    scores, summary = tmp_path / "scores.csv", tmp_path / "summary.csv"
    subprocess.run([str(BUILD / "bestfocus"), "--quiet", f"--scores={scores}",
                    f"--summary={summary}", *arguments], cwd=tmp_path, check=True,
                   stdout=subprocess.DEVNULL)
    with open(scores) as score_file, open(summary) as summary_file:
        return list(csv.DictReader(score_file)), list(csv.DictReader(summary_file))


@pytest.fixture(scope="session")
def twins(tmp_path_factory):
    """16-bit twins of sample folders 11 and 12: multipage/pos_NN.tif, planes/pos_NN/zNNN.tif."""
    out = tmp_path_factory.mktemp("twins")
    subprocess.run([str(BUILD / "tools" / "make_layout_twins"), SAMPLES, "11", "12", "0",
                    str(out)], check=True, stdout=subprocess.DEVNULL)
    return out
