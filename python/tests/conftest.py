"""Shared fixtures: the C library loaded a second time, with prototypes declared here rather
than taken from the package, for reference calls made directly through ctypes."""

import ctypes

import pytest

import quadrel._library

D, I = ctypes.c_double, ctypes.c_int
DP, IP = ctypes.POINTER(D), ctypes.POINTER(I)


@pytest.fixture(scope="session")
def c_library():
    library = ctypes.CDLL(quadrel._library.lib._name)
    prototypes = {
        "import_mathfunction_LU_Zerlegung": [DP, I, I, IP],
        "import_mathfunction_loesung_lin_gls": [DP, I, I, IP, DP],
        "import_mathfunction_LU_Zerlegung_band": [DP, I, I, I, I, IP],
        "import_mathfunction_loesung_lin_gls_band": [DP, I, I, I, I, IP, DP],
        "import_mathfunction_2d_pwl_interpolation": [I, DP, DP, DP, I, DP, DP, DP],
    }
    for name, argtypes in prototypes.items():
        getattr(library, name).argtypes = argtypes
        getattr(library, name).restype = I
    return library


def doubles(values):
    return (D * len(values))(*values)


def ints(count):
    return (I * count)()
