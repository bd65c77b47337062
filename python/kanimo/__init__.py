"""Kanimo from Python: worlds run by the simulation's own libraries, read as NumPy arrays and
pandas frames, and sweeps of many worlds on this machine or on a Dask cluster.

    import kanimo
    world = kanimo.World(seed=2)
    world.step(2000)
    world.creatures_frame()
"""

from ._kanimo import World, __version__
from .sweep import sweep

__all__ = ["World", "sweep", "__version__"]
