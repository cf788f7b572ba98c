import numpy as np
import pytest

import quadrel
from conftest import doubles

# Scattered points in general position (no four on a circle): one Delaunay triangulation.
RNG = np.random.default_rng(2385)
X, Y = RNG.uniform(-1.0, 2.0, 40), RNG.uniform(0.0, 1.5, 40)
Z = np.sin(X) * Y + 0.25 * X
XI, YI = RNG.uniform(-0.5, 1.5, 25), RNG.uniform(0.2, 1.2, 25)


def test_spline_matches_scipy_where_the_end_conditions_agree():
    interpolate = pytest.importorskip("scipy.interpolate")
    at = np.array([[-0.5, 0.25], [1.3, 2.385]])
    # Three knots: both are the parabola through them. Quadratic data: the parabolic run-out
    # reproduces it, and so does SciPy's not-a-knot spline.
    for x, y in [([0.0, 1.0, 2.5], [1.0, -0.5, 2.0]),
                 (np.linspace(0.0, 3.0, 9), 0.7 * np.linspace(0.0, 3.0, 9) ** 2 - 1.1)]:
        spline = quadrel.CubicSpline(x, y)
        np.testing.assert_allclose(spline(at), interpolate.CubicSpline(x, y)(at), rtol=1e-12)
    assert isinstance(spline(1.3), float) and spline(1.3) == spline(at)[1, 0]
    np.testing.assert_allclose(spline.second_derivatives, 1.4, rtol=1e-12)


def test_interp1d_extrapolates_where_numpy_holds():
    x, y = np.array([0.0, 1.0, 2.5, 4.0]), np.array([1.0, 3.0, -2.0, 0.5])
    inside = np.array([0.3, 1.0, 2.385, 3.9])
    np.testing.assert_allclose(quadrel.interp1d(x, y, inside), np.interp(inside, x, y),
                               rtol=1e-14)
    assert quadrel.interp1d(x, y, [-1.0, 5.0]).tolist() == [-1.0, pytest.approx(0.5 + 5.0 / 3.0)]
    assert np.ndim(quadrel.interp1d(x, y, 2.385)) == 0


def test_triangulation_is_scipys_delaunay_and_interpolates_alike():
    spatial = pytest.importorskip("scipy.spatial")
    interpolate = pytest.importorskip("scipy.interpolate")
    triangulation = quadrel.Triangulation(X, Y)
    ours = {tuple(sorted(t)) for t in triangulation.triangles.tolist()}
    theirs = {tuple(sorted(t)) for t in spatial.Delaunay(np.column_stack([X, Y])).simplices}
    assert ours == theirs
    values = triangulation.interpolate(Z, XI, YI)
    expected = interpolate.LinearNDInterpolator(np.column_stack([X, Y]), Z)(XI, YI)
    np.testing.assert_allclose(values, expected, rtol=1e-12, atol=1e-14)


def test_interp2d_gives_the_c_exports_bits(c_library):
    expected = doubles([0.0] * XI.size)
    assert c_library.import_mathfunction_2d_pwl_interpolation(
        X.size, doubles(X), doubles(Y), doubles(Z), XI.size, doubles(XI), doubles(YI),
        expected) == 0
    assert quadrel.interp2d(X, Y, Z, XI, YI).tobytes() == bytes(expected)
    grid = quadrel.interp2d(X, Y, Z, XI.reshape(5, 5), YI.reshape(5, 5))
    assert grid.shape == (5, 5) and grid.tobytes() == bytes(expected)


@pytest.mark.parametrize("call, status_name", [
    pytest.param(lambda: quadrel.CubicSpline([0.0, 1.0, 1.0], [1.0, 2.0, 3.0]),
                 "QUADREL_SPLINE_BAD_KNOTS", id="repeated knot"),
    pytest.param(lambda: quadrel.interp1d([], [], [1.0]), "QUADREL_INTERP1D_EMPTY_TABLE",
                 id="empty table"),
    pytest.param(lambda: quadrel.Triangulation([0.0, 1.0, 2.0], [0.0, 1.0, 2.0]),
                 "QUADREL_TRI_COLLINEAR", id="collinear"),
    pytest.param(lambda: quadrel.interp2d([0.0, 1.0, 0.0, 1.0], [0.0, 0.0, 1.0, 0.0],
                                          [1.0, 2.0, 3.0, 4.0], [0.5], [0.5]),
                 "QUADREL_TRI_COINCIDENT", id="coincident"),
    pytest.param(lambda: quadrel.Triangulation(X, Y).interpolate(Z, [0.5, np.nan], [0.5, 0.5]),
                 "QUADREL_INTERP2D_UNSERVED", id="NaN query"),
])
def test_interpolation_failures_raise_with_the_status_name(call, status_name):
    with pytest.raises(quadrel.QuadrelError) as raised:
        call()
    assert raised.value.name == status_name


def test_mis_shaped_arguments_raise_before_any_call():
    with pytest.raises(ValueError):
        quadrel.interp2d(X, Y, Z[:-1], XI, YI)
    with pytest.raises(ValueError):
        quadrel.Triangulation(X, Y).interpolate(Z, XI, YI[:-1])
