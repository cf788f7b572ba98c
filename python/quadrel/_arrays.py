"""Conversions between NumPy arrays and the C arguments of the exports."""

import numpy as np

from ._library import c_double_p, c_int_p

_INT_MIN, _INT_MAX = -(2**31), 2**31 - 1


def doubles(values, name, ndim=1):
    """values as a C-contiguous float64 array of ndim dimensions (no copy when it already is)."""
    array = np.ascontiguousarray(values, dtype=np.float64)
    if array.ndim != ndim:
        raise ValueError(f"{name} must have {ndim} dimension(s), not shape {array.shape}")
    return array


def same_length(name, array, length):
    if array.shape[0] != length:
        raise ValueError(f"{name} has {array.shape[0]} elements where {length} are needed")


def count(n, name):
    """n as a C int (ctypes would silently keep only its low 32 bits)."""
    n = int(n)
    if not _INT_MIN <= n <= _INT_MAX:
        raise ValueError(f"{name}: {n} does not fit a C int")
    return n


def ints(values, name, length):
    array = np.ascontiguousarray(values, dtype=np.intc)
    if array.shape != (length,):
        raise ValueError(f"{name} must hold {length} ints, not shape {array.shape}")
    return array


def dp(array):
    return array.ctypes.data_as(c_double_p)


def ip(array):
    return array.ctypes.data_as(c_int_p)
