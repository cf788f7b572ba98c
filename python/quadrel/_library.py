"""Finds and loads the quadrel shared library and declares the C prototypes of its exports."""

import ctypes
import ctypes.util
import os
import sys
from pathlib import Path

_FILE_NAME = "quadrel.dll" if sys.platform == "win32" else "libquadrel.so"

c_double_p = ctypes.POINTER(ctypes.c_double)
c_int_p = ctypes.POINTER(ctypes.c_int)

# The three shapes of callback (quadrel.h): the quadrature's integrand f(x, &points), the
# one-dimensional root finder's f(x), and the two-dimensional system f(n, point, values, &count).
INTEGRAND = ctypes.CFUNCTYPE(ctypes.c_double, ctypes.c_double, c_int_p)
FUNCTION_1D = ctypes.CFUNCTYPE(ctypes.c_double, ctypes.c_double)
SYSTEM_2D = ctypes.CFUNCTYPE(None, ctypes.c_int, c_double_p, c_double_p, c_int_p)

_d, _i, _dp, _ip = ctypes.c_double, ctypes.c_int, c_double_p, c_int_p
_PROTOTYPES = {
    "import_mathfunction_kreuzprodukt_vektor3": (_i, [_dp, _dp, _dp]),
    "import_mathfunction_skalarprodukt_vektor3": (_d, [_dp, _dp]),
    "import_mathfunction_timestamp": (_i, [ctypes.POINTER(ctypes.c_int64)]),
    "import_mathfunction_rotl": (ctypes.c_uint32, [ctypes.c_uint32, _i]),
    "import_mathfunction_rotr": (ctypes.c_uint32, [ctypes.c_uint32, _i]),
    "fmax": (_d, [_d, _d]),
    "import_mathfunction_LU_Zerlegung": (_i, [_dp, _i, _i, _ip]),
    "import_mathfunction_loesung_lin_gls": (_i, [_dp, _i, _i, _ip, _dp]),
    "import_mathfunction_inversion_matrix": (_i, [_dp, _i, _i, _ip]),
    "import_mathfunction_quadratische_integration_gauss": (_i, [INTEGRAND, _d, _d, _i, _dp]),
    "import_mathfunction_1d_cubic_spline": (_i, [_i, _dp, _dp, _d, _dp, _dp, ctypes.c_bool]),
    "import_mathfunction_LU_Zerlegung_band": (_i, [_dp, _i, _i, _i, _i, _ip]),
    "import_mathfunction_loesung_lin_gls_band": (_i, [_dp, _i, _i, _i, _i, _ip, _dp]),
    "import_mathfunction_matrix_vektor_produkt": (_i, [_i, _i, _d, _dp, _i, _dp, _i, _d, _dp, _i]),
    "import_mathfunction_1d_nullstelle": (_i, [_d, _d, _dp, FUNCTION_1D, _d]),
    "import_mathfunction_2d_nullstelle": (_i, [_i, _dp, SYSTEM_2D, ctypes.c_void_p, _d]),
    "import_mathfunction_1d_pwl_interpolation": (_i, [_i, _dp, _dp, _i, _dp, _dp]),
    "import_mathfunction_2d_pwl_interpolation_part_1_triangulation": (
        _i, [_i, _dp, _dp, _ip, _ip, _ip, _i]),
    "import_mathfunction_2d_pwl_interpolation_part_2_interpolation": (
        _i, [_i, _dp, _dp, _dp, _ip, _ip, _i, _i, _dp, _dp, _dp]),
    "import_mathfunction_2d_pwl_interpolation": (_i, [_i, _dp, _dp, _dp, _i, _dp, _dp, _dp]),
}


def _candidates():
    """The places tried, in order: $QUADREL_LIBRARY, the package's own folder, then the
    system's search (the loader's path, and whatever ctypes.util.find_library knows)."""
    explicit = os.environ.get("QUADREL_LIBRARY")
    if explicit:
        # An explicit choice is the only one: a wrong path must not fall back silently.
        return [explicit]
    beside = Path(__file__).resolve().parent / _FILE_NAME
    found = [str(beside)] if beside.exists() else []
    found.append(_FILE_NAME)
    system = ctypes.util.find_library("quadrel")
    if system and system != _FILE_NAME:
        found.append(system)
    return found


def load():
    """Loads the library (RTLD_LOCAL, so that its fmax serves only this package) and declares
    the prototypes. Raises ImportError naming every place tried."""
    tried = []
    for candidate in _candidates():
        try:
            library = ctypes.CDLL(candidate)
        except OSError as error:
            tried.append(f"{candidate}: {error}")
            continue
        for name, (restype, argtypes) in _PROTOTYPES.items():
            function = getattr(library, name)
            function.restype = restype
            function.argtypes = argtypes
        return library
    raise ImportError("quadrel: cannot load the quadrel library (set QUADREL_LIBRARY to its "
                      "path); tried " + "; ".join(tried))


lib = load()
