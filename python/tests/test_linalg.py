import numpy as np
import pytest

import quadrel
from conftest import doubles, ints

MATRICES = {
    "well conditioned 4x4": np.array([[2.385, 1.75, -0.625, 0.875], [-1.25, 4.125, 1.5, -3.5],
                                      [0.5, -2.0, 5.25, 1.125], [3.0, 0.375, -1.0, 6.5]]),
    "needs pivoting": np.array([[1e-12, 1.0, 2.0], [3.5, -1.25, 0.5], [1.0, 2.0, -7.0]]),
    "1x1": np.array([[-0.3]]),
}


@pytest.mark.parametrize("name", MATRICES)
def test_dense_lu_gives_the_c_exports_bits(name, c_library):
    a = MATRICES[name]
    n = a.shape[0]
    b = np.linspace(-1.3, 2.385, n)
    # The reference: the C calls with the matrix laid out column by column by hand.
    factors = doubles([a[i, j] for j in range(n) for i in range(n)])
    pivots = ints(n)
    assert c_library.import_mathfunction_LU_Zerlegung(factors, n, n, pivots) == 0
    expected = doubles(list(b))
    assert c_library.import_mathfunction_loesung_lin_gls(factors, n, n, pivots, expected) == 0

    lu = quadrel.lu_factor(a)
    assert list(lu.pivots) == list(pivots)
    assert lu.lu.ravel(order="F").tobytes() == bytes(factors)
    assert quadrel.lu_solve(lu, b).tobytes() == bytes(expected)
    # Several right-hand sides: column j equals the solve of column j alone.
    two = np.column_stack([b, 2.0 * b])
    assert quadrel.lu_solve(lu, two)[:, 0].tobytes() == bytes(expected)

    scipy_linalg = pytest.importorskip("scipy.linalg")
    np.testing.assert_allclose(quadrel.lu_solve(lu, b), scipy_linalg.solve(a, b), rtol=1e-12)
    np.testing.assert_allclose(quadrel.inv(lu), scipy_linalg.inv(a), rtol=1e-12, atol=1e-15)


def case(name, call, error, status=None, status_name=None):
    return pytest.param(call, error, status, status_name, id=name)


@pytest.mark.parametrize("call, error, status, status_name", [
    case("not square", lambda: quadrel.lu_factor(np.ones((2, 3))), ValueError),
    case("not a matrix", lambda: quadrel.lu_factor(np.ones(4)), ValueError),
    case("singular", lambda: quadrel.lu_factor([[1.0, 2.0], [2.0, 4.0]]), quadrel.QuadrelError, 2),
    case("b too long", lambda: quadrel.lu_solve(quadrel.lu_factor(np.eye(2)), [1.0, 2.0, 3.0]),
         ValueError),
    case("pivot outside the matrix",
         lambda: quadrel.lu_solve((np.eye(2), np.array([3, 2])), [1.0, 2.0]),
         quadrel.QuadrelError, -4, "QUADREL_LU_BAD_PIVOTS"),
    case("empty band", lambda: quadrel.band_lu_factor(np.ones((3, 0)), 1, 1),
         quadrel.QuadrelError, -3, "QUADREL_BAND_BAD_ORDER"),
    case("band rows", lambda: quadrel.band_lu_factor(np.ones((2, 4)), 1, 1), ValueError),
    case("band pivot beyond ml",
         lambda: quadrel.band_lu_solve(
             quadrel.BandLUFactors(np.ones((4, 3)), np.array([3, 3, 3]), 1, 1), [1.0, 2.0, 3.0]),
         quadrel.QuadrelError, -6, "QUADREL_BAND_BAD_PIVOTS"),
    case("x too short", lambda: quadrel.matvec(np.ones((2, 3)), [1.0, 2.0]), ValueError),
])
def test_rejected_linear_algebra_arguments(call, error, status, status_name):
    with pytest.raises(error) as raised:
        call()
    if status is not None:
        assert (raised.value.status, raised.value.name) == (status, status_name)


def test_band_lu_gives_the_c_exports_bits(c_library):
    # Pentadiagonal-ish: two sub-diagonals, one super-diagonal, in solve_banded's layout.
    lower, upper, n = 2, 1, 7
    rng = np.random.default_rng(2385)
    ab = rng.uniform(-1.0, 1.0, (lower + upper + 1, n))
    ab[upper] += 4.0
    b = rng.uniform(-2.0, 2.0, n)
    lda = 2 * lower + upper + 1
    band = [0.0] * (lda * n)
    for j in range(n):
        for r in range(lower + upper + 1):
            band[lower + r + j * lda] = ab[r, j]
    factors, pivots, expected = doubles(band), ints(n), doubles(list(b))
    assert c_library.import_mathfunction_LU_Zerlegung_band(factors, lda, n, lower, upper,
                                                           pivots) == 0
    assert c_library.import_mathfunction_loesung_lin_gls_band(factors, lda, n, lower, upper,
                                                              pivots, expected) == 0

    x = quadrel.band_lu_solve(quadrel.band_lu_factor(ab, lower, upper), b)
    assert x.tobytes() == bytes(expected)
    scipy_linalg = pytest.importorskip("scipy.linalg")
    np.testing.assert_allclose(x, scipy_linalg.solve_banded((lower, upper), ab, b), rtol=1e-12)


def test_matvec_follows_the_exports_rules():
    a = np.array([[1.5, np.nan, -2.0], [0.25, np.inf, 3.0]])
    x = np.array([2.0, 0.0, -1.0])
    y = np.array([np.nan, 7.0])
    # The column of x's zero is skipped and beta = 0 discards y's NaN, unlike a @ x.
    result = quadrel.matvec(a, x, alpha=2.385, beta=0.0, y=y)
    t0, t2 = 2.385 * 2.0, 2.385 * -1.0
    assert result.tolist() == [(0.0 + t0 * 1.5) + t2 * -2.0, (0.0 + t0 * 0.25) + t2 * 3.0]
    assert quadrel.matvec(a[:, [0, 2]], [1.0, 1.0], beta=1.0, y=[1.0, 2.0]).tolist() == [
        (1.0 + 1.5) + -2.0, (2.0 + 0.25) + 3.0]
