"""bestfocus in napari: a reader for focus stacks, a dock widget that makes the best plane, the
depth map, the confidence map and the all-in-focus image of a stack, and the bundled sample
stacks. The widget's work is :func:`focus_layers`, usable without a viewer."""

from ._layers import OUTPUTS, focus_layers

__all__ = ["focus_layers", "OUTPUTS"]
