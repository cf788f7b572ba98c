"""Interpolation: cubic spline, piecewise-linear in one variable, and piecewise-linear in two
variables on a Delaunay triangulation."""

import numpy as np

from . import _arrays
from ._library import lib
from ._status import check


def _table(x, y, keep=False):
    """x and y as float64 arrays of one length n, and n. keep: copies that later changes of
    the caller's arrays cannot reach."""
    x = _arrays.doubles(np.array(x, dtype=np.float64) if keep else x, "x")
    y = _arrays.doubles(np.array(y, dtype=np.float64) if keep else y, "y")
    _arrays.same_length("y", y, x.shape[0])
    return x, y, _arrays.count(x.shape[0], "x")


class CubicSpline:
    """Interpolating cubic spline through (x, y) with parabolic run-out: the second derivatives
    at the two first knots are equal, and so are those at the two last (SciPy's CubicSpline has
    no such end condition; for three knots both give the parabola through them). Outside
    [x[0], x[-1]] the end pieces are extrapolated.

    x must be strictly increasing, n >= 2; otherwise QuadrelError (QUADREL_SPLINE_BAD_KNOTS).
    ``second_derivatives`` holds M_0 .. M_{n-1}. Call the spline with a float or an array.
    """

    _FUNCTION = "import_mathfunction_1d_cubic_spline"

    def __init__(self, x, y):
        self.x, self.y, self._n = _table(x, y, keep=True)
        self.second_derivatives = np.empty(self._n)
        first = self.x[0] if self._n else 0.0
        self._evaluate(first, reuse=False)

    def _evaluate(self, xi, reuse):
        value = np.empty(1)
        status = lib.import_mathfunction_1d_cubic_spline(
            self._n, _arrays.dp(self.x), _arrays.dp(self.y), float(xi), _arrays.dp(value),
            _arrays.dp(self.second_derivatives), reuse)
        check(self._FUNCTION, status)
        return value[0]

    def __call__(self, xi):
        """The spline's values at xi (a scalar for a scalar, else an array of xi's shape)."""
        points = np.asarray(xi, dtype=np.float64)
        values = np.array([self._evaluate(p, reuse=True) for p in points.ravel()])
        return values.reshape(points.shape)[()]


def interp1d(x, y, xi):
    """Piecewise-linear interpolation in the ascending table (x, y) at the points xi.

    Unlike numpy.interp, points beyond the table are extrapolated linearly from the end
    segments (numpy.interp holds the end values, scipy.interpolate.interp1d raises by default),
    and a point on an interior knot takes the segment that ends there. A NaN point gives 0.0.
    Returns an array of xi's shape (a scalar for a scalar).
    """
    x, y, n = _table(x, y)
    points = np.asarray(xi, dtype=np.float64)
    flat = np.ascontiguousarray(points.ravel())
    values = np.empty_like(flat)
    status = lib.import_mathfunction_1d_pwl_interpolation(
        n, _arrays.dp(x), _arrays.dp(y), _arrays.count(flat.size, "xi"), _arrays.dp(flat),
        _arrays.dp(values))
    check("import_mathfunction_1d_pwl_interpolation", status)
    return values.reshape(points.shape)[()]


def _queries(xi, yi):
    xi = np.asarray(xi, dtype=np.float64)
    yi = np.asarray(yi, dtype=np.float64)
    if xi.shape != yi.shape:
        raise ValueError(f"xi and yi differ in shape: {xi.shape} and {yi.shape}")
    flat_x, flat_y = np.ascontiguousarray(xi.ravel()), np.ascontiguousarray(yi.ravel())
    return flat_x, flat_y, _arrays.count(flat_x.size, "xi"), xi.shape


class Triangulation:
    """Delaunay triangulation of the points (x, y).

    ``triangles`` (count x 3) holds 0-based point numbers, counter-clockwise; ``neighbours``
    (count x 3) holds for edge k (from vertex k to vertex k + 1) the 0-based number of the
    triangle across it, or a negative value on the hull (not -1 as in scipy.spatial.Delaunay's
    ``neighbors``, whose entry k is opposite vertex k). Raises QuadrelError for coincident or
    collinear points (QUADREL_TRI_COINCIDENT, QUADREL_TRI_COLLINEAR, ...).
    """

    def __init__(self, x, y):
        self.x, self.y, n = _table(x, y, keep=True)
        room = 3 * max(2 * n - 5, 1)
        neighbours = np.empty(room, dtype=np.intc)
        triangles = np.empty(room, dtype=np.intc)
        count = np.zeros(1, dtype=np.intc)
        status = lib.import_mathfunction_2d_pwl_interpolation_part_1_triangulation(
            n, _arrays.dp(self.x), _arrays.dp(self.y), _arrays.ip(neighbours),
            _arrays.ip(triangles), _arrays.ip(count), 3)
        check("import_mathfunction_2d_pwl_interpolation_part_1_triangulation", status)
        self.triangles = triangles[:3 * count[0]].reshape(-1, 3)
        self.neighbours = neighbours[:3 * count[0]].reshape(-1, 3)

    def interpolate(self, z, xi, yi):
        """The piecewise-linear function with values z at the points, at (xi, yi); beyond the
        hull a boundary triangle's plane is extrapolated (which triangle can depend on earlier
        calls: the walks start from a search hint shared by the whole process). Raises QuadrelError
        (QUADREL_INTERP2D_UNSERVED) when a query point is NaN or infinite. Returns an array of
        xi's shape (a scalar for a scalar)."""
        z = _arrays.doubles(z, "z")
        _arrays.same_length("z", z, self.x.shape[0])
        flat_x, flat_y, ni, shape = _queries(xi, yi)
        values = np.empty(ni)
        status = lib.import_mathfunction_2d_pwl_interpolation_part_2_interpolation(
            self.x.shape[0], _arrays.dp(self.x), _arrays.dp(self.y), _arrays.dp(z),
            _arrays.ip(self.neighbours), _arrays.ip(self.triangles), self.triangles.shape[0],
            ni, _arrays.dp(flat_x), _arrays.dp(flat_y), _arrays.dp(values))
        check("import_mathfunction_2d_pwl_interpolation_part_2_interpolation", status)
        return values.reshape(shape)[()]


def interp2d(x, y, z, xi, yi):
    """Triangulation of (x, y) and piecewise-linear interpolation of z at (xi, yi) in one call
    (as Triangulation(x, y).interpolate(z, xi, yi)). SciPy's counterpart is
    scipy.interpolate.LinearNDInterpolator (NaN beyond the hull, where this extrapolates), not
    scipy.interpolate.interp2d, which fits splines. Returns an array of xi's shape (a scalar
    for a scalar)."""
    x, y, n = _table(x, y)
    z = _arrays.doubles(z, "z")
    _arrays.same_length("z", z, n)
    flat_x, flat_y, ni, shape = _queries(xi, yi)
    values = np.empty(ni)
    status = lib.import_mathfunction_2d_pwl_interpolation(
        n, _arrays.dp(x), _arrays.dp(y), _arrays.dp(z), ni, _arrays.dp(flat_x),
        _arrays.dp(flat_y), _arrays.dp(values))
    check("import_mathfunction_2d_pwl_interpolation", status)
    return values.reshape(shape)[()]
