"""Gauss-Legendre quadrature and root finding in one and two variables, with Python callables.

An exception raised by the callable stops the computation: the C routine sees NaN from then on
(the callable is not called again), and the exception is raised from here when it returns.
"""

import ctypes
import math

import numpy as np

from . import _arrays
from ._callbacks import CallbackGuard
from ._library import FUNCTION_1D, INTEGRAND, SYSTEM_2D, lib
from ._status import check


def gauss_legendre(f, a, b, n):
    """The integral of f over [a, b] by one n-point Gauss-Legendre rule (no error estimate).

    f takes one float and returns a float. 2 <= n <= 10 uses a tabulated rule; a larger even n
    uses n + 1 points. Unlike scipy.integrate.fixed_quad, f is called once per node with a float
    (never with an array). Raises QuadrelError (QUADREL_GAUSS_BAD_ARGUMENT) for n < 2, and
    (QUADREL_GAUSS_NO_MEMORY) when the rule's work arrays (4 doubles a point) cannot be had.
    """
    guard = CallbackGuard(f)
    integrand = INTEGRAND(lambda x, points: guard.value(x))
    result = ctypes.c_double()
    status = lib.import_mathfunction_quadratische_integration_gauss(
        integrand, float(a), float(b), _arrays.count(n, "n"), ctypes.byref(result))
    guard.raise_pending()
    check("import_mathfunction_quadratische_integration_gauss", status)
    return result.value


def brent(f, a, b, tol=0.0):
    """A zero of f between a and b by Brent's method (either order of a and b).

    The iteration stops when half the bracket is at most 6e-16 |x| + tol / 2 (tol is absolute,
    like scipy.optimize.brentq's xtol, but brentq's relative term is rtol instead). Raises
    QuadrelError (QUADREL_ROOT1D_NO_ZERO) when f(a) and f(b) have the same sign or after 1000
    iterations.
    """
    guard = CallbackGuard(f)
    function = FUNCTION_1D(guard.value)
    root = ctypes.c_double()
    status = lib.import_mathfunction_1d_nullstelle(float(a), float(b), ctypes.byref(root),
                                                   function, float(tol))
    guard.raise_pending()
    check("import_mathfunction_1d_nullstelle", status)
    return root.value


def root_2d(f, x0, tol=1e-10):
    """A root of the system f(x) = 0 of one or two equations, by a globally convergent Newton
    method (forward-difference Jacobian, backtracking line search), started at x0.

    x0 holds one or two floats; f takes an array of that many and returns as many values.
    Converged means max |f_i| < tol (at the start point 0.01 * tol). Returns the root as an
    array. Raises QuadrelError (QUADREL_ROOT2D_NOT_CONVERGED) after 1000 iterations.
    """
    start = np.asarray(x0, dtype=np.float64).ravel()
    n = start.size
    if n not in (1, 2):
        raise ValueError(f"x0 must hold one or two values, not {n}")

    def values_of(result):
        values = np.asarray(result)
        if not np.issubdtype(values.dtype, np.number):
            raise TypeError(f"f returned {result!r}, not numbers")
        values = values.astype(np.float64).ravel()
        if values.size != n:
            raise ValueError(f"f returned {values.size} values for {n} unknowns")
        return values

    guard = CallbackGuard(f, convert=values_of)

    def system(_n, point, values, _count):
        # point[1..n] holds the unknowns, values[1..n] receives F_1 .. F_n.
        result = guard(np.array(point[1:n + 1]))
        for i in range(1, n + 1):
            values[i] = math.nan if result is None else result[i - 1]

    x = (ctypes.c_double * 2)(*start, *([0.0] * (2 - n)))
    status = lib.import_mathfunction_2d_nullstelle(n, x, SYSTEM_2D(system), None, float(tol))
    guard.raise_pending()
    check("import_mathfunction_2d_nullstelle", status)
    return np.array(x[:n])
