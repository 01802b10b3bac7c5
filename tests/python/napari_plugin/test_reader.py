import subprocess
import sys
from pathlib import Path

import imageio.v3 as iio
import numpy as np
import pytest

from bestfocus.napari._reader import image_names_of, napari_get_reader
from bestfocus.napari._sample import SAMPLE_STACKS


def test_manifest_validates():
    npe2 = Path(sys.executable).parent / "npe2"
    subprocess.run([str(npe2), "validate", "bestfocus"], check=True)


def test_reader_opens_a_numbered_folder_as_one_stack():
    folder = SAMPLE_STACKS / "011"
    (data, meta, kind), = napari_get_reader(str(folder))(str(folder))
    expected = np.stack([iio.imread(folder / f"{i:02d}.bmp") for i in range(1, 21)])
    assert (kind, meta["name"], data.shape) == ("image", "011", (20, 240, 320))
    np.testing.assert_array_equal(data, expected)


@pytest.mark.parametrize("names, pattern", [
    (["01.bmp", "02.bmp", "notes.txt"], "%02d.bmp"),
    (["z000.tif", "z001.tif", "z002.tif"], "z%03d.tif"),
    (["img_1.png", "img_2.png"], "img_%d.png"),
    (["1.txt", "2.txt"], None),
    (["100%_01.bmp"], None),
])
def test_image_names_of_a_folder(tmp_path, names, pattern):
    for name in names:
        (tmp_path / name).touch()
    assert image_names_of(str(tmp_path)) == pattern


def test_reader_leaves_other_paths_to_other_readers(tmp_path):
    (tmp_path / "a.png").touch()
    assert napari_get_reader(str(tmp_path)) is None
    assert napari_get_reader(str(tmp_path / "a.png")) is None


def test_the_wheel_ships_the_sample_stacks():
    assert sorted(path.name for path in SAMPLE_STACKS.iterdir()) == \
        ["011", "012", "013", "014", "015", "expected.txt"]


def test_reader_opens_an_ome_tiff_as_one_stack(tmp_path):
    import tifffile

    stack = np.random.default_rng(3).integers(0, 65535, (6, 30, 40), dtype=np.uint16)
    path = tmp_path / "stack.ome.tif"
    tifffile.imwrite(path, stack, ome=True, metadata={
        "axes": "ZYX", "PhysicalSizeZ": 0.5, "PhysicalSizeY": 0.25, "PhysicalSizeX": 0.125})
    (data, meta, kind), = napari_get_reader(str(path))(str(path))
    assert (kind, meta["name"]) == ("image", "stack.ome.tif")
    assert meta["scale"] == pytest.approx((0.5, 0.25, 0.125))
    np.testing.assert_array_equal(data, stack)
