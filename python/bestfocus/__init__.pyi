# Type stubs of the bestfocus package, so that editors complete its names; the docstrings are in
# __init__.py.
from os import PathLike
from typing import Literal, Sequence, Tuple, Union

import numpy as np
import numpy.typing as npt

__version__: str

_Method = Union[int, str]
_Methods = Union[_Method, Sequence[_Method], Literal["all"]]
_Engine = Literal["auto", "cpu", "cuda"]
_Region = Tuple[int, int, int, int]
_Image = npt.NDArray[Union[np.uint8, np.uint16]]
_Stack = Union[_Image, Sequence[_Image]]
_Channel = Union[int, str, None]

class Pick:
    @property
    def method(self) -> int: ...
    @property
    def best(self) -> int: ...
    @property
    def fractional_best(self) -> float: ...
    @property
    def flags(self) -> Tuple[str, ...]: ...
    @property
    def scores(self) -> npt.NDArray[np.float64]: ...

class FolderResult:
    @property
    def folder(self) -> int: ...
    @property
    def picks(self) -> Tuple[Pick, ...]: ...
    @property
    def scores(self) -> npt.NDArray[np.float64]: ...

class FocusMap:
    @property
    def depth(self) -> npt.NDArray[np.float32]: ...
    @property
    def confidence(self) -> npt.NDArray[np.float32]: ...
    @property
    def best(self) -> npt.NDArray[np.int32] | None: ...
    @property
    def fractional_best(self) -> npt.NDArray[np.float64] | None: ...
    @property
    def flags(self) -> Tuple[Tuple[Tuple[str, ...], ...], ...] | None: ...
    @property
    def scores(self) -> npt.NDArray[np.float64] | None: ...

class StackInfo:
    @property
    def kind(self) -> str | None: ...
    @property
    def series(self) -> int: ...
    @property
    def size_z(self) -> int: ...
    @property
    def size_c(self) -> int: ...
    @property
    def size_t(self) -> int: ...
    @property
    def dimension_order(self) -> str: ...
    @property
    def channel_names(self) -> Tuple[str, ...]: ...
    @property
    def physical_size_x(self) -> float | None: ...
    @property
    def physical_size_y(self) -> float | None: ...
    @property
    def physical_size_z(self) -> float | None: ...

def measures() -> list[Tuple[int, str, str]]: ...
def measure(
    image: _Image, method: _Method, *, engine: _Engine = "auto", roi: _Region | None = None
) -> float: ...
def scores(
    stack: _Stack,
    methods: _Methods = "all",
    *,
    engine: _Engine = "auto",
    roi: _Region | None = None,
    threads: int | None = None,
) -> npt.NDArray[np.float64]: ...
def pick(
    stack: _Stack,
    methods: _Methods = "all",
    *,
    engine: _Engine = "auto",
    roi: _Region | None = None,
    threads: int | None = None,
) -> list[Pick]: ...
def run(
    base_folder: Union[str, PathLike[str]],
    first: int,
    last: int,
    images: int = 0,
    methods: _Methods = 1,
    *,
    folder_names: str = ...,
    image_names: str = ...,
    roi: _Region | None = None,
    engine: _Engine = "auto",
    teams: Tuple[int, int, int] = ...,
    channel: _Channel = None,
    time: int = 1,
    series: int = 1,
) -> list[FolderResult]: ...
def read_stack(
    path: Union[str, PathLike[str]],
    images: int = 0,
    *,
    image_names: str = ...,
    channel: _Channel = None,
    time: int = 1,
    series: int = 1,
) -> npt.NDArray[Union[np.uint8, np.uint16]]: ...
def stack_info(path: Union[str, PathLike[str]], series: int = 1) -> StackInfo: ...
def focus_map(
    stack: _Stack,
    method: _Method = 1,
    *,
    window: int | None = None,
    engine: _Engine = "auto",
    roi: _Region | None = None,
    threads: int | None = None,
    tiles: Tuple[int, int] | None = None,
) -> FocusMap: ...
def all_in_focus(
    stack: _Stack,
    method: _Method = 1,
    *,
    window: int | None = None,
    engine: _Engine = "auto",
    roi: _Region | None = None,
    threads: int | None = None,
) -> npt.NDArray[Union[np.uint8, np.uint16]]: ...
