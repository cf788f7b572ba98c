"""quadrel: NumPy functions over the quadrel numerical library (libquadrel.so, quadrel.dll).

Every function calls one C export of quadrel.h (or one per column or per point) on float64
arrays, so its results are the C export's bits. A status other than 0 raises QuadrelError,
which carries the status, its name in quadrel.h and its meaning. Mis-shaped arguments raise
ValueError before anything is called.

The library is loaded from $QUADREL_LIBRARY when that is set, else from this package's folder,
else through the system's search (LD_LIBRARY_PATH, the loader's cache).
"""

from ._status import QuadrelError
from .elementary import cross, dot, fmax, rotl, rotr, timestamp
from .interpolate import CubicSpline, Triangulation, interp1d, interp2d
from .linalg import (BandLUFactors, LUFactors, band_lu_factor, band_lu_solve, inv, lu_factor,
                     lu_solve, matvec)
from .roots_and_quadrature import brent, gauss_legendre, root_2d

__all__ = [
    "QuadrelError", "cross", "dot", "fmax", "rotl", "rotr", "timestamp", "CubicSpline",
    "Triangulation", "interp1d", "interp2d", "BandLUFactors", "LUFactors", "band_lu_factor",
    "band_lu_solve", "inv", "lu_factor", "lu_solve", "matvec", "brent", "gauss_legendre",
    "root_2d",
]
