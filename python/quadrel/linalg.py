"""Dense and band LU factorisation, solution and inversion, and the matrix-vector product.

The factors are quadrel's own layout, not LAPACK's: below the diagonal, column k holds the
multipliers of elimination step k with inverted sign, and the interchange of step k applies to
columns k..n only, so L is a sequence of steps rather than a row-permuted triangle. Pivots
count from 1. Factors therefore only go into this module's solve and inverse functions; they
are not interchangeable with scipy.linalg.lu_factor's (lu, piv), whose pivots count from 0.
"""

from typing import NamedTuple

import numpy as np

from . import _arrays
from ._library import lib
from ._status import check


class LUFactors(NamedTuple):
    """Result of lu_factor: ``lu`` (n x n, Fortran order) and ``pivots`` (n C ints, 1-based:
    row pivots[k-1] was exchanged with row k at step k)."""

    lu: np.ndarray
    pivots: np.ndarray


class BandLUFactors(NamedTuple):
    """Result of band_lu_factor: ``abd`` (2*lower + upper + 1 rows, n columns, Fortran order:
    U as a band of lower + upper super-diagonals above the multipliers), ``pivots`` (1-based),
    and the numbers of sub- and super-diagonals."""

    abd: np.ndarray
    pivots: np.ndarray
    lower: int
    upper: int


def _square(a, name="a"):
    """The order of the square matrix a."""
    shape = np.shape(a)
    if len(shape) != 2 or shape[0] != shape[1]:
        raise ValueError(f"{name} must be a square matrix, not of shape {shape}")
    return _arrays.count(shape[0], name)


def lu_factor(a):
    """LU factorisation of the square matrix a with partial pivoting (the first element of
    largest magnitude in the column wins).

    Raises ValueError when a is not square, QuadrelError when a pivot is exactly zero (status k,
    the last such step; the matrix is singular). Returns LUFactors for lu_solve and inv.
    """
    n = _square(a)
    lu = np.array(a, dtype=np.float64, order="F")
    pivots = np.empty(n, dtype=np.intc)
    status = lib.import_mathfunction_LU_Zerlegung(_arrays.dp(lu), n, n, _arrays.ip(pivots))
    check("import_mathfunction_LU_Zerlegung", status)
    return LUFactors(lu, pivots)


def _solve_columns(solve, b, n):
    """Applies solve(pointer) to b (n values, or n x k for k right-hand sides) column by column
    on a copy, and returns the copy."""
    x = np.array(b, dtype=np.float64, order="F")
    if x.ndim not in (1, 2) or x.shape[0] != n:
        raise ValueError(f"b must have {n} rows, not shape {x.shape}")
    columns = [x] if x.ndim == 1 else [x[:, j] for j in range(x.shape[1])]
    for column in columns:
        solve(_arrays.dp(column))
    return x


def _checked_factors(factors, name):
    n = _square(factors[0], name)
    lu = np.asfortranarray(factors[0], dtype=np.float64)
    return n, lu, _arrays.ints(factors[1], "pivots", n)


def lu_solve(factors, b):
    """Solves A x = b with the factors of lu_factor; b holds n values, or n x k for k
    right-hand sides. Returns x (a new array, b is not changed). A zero pivot is not tested."""
    n, lu, pivots = _checked_factors(factors, "lu")

    def solve(column):
        status = lib.import_mathfunction_loesung_lin_gls(_arrays.dp(lu), n, n,
                                                         _arrays.ip(pivots), column)
        check("import_mathfunction_loesung_lin_gls", status)

    return _solve_columns(solve, b, n)


def inv(factors):
    """The inverse of A from the factors of lu_factor (which are not changed)."""
    n, lu, pivots = _checked_factors(factors, "lu")
    inverse = np.array(lu, order="F")
    status = lib.import_mathfunction_inversion_matrix(_arrays.dp(inverse), n, n,
                                                      _arrays.ip(pivots))
    check("import_mathfunction_inversion_matrix", status)
    return inverse


def band_lu_factor(ab, lower, upper):
    """LU factorisation of a band matrix with ``lower`` sub- and ``upper`` super-diagonals.

    ab holds the band in SciPy's solve_banded layout: lower + upper + 1 rows and n columns,
    ab[upper + i - j, j] = a[i, j]. Raises QuadrelError for n < 1 or a zero pivot (status k).
    """
    lower, upper = int(lower), int(upper)
    ab = _arrays.doubles(ab, "ab", ndim=2)
    if lower < 0 or upper < 0 or ab.shape[0] != lower + upper + 1:
        raise ValueError(f"ab must have lower + upper + 1 rows, not shape {ab.shape}")
    n = _arrays.count(ab.shape[1], "ab")
    lda = _arrays.count(2 * lower + upper + 1, "2*lower + upper + 1")
    # Rows 0..lower-1 are room for the fill-in of row interchanges.
    abd = np.zeros((lda, n), dtype=np.float64, order="F")
    abd[lower:, :] = ab
    pivots = np.empty(n, dtype=np.intc)
    status = lib.import_mathfunction_LU_Zerlegung_band(_arrays.dp(abd), lda, n, lower, upper,
                                                       _arrays.ip(pivots))
    check("import_mathfunction_LU_Zerlegung_band", status)
    return BandLUFactors(abd, pivots, lower, upper)


def band_lu_solve(factors, b):
    """Solves A x = b with the factors of band_lu_factor; b as for lu_solve. Returns x."""
    abd = np.asfortranarray(factors.abd, dtype=np.float64)
    lower, upper = int(factors.lower), int(factors.upper)
    lda = 2 * lower + upper + 1
    if abd.ndim != 2 or abd.shape[0] != lda:
        raise ValueError(f"abd must have 2*lower + upper + 1 rows, not shape {abd.shape}")
    n = _arrays.count(abd.shape[1], "abd")
    pivots = _arrays.ints(factors.pivots, "pivots", n)

    def solve(column):
        status = lib.import_mathfunction_loesung_lin_gls_band(
            _arrays.dp(abd), lda, n, lower, upper, _arrays.ip(pivots), column)
        check("import_mathfunction_loesung_lin_gls_band", status)

    return _solve_columns(solve, b, n)


def matvec(a, x, alpha=1.0, beta=0.0, y=None):
    """alpha * a @ x + beta * y for an m x n matrix a (y = None: zeros). Returns a new array.

    Unlike NumPy's arithmetic, a column whose x element is exactly zero is skipped (NaNs or
    infinities in it do not reach the result), and beta = 0 discards y, NaNs included.
    """
    columns = np.asfortranarray(a, dtype=np.float64)
    if columns.ndim != 2:
        raise ValueError(f"a must be a matrix, not of shape {columns.shape}")
    m, n = (_arrays.count(extent, "a") for extent in columns.shape)
    x = _arrays.doubles(x, "x")
    _arrays.same_length("x", x, n)
    result = np.zeros(m) if y is None else np.array(y, dtype=np.float64)
    if result.shape != (m,):
        raise ValueError(f"y must hold {m} values, not shape {result.shape}")
    status = lib.import_mathfunction_matrix_vektor_produkt(
        m, n, float(alpha), _arrays.dp(columns), max(1, m), _arrays.dp(x), 1, float(beta),
        _arrays.dp(result), 1)
    check("import_mathfunction_matrix_vektor_produkt", status)
    return result
