"""The named statuses of quadrel (quadrel.h) and the exception that carries them."""

_LU = {-2: ("QUADREL_LU_BAD_LDA", "lda < n (n >= 1)"),
       -4: ("QUADREL_LU_BAD_PIVOTS", "a pivot number lies outside k..n")}
_BAND = {-2: ("QUADREL_BAND_BAD_LDA", "lda < 2*ml + mu + 1"),
         -4: ("QUADREL_BAND_BAD_LOWER", "ml < 0"),
         -5: ("QUADREL_BAND_BAD_UPPER", "mu < 0")}
_TRIANGULATION = {
    2: ("QUADREL_TRI_COINCIDENT", "two points coincide"),
    226: ("QUADREL_TRI_COLLINEAR", "fewer than three points, or all on one line"),
    9: ("QUADREL_TRI_DEGENERATE",
        "working storage ran out, or data too degenerate for floating point"),
    -1: ("QUADREL_TRI_TOO_MANY", "n too large for the neighbour encoding"),
}
_UNSERVED = {1: ("QUADREL_INTERP2D_UNSERVED",
                 "at least one query point was not served (value -1.0)")}

# For each export, the statuses other than QUADREL_SUCCESS (0) that it can return.
STATUSES = {
    "import_mathfunction_LU_Zerlegung": _LU,
    "import_mathfunction_loesung_lin_gls": _LU,
    "import_mathfunction_inversion_matrix": {
        **_LU, 1: ("QUADREL_LU_NO_MEMORY", "scratch memory could not be obtained")},
    "import_mathfunction_LU_Zerlegung_band": {
        **_BAND, -3: ("QUADREL_BAND_BAD_ORDER", "n < 1")},
    "import_mathfunction_loesung_lin_gls_band": {
        **_BAND, -6: ("QUADREL_BAND_BAD_PIVOTS",
                      "a pivot number lies outside k..min(n, k+ml)")},
    "import_mathfunction_quadratische_integration_gauss": {
        1: ("QUADREL_GAUSS_BAD_ARGUMENT", "n < 2"),
        2: ("QUADREL_GAUSS_NO_MEMORY", "no memory for the rule's work arrays")},
    "import_mathfunction_1d_cubic_spline": {
        1: ("QUADREL_SPLINE_BAD_KNOTS", "n < 2, or knots not strictly increasing"),
        2: ("QUADREL_SPLINE_NO_MEMORY", "no memory for the set-up's scratch")},
    "import_mathfunction_matrix_vektor_produkt": {
        1: ("QUADREL_MATVEC_BAD_ARGUMENT",
            "m < 0, n < 0, lda too small, or a zero stride")},
    "import_mathfunction_1d_nullstelle": {
        1: ("QUADREL_ROOT1D_NO_ZERO",
            "no sign change at the ends, or no convergence in 1000 iterations")},
    "import_mathfunction_2d_nullstelle": {
        1: ("QUADREL_ROOT2D_NOT_CONVERGED", "not converged within 1000 iterations"),
        -1: ("QUADREL_ROOT2D_BAD_ORDER", "n is neither 1 nor 2")},
    "import_mathfunction_1d_pwl_interpolation": {
        1: ("QUADREL_INTERP1D_EMPTY_TABLE", "n < 1")},
    "import_mathfunction_2d_pwl_interpolation_part_1_triangulation": {
        **_TRIANGULATION, -7: ("QUADREL_TRI_BAD_ROW_LENGTH", "row_length is not 3")},
    "import_mathfunction_2d_pwl_interpolation_part_2_interpolation": _UNSERVED,
    "import_mathfunction_2d_pwl_interpolation": {**_TRIANGULATION, **_UNSERVED},
}

_FACTORISATIONS = ("import_mathfunction_LU_Zerlegung", "import_mathfunction_LU_Zerlegung_band")


class QuadrelError(Exception):
    """A quadrel export returned a status other than 0.

    Attributes: ``function`` (the C export), ``status`` (the int it returned), ``name`` (the
    status's name in quadrel.h, or None for a zero pivot, which has a step number rather than a
    name) and ``meaning`` (one line)."""

    def __init__(self, function, status):
        self.function = function
        self.status = status
        if status > 0 and function in _FACTORISATIONS:
            self.name = None
            self.meaning = f"the pivot of step {status} is exactly zero: the matrix is singular"
        else:
            self.name, self.meaning = STATUSES.get(function, {}).get(
                status, (None, "status not documented for this function"))
        label = f"{self.name}: " if self.name else ""
        super().__init__(f"{function} returned {status} ({label}{self.meaning})")


def check(function, status):
    """Raises QuadrelError for a status other than 0."""
    if status != 0:
        raise QuadrelError(function, status)
