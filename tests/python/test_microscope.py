"""Microscope files written by tifffile (an independent writer): OME-TIFF and ImageJ hyperstacks
read by their dimensions, each (channel, time, series) a stack whose sharpest plane is known."""

import csv
import subprocess

import numpy as np
import pytest

import bestfocus
from conftest import BUILD

tifffile = pytest.importorskip("tifffile")

SIZE_Z, SIZE = 9, 48
_TEXTURE = np.random.default_rng(7).integers(0, 256, (SIZE, SIZE)).astype(np.float64)


def blurred(distance):
    """The texture blurred by a box of 2·distance + 1 pixels a side (sharp at distance 0)."""
    if distance == 0:
        return _TEXTURE.astype(np.uint8)
    padded = np.pad(_TEXTURE, distance, mode="wrap")
    kernel = np.ones(2 * distance + 1) / (2 * distance + 1)
    rows = np.apply_along_axis(np.convolve, 1, padded, kernel, "valid")
    return np.apply_along_axis(np.convolve, 0, rows, kernel, "valid").astype(np.uint8)


def sharpest(c, t, s):
    """The Z plane (from 0) written sharpest in channel c, time t, series s."""
    return (2 + 3 * c + 2 * t + s) % SIZE_Z


def planes(axes, sizes, s=0):
    """An array of the given axes (of T, Z, C, then YX) whose (c, t) stack peaks at sharpest()."""
    shape = [sizes[a] for a in axes[:-2]]
    data = np.empty(shape + [SIZE, SIZE], np.uint8)
    for index in np.ndindex(*shape):
        at = dict(zip(axes, index))
        z, c, t = at.get("Z", 0), at.get("C", 0), at.get("T", 0)
        data[index] = blurred(abs(z - sharpest(c, t, s)))
    return data


def write(path, kind, axes, sizes, series=1):
    if kind == "imagej":
        tifffile.imwrite(path, planes(axes, sizes), imagej=True,
                         metadata={"axes": axes, "spacing": 0.25, "unit": "micron"})
        return
    names = [f"ch{c}" for c in range(sizes.get("C", 1))]
    with tifffile.TiffWriter(path, ome=True) as writer:
        for s in range(series):
            writer.write(planes(axes, sizes, s), metadata={
                "axes": axes, "PhysicalSizeZ": 0.5, "PhysicalSizeX": 0.2, "PhysicalSizeY": 0.2,
                "Channel": {"Name": names}})


# (kind, axes as written, sizes, series, (channel, time, series) chosen)
CASES = [
    ("ome", "ZCYX", {"Z": SIZE_Z, "C": 2}, 1, (2, 1, 1)),
    ("ome", "CZYX", {"Z": SIZE_Z, "C": 2}, 1, ("ch1", 1, 1)),
    ("ome", "TZCYX", {"T": 2, "Z": SIZE_Z, "C": 3}, 1, (3, 2, 1)),
    ("ome", "TCZYX", {"T": 3, "Z": SIZE_Z, "C": 2}, 1, (1, 3, 1)),
    ("ome", "ZYX", {"Z": SIZE_Z}, 3, (None, 1, 3)),
    ("ome", "CZYX", {"Z": SIZE_Z, "C": 2}, 2, (2, 1, 2)),
    ("imagej", "ZCYX", {"Z": SIZE_Z, "C": 2}, 1, (2, 1, 1)),
    ("imagej", "TZCYX", {"T": 2, "Z": SIZE_Z, "C": 2}, 1, (1, 2, 1)),
    ("imagej", "ZYX", {"Z": SIZE_Z}, 1, (None, 1, 1)),
]


@pytest.mark.parametrize("kind,axes,sizes,series,choice", CASES)
def test_planes_by_dimensions(tmp_path, kind, axes, sizes, series, choice):
    path = tmp_path / "pos_01.ome.tif"
    write(path, kind, axes, sizes, series)
    channel, time, s = choice
    c = 0 if channel is None else (int(channel[2:]) if isinstance(channel, str) else channel - 1)
    expected = sharpest(c, time - 1, s - 1)
    stack = bestfocus.read_stack(path, channel=channel, time=time, series=s)
    assert stack.shape == (SIZE_Z, SIZE, SIZE)
    np.testing.assert_array_equal(stack[expected], blurred(0))
    (folder,) = bestfocus.run(str(tmp_path) + "/", 1, 1, 0, [3, 4], folder_names="pos_%02d.ome.tif",
                              channel=channel, time=time, series=s)
    assert [pick.best for pick in folder.picks] == [expected + 1] * 2
    info = bestfocus.stack_info(path, series=s)
    assert (info.size_z, info.size_c, info.size_t, info.series) == (
        SIZE_Z, sizes.get("C", 1), sizes.get("T", 1), series)
    assert info.physical_size_z == (0.25 if kind == "imagej" else 0.5)


def summary_rows(tmp_path, folder, *options):
    out = tmp_path / "summary.csv"
    subprocess.run([str(BUILD / "bestfocus"), "--quiet", f"--summary={out}", *options,
                    "--folder-names=pos_%02d.ome.tif", "4", str(tmp_path) + "/", str(folder),
                    str(folder), "0"], cwd=tmp_path, check=True, stdout=subprocess.DEVNULL)
    with open(out) as rows:
        return list(csv.DictReader(rows))


def test_summary_gives_focus_in_micrometres(tmp_path):
    write(tmp_path / "pos_01.ome.tif", "ome", "ZCYX", {"Z": SIZE_Z, "C": 2})
    positions = [10.0 + 0.75 * z for z in range(SIZE_Z)]
    tifffile.imwrite(tmp_path / "pos_02.ome.tif", planes("ZYX", {"Z": SIZE_Z}), ome=True,
                     metadata={"axes": "ZYX", "Plane": {"PositionZ": positions}})
    tifffile.imwrite(tmp_path / "pos_03.ome.tif", planes("ZYX", {"Z": SIZE_Z}), ome=False)
    (by_step,) = summary_rows(tmp_path, 1, "--channel=2")
    assert by_step["best"] == str(sharpest(1, 0, 0) + 1)
    assert float(by_step["z_um"]) == pytest.approx((float(by_step["fractional_best"]) - 1) * 0.5)
    (by_position,) = summary_rows(tmp_path, 2)
    assert float(by_position["z_um"]) == pytest.approx(
        10.0 + (float(by_position["fractional_best"]) - 1) * 0.75)
    (plain,) = summary_rows(tmp_path, 3)
    assert "z_um" not in plain and plain["best"] == str(sharpest(0, 0, 0) + 1)


BOMB = ('<?xml version="1.0"?><!DOCTYPE OME [<!ENTITY a "aaaaaaaaaa">'
        '<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]><OME><Image><Pixels DimensionOrder='
        '"XYZCT" SizeZ="6" SizeC="1" SizeT="1" Name="&b;"/></Image></OME>')
OME = '<OME xmlns="http://www.openmicroscopy.org/Schemas/OME/2016-06"><Image><Pixels {}/></Image></OME>'

# (description, choice, words the refusal must hold)
BAD = [
    (BOMB, {}, "document type or entities"),
    (OME.format('DimensionOrder="XYZCT" SizeZ="4" SizeC="2" SizeT="1"'), {}, "8 planes"),
    ('<OME><Image><Pixels DimensionOrder="XYZCT" SizeZ="6" SizeC="1"></Image></OME>', {},
     "not well-formed"),
    ('<OME><Image><Pixels DimensionOrder="XYZCT" SizeZ="3" SizeC="2" SizeT="1">'
     '<TiffData IFD="0" PlaneCount="3"/><TiffData IFD="3" FirstC="1" PlaneCount="2"/>'
     "</Pixels></Image></OME>", {}, "no page holds its plane Z 3, C 2"),
    (OME.format('DimensionOrder="XYZCT" SizeZ="99999999" SizeC="99999999" SizeT="9"'), {},
     "89999998200000009 planes"),
    ("ImageJ=1.11a\nimages=6\nchannels=2\nslices=4\n", {}, "images=6"),
    ("ImageJ=1.11a\nimages=6\nchannels=2\nslices=3\n", {"channel": 3}, "2 channels"),
    ("ImageJ=1.11a\nimages=6\nchannels=2\nslices=3\n", {"time": 2}, "1 time point, not time 2"),
    ("ImageJ=1.11a\nimages=6\nchannels=2\nslices=3\n", {"channel": "DAPI"}, "not channel DAPI"),
    ("plain", {"series": 2}, "1 series, not series 2"),
]


@pytest.mark.parametrize("description,choice,words", BAD)
def test_bad_metadata_is_refused(tmp_path, description, choice, words):
    path = tmp_path / "pos_01.ome.tif"
    data = np.zeros((6, 16, 16), np.uint8)
    tifffile.imwrite(path, data, description=description, metadata=None)
    with pytest.raises(ValueError, match=words) as refused:
        bestfocus.read_stack(path, **choice)
    assert str(path) in str(refused.value)
    result = subprocess.run([str(BUILD / "bestfocus"), *[f"--{k}={v}" for k, v in choice.items()],
                             "--folder-names=pos_%02d.ome.tif", "4", str(tmp_path) + "/", "1",
                             "1", "0"], cwd=tmp_path, capture_output=True, text=True)
    assert result.returncode == 1 and words in result.stderr


def test_outputs_carry_every_channel_and_micrometres(tmp_path):
    write(tmp_path / "pos_01.ome.tif", "ome", "TZCYX", {"T": 2, "Z": SIZE_Z, "C": 3})
    run = [str(BUILD / "bestfocus"), "--quiet", "--channel=ch1", "--time=2", "--tiles=2x2",
           "--folder-names=pos_%02d.ome.tif"]
    folders = ["4", str(tmp_path) + "/", "1", "1", "0"]
    subprocess.run([*run, "--export-best=picks", "--depth-map=z", "--depth-units=um", *folders],
                   cwd=tmp_path, check=True, stdout=subprocess.DEVNULL)
    subprocess.run([*run, "--depth-map=images", *folders], cwd=tmp_path, check=True,
                   stdout=subprocess.DEVNULL)
    pick = sharpest(1, 1, 0)
    with tifffile.TiffFile(tmp_path / "picks" / "pos_01.ome_laplacian.tif") as exported:
        series = exported.series[0]
        assert series.axes == "CYX"
        np.testing.assert_array_equal(
            series.asarray(), [blurred(abs(pick - sharpest(c, 1, 0))) for c in range(3)])
        assert 'Name="ch2"' in exported.ome_metadata
        assert f'PositionZ="{pick * 0.5:g}"' in exported.ome_metadata
    in_z = tifffile.imread(tmp_path / "z" / "pos_01.ome_depth.tif")
    in_images = tifffile.imread(tmp_path / "images" / "pos_01.ome_depth.tif")
    np.testing.assert_allclose(in_z, (in_images - 1) * 0.5, rtol=1e-6)
    tifffile.imwrite(tmp_path / "pos_02.ome.tif", planes("ZYX", {"Z": SIZE_Z}), ome=False)
    refused = subprocess.run([str(BUILD / "bestfocus"), "--tiles=2x2", "--depth-map=z",
                              "--depth-units=um", "--folder-names=pos_%02d.ome.tif", "4",
                              str(tmp_path) + "/", "2", "2", "0"], cwd=tmp_path,
                             capture_output=True, text=True)
    assert refused.returncode == 2 and "gives none" in refused.stderr
