! quadrel for Fortran: the twenty C exports of quadrel.h as bind(C) interfaces, and the
! library's status names as constants.
!
! Compile this file with your own program (module files differ between compilers, so the
! module is shipped as source) and link -lquadrel:
!
!   gfortran -c quadrel.f90 && gfortran app.f90 quadrel.o -lquadrel
!
! Every procedure keeps its C name, argument order and meaning; quadrel.h has the full
! contract of each (a bind(C) name is lower case unless given, so the two names with capitals
! are spelled out). Points worth knowing when calling from Fortran:
!  - integers passed by value in C are integer(c_int), value here; pass plain default
!    integers or c_int constants;
!  - matrices are column-major with a leading dimension, as Fortran stores them: pass the
!    array a(lda, n) and its first dimension as lda;
!  - pivot numbers, a zero pivot's step and the band layout's rows count from 1, as in
!    Fortran; triangle and point numbers of the triangulation count from 0;
!  - the spline's reuse flag is a one-byte C bool: pass .true._c_bool or .false._c_bool;
!  - callbacks are bind(C) procedures matching the abstract interfaces below, passed as
!    c_funloc(procedure).
! The module passes on the iso_c_binding names it uses (c_double, c_int, c_bool, c_funloc,
! c_null_ptr, ...), so that `use quadrel` alone is enough to call the library.
module quadrel
  use, intrinsic :: iso_c_binding, only: c_bool, c_double, c_funloc, c_funptr, c_int, &
                                         c_int32_t, c_int64_t, c_null_ptr, c_ptr
  implicit none

  ! Statuses. 0 is success for every export; the other values mean something only for the
  ! exports named beside them. The LU factorisations also return k > 0, the last step
  ! whose pivot was exactly zero.
  integer(c_int), parameter :: QUADREL_SUCCESS = 0
  ! LU_Zerlegung, loesung_lin_gls, inversion_matrix
  integer(c_int), parameter :: QUADREL_LU_BAD_LDA = -2        ! lda < n (n >= 1)
  integer(c_int), parameter :: QUADREL_LU_BAD_PIVOTS = -4     ! a pivot number outside k..n
  integer(c_int), parameter :: QUADREL_LU_NO_MEMORY = 1       ! inversion: no scratch memory
  ! LU_Zerlegung_band, loesung_lin_gls_band
  integer(c_int), parameter :: QUADREL_BAND_BAD_LDA = -2      ! lda < 2*ml + mu + 1
  integer(c_int), parameter :: QUADREL_BAND_BAD_ORDER = -3    ! n < 1 (factorisation)
  integer(c_int), parameter :: QUADREL_BAND_BAD_LOWER = -4    ! ml < 0
  integer(c_int), parameter :: QUADREL_BAND_BAD_UPPER = -5    ! mu < 0
  integer(c_int), parameter :: QUADREL_BAND_BAD_PIVOTS = -6   ! a pivot outside k..min(n, k+ml)
  ! quadratische_integration_gauss
  integer(c_int), parameter :: QUADREL_GAUSS_BAD_ARGUMENT = 1 ! n < 2
  integer(c_int), parameter :: QUADREL_GAUSS_NO_MEMORY = 2    ! no memory for the rule
  ! 1d_cubic_spline
  integer(c_int), parameter :: QUADREL_SPLINE_BAD_KNOTS = 1   ! n < 2, or knots not increasing
  integer(c_int), parameter :: QUADREL_SPLINE_NO_MEMORY = 2   ! no memory for the set-up
  ! matrix_vektor_produkt
  integer(c_int), parameter :: QUADREL_MATVEC_BAD_ARGUMENT = 1 ! m, n < 0, lda, zero stride
  ! 1d_nullstelle
  integer(c_int), parameter :: QUADREL_ROOT1D_NO_ZERO = 1     ! no sign change, or no convergence
  ! 2d_nullstelle
  integer(c_int), parameter :: QUADREL_ROOT2D_NOT_CONVERGED = 1 ! not within 1000 iterations
  integer(c_int), parameter :: QUADREL_ROOT2D_BAD_ORDER = -1  ! n is neither 1 nor 2
  ! 1d_pwl_interpolation
  integer(c_int), parameter :: QUADREL_INTERP1D_EMPTY_TABLE = 1 ! n < 1
  ! triangulation, and the one-call 2-D interpolation
  integer(c_int), parameter :: QUADREL_TRI_COINCIDENT = 2     ! two points coincide
  integer(c_int), parameter :: QUADREL_TRI_COLLINEAR = 226    ! < 3 points, or all on one line
  integer(c_int), parameter :: QUADREL_TRI_DEGENERATE = 9     ! storage ran out, data degenerate
  integer(c_int), parameter :: QUADREL_TRI_TOO_MANY = -1      ! n too large
  integer(c_int), parameter :: QUADREL_TRI_BAD_ROW_LENGTH = -7 ! row_length is not 3
  ! both 2-D interpolations
  integer(c_int), parameter :: QUADREL_INTERP2D_UNSERVED = 1  ! a query point got -1.0

  ! The three shapes of callback.
  abstract interface
    ! Integrand of the quadrature: f(x); points holds the number of points of the rule.
    function quadrel_integrand(x, points) bind(C)
      import :: c_double, c_int
      real(c_double), value :: x
      integer(c_int), intent(inout) :: points
      real(c_double) :: quadrel_integrand
    end function quadrel_integrand

    ! Function of the one-dimensional root finder.
    function quadrel_function_1d(x) bind(C)
      import :: c_double
      real(c_double), value :: x
      real(c_double) :: quadrel_function_1d
    end function quadrel_function_1d

    ! System of the two-dimensional root finder: the unknowns are point(1:n), the function
    ! stores F_1 .. F_n in values(1:n); element 0 of both is left alone, and count (= n)
    ! must not be changed.
    subroutine quadrel_system_2d(n, point, values, count) bind(C)
      import :: c_double, c_int
      integer(c_int), value :: n
      real(c_double), intent(in) :: point(0:n)
      real(c_double), intent(inout) :: values(0:n)
      integer(c_int), intent(inout) :: count
    end subroutine quadrel_system_2d
  end interface

  interface
    ! ---- Vector operations, calendar time, rotations, maximum ---------------------------
    function import_mathfunction_kreuzprodukt_vektor3(u, v, w) bind(C)
      import :: c_double, c_int
      real(c_double), intent(in) :: u(3), v(3)
      real(c_double), intent(out) :: w(3)
      integer(c_int) :: import_mathfunction_kreuzprodukt_vektor3
    end function

    function import_mathfunction_skalarprodukt_vektor3(u, v) bind(C)
      import :: c_double
      real(c_double), intent(in) :: u(3), v(3)
      real(c_double) :: import_mathfunction_skalarprodukt_vektor3
    end function

    ! t may be omitted: nothing is stored then.
    function import_mathfunction_timestamp(t) bind(C)
      import :: c_int, c_int64_t
      integer(c_int64_t), intent(out), optional :: t
      integer(c_int) :: import_mathfunction_timestamp
    end function

    ! The C operands are unsigned 32-bit integers; Fortran has none, so the same 32 bits
    ! travel in a signed integer (a value with bit 31 set reads as negative).
    function import_mathfunction_rotl(value, shift) bind(C)
      import :: c_int, c_int32_t
      integer(c_int32_t), value :: value
      integer(c_int), value :: shift
      integer(c_int32_t) :: import_mathfunction_rotl
    end function

    function import_mathfunction_rotr(value, shift) bind(C)
      import :: c_int, c_int32_t
      integer(c_int32_t), value :: value
      integer(c_int), value :: shift
      integer(c_int32_t) :: import_mathfunction_rotr
    end function

    ! first if first >= second, else second: fmax(NaN, 1) is 1, fmax(1, NaN) is NaN. The
    ! name is the C library's; quadrel.h explains when a program linked with -lquadrel may
    ! reach the C library's fmax instead, or its own calls reach this one.
    function fmax(first, second) bind(C, name="fmax")
      import :: c_double
      real(c_double), value :: first, second
      real(c_double) :: fmax
    end function

    ! ---- Dense LU factorisation, solution, inversion ------------------------------------
    function import_mathfunction_LU_Zerlegung(a, lda, n, ipvt) &
        bind(C, name="import_mathfunction_LU_Zerlegung")
      import :: c_double, c_int
      integer(c_int), value :: lda, n
      real(c_double), intent(inout) :: a(lda, *)
      integer(c_int), intent(out) :: ipvt(*)
      integer(c_int) :: import_mathfunction_LU_Zerlegung
    end function

    function import_mathfunction_loesung_lin_gls(a, lda, n, ipvt, b) bind(C)
      import :: c_double, c_int
      integer(c_int), value :: lda, n
      real(c_double), intent(in) :: a(lda, *)
      integer(c_int), intent(in) :: ipvt(*)
      real(c_double), intent(inout) :: b(*)
      integer(c_int) :: import_mathfunction_loesung_lin_gls
    end function

    function import_mathfunction_inversion_matrix(a, lda, n, ipvt) bind(C)
      import :: c_double, c_int
      integer(c_int), value :: lda, n
      real(c_double), intent(inout) :: a(lda, *)
      integer(c_int), intent(in) :: ipvt(*)
      integer(c_int) :: import_mathfunction_inversion_matrix
    end function

    ! ---- Gauss-Legendre quadrature: f is c_funloc of a quadrel_integrand ----------------
    function import_mathfunction_quadratische_integration_gauss(f, lower, upper, n, result) &
        bind(C)
      import :: c_double, c_funptr, c_int
      type(c_funptr), value :: f
      real(c_double), value :: lower, upper
      integer(c_int), value :: n
      real(c_double), intent(out) :: result
      integer(c_int) :: import_mathfunction_quadratische_integration_gauss
    end function

    ! ---- Cubic spline -------------------------------------------------------------------
    function import_mathfunction_1d_cubic_spline(n, x, y, xi, value, m2, reuse) bind(C)
      import :: c_bool, c_double, c_int
      integer(c_int), value :: n
      real(c_double), intent(in) :: x(*), y(*)
      real(c_double), value :: xi
      real(c_double), intent(out) :: value
      real(c_double), intent(inout) :: m2(*)
      logical(c_bool), value :: reuse
      integer(c_int) :: import_mathfunction_1d_cubic_spline
    end function

    ! ---- Band LU factorisation and solution ---------------------------------------------
    function import_mathfunction_LU_Zerlegung_band(abd, lda, n, ml, mu, ipvt) &
        bind(C, name="import_mathfunction_LU_Zerlegung_band")
      import :: c_double, c_int
      integer(c_int), value :: lda, n, ml, mu
      real(c_double), intent(inout) :: abd(lda, *)
      integer(c_int), intent(out) :: ipvt(*)
      integer(c_int) :: import_mathfunction_LU_Zerlegung_band
    end function

    function import_mathfunction_loesung_lin_gls_band(abd, lda, n, ml, mu, ipvt, b) bind(C)
      import :: c_double, c_int
      integer(c_int), value :: lda, n, ml, mu
      real(c_double), intent(in) :: abd(lda, *)
      integer(c_int), intent(in) :: ipvt(*)
      real(c_double), intent(inout) :: b(*)
      integer(c_int) :: import_mathfunction_loesung_lin_gls_band
    end function

    ! ---- Matrix-vector product: y := alpha*A*x + beta*y ---------------------------------
    function import_mathfunction_matrix_vektor_produkt(m, n, alpha, a, lda, x, incx, beta, y, &
                                                       incy) bind(C)
      import :: c_double, c_int
      integer(c_int), value :: m, n, lda, incx, incy
      real(c_double), value :: alpha, beta
      real(c_double), intent(in) :: a(lda, *), x(*)
      real(c_double), intent(inout) :: y(*)
      integer(c_int) :: import_mathfunction_matrix_vektor_produkt
    end function

    ! ---- Root finding: f is c_funloc of a quadrel_function_1d or quadrel_system_2d -------
    function import_mathfunction_1d_nullstelle(x1, x2, root, f, tolerance) bind(C)
      import :: c_double, c_funptr, c_int
      real(c_double), value :: x1, x2, tolerance
      real(c_double), intent(out) :: root
      type(c_funptr), value :: f
      integer(c_int) :: import_mathfunction_1d_nullstelle
    end function

    ! x has two elements also when n = 1; reserved is ignored (pass c_null_ptr).
    function import_mathfunction_2d_nullstelle(n, x, f, reserved, tolerance) bind(C)
      import :: c_double, c_funptr, c_int, c_ptr
      integer(c_int), value :: n
      real(c_double), intent(inout) :: x(2)
      type(c_funptr), value :: f
      type(c_ptr), value :: reserved
      real(c_double), value :: tolerance
      integer(c_int) :: import_mathfunction_2d_nullstelle
    end function

    ! ---- Piecewise-linear interpolation in one variable ---------------------------------
    function import_mathfunction_1d_pwl_interpolation(n, x, y, ni, xi, yi) bind(C)
      import :: c_double, c_int
      integer(c_int), value :: n, ni
      real(c_double), intent(in) :: x(*), y(*), xi(*)
      real(c_double), intent(out) :: yi(*)
      integer(c_int) :: import_mathfunction_1d_pwl_interpolation
    end function

    ! ---- Triangulation and piecewise-linear interpolation in two variables -------------
    ! neighbours and triangles have room for 2n - 5 triangles (6n integers always suffice);
    ! column t + 1 describes triangle t, and the numbers stored are 0-based.
    function import_mathfunction_2d_pwl_interpolation_part_1_triangulation( &
        n, x, y, neighbours, triangles, triangle_count, row_length) bind(C)
      import :: c_double, c_int
      integer(c_int), value :: n, row_length
      real(c_double), intent(in) :: x(*), y(*)
      integer(c_int), intent(out) :: neighbours(3, *), triangles(3, *)
      integer(c_int), intent(out) :: triangle_count
      integer(c_int) :: import_mathfunction_2d_pwl_interpolation_part_1_triangulation
    end function

    function import_mathfunction_2d_pwl_interpolation_part_2_interpolation( &
        n, x, y, z, neighbours, triangles, triangle_count, ni, xi, yi, zi) bind(C)
      import :: c_double, c_int
      integer(c_int), value :: n, triangle_count, ni
      real(c_double), intent(in) :: x(*), y(*), z(*), xi(*), yi(*)
      integer(c_int), intent(in) :: neighbours(3, *), triangles(3, *)
      real(c_double), intent(out) :: zi(*)
      integer(c_int) :: import_mathfunction_2d_pwl_interpolation_part_2_interpolation
    end function

    function import_mathfunction_2d_pwl_interpolation(n, x, y, z, ni, xi, yi, zi) bind(C)
      import :: c_double, c_int
      integer(c_int), value :: n, ni
      real(c_double), intent(in) :: x(*), y(*), z(*), xi(*), yi(*)
      real(c_double), intent(out) :: zi(*)
      integer(c_int) :: import_mathfunction_2d_pwl_interpolation
    end function
  end interface
end module quadrel
