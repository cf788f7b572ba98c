"""The small exports: 3-vector products, calendar time, 32-bit rotations and quadrel's fmax."""

import ctypes

from . import _arrays
from ._library import lib

_UINT32_MAX = 2**32 - 1


def _vector3(values, name):
    array = _arrays.doubles(values, name)
    _arrays.same_length(name, array, 3)
    return array


def cross(u, v):
    """The cross product u x v of two 3-vectors, as an array."""
    w = _vector3([0.0, 0.0, 0.0], "w").copy()
    lib.import_mathfunction_kreuzprodukt_vektor3(_arrays.dp(_vector3(u, "u")),
                                                 _arrays.dp(_vector3(v, "v")), _arrays.dp(w))
    return w


def dot(u, v):
    """The dot product of two 3-vectors, summed as (u1 v1 + u0 v0) + u2 v2."""
    return lib.import_mathfunction_skalarprodukt_vektor3(_arrays.dp(_vector3(u, "u")),
                                                         _arrays.dp(_vector3(v, "v")))


def timestamp():
    """The current calendar time in whole seconds since 1970-01-01 00:00:00 UTC."""
    seconds = ctypes.c_int64()
    lib.import_mathfunction_timestamp(ctypes.byref(seconds))
    return seconds.value


def _rotation(function, value, shift):
    if not 0 <= value <= _UINT32_MAX:
        raise ValueError(f"value must fit 32 unsigned bits, not {value}")
    return function(value, _arrays.count(shift, "shift"))


def rotl(value, shift):
    """value (0 <= value < 2**32) rotated left by shift modulo 32 places."""
    return _rotation(lib.import_mathfunction_rotl, value, shift)


def rotr(value, shift):
    """value (0 <= value < 2**32) rotated right by shift modulo 32 places."""
    return _rotation(lib.import_mathfunction_rotr, value, shift)


def fmax(first, second):
    """first if first >= second, else second: fmax(nan, 1.0) is 1.0 and fmax(1.0, nan) is nan,
    unlike math.fmax and numpy.fmax, which prefer the number to the NaN."""
    return lib.fmax(float(first), float(second))
