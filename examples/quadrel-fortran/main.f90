! Solves a small linear system with quadrel's dense LU factorisation, integrates a Fortran
! function with its Gauss-Legendre quadrature, and prints both. Stops with 1 on a failure.
module integrands
  use quadrel, only: c_double, c_int
  implicit none
contains
  ! exp(-x^2), called by quadrel once per node; points is the number of nodes in use.
  function gaussian(x, points) bind(C)
    real(c_double), value :: x
    integer(c_int), intent(inout) :: points
    real(c_double) :: gaussian
    gaussian = exp(-x * x)
  end function
end module integrands

program quadrel_fortran_example
  use quadrel
  use integrands
  implicit none
  integer, parameter :: n = 3
  ! A = [4 -2 1; -2 4 -2; 1 -2 4] and b = A * (1, 2, 3).
  real(c_double) :: a(n, n) = reshape([4, -2, 1, -2, 4, -2, 1, -2, 4], [n, n])
  real(c_double) :: b(n) = [3, 0, 9], integral
  integer(c_int) :: pivots(n), status

  status = import_mathfunction_LU_Zerlegung(a, n, n, pivots)
  if (status /= QUADREL_SUCCESS) error stop "the matrix is singular"
  status = import_mathfunction_loesung_lin_gls(a, n, n, pivots, b)
  print '("x = (", f0.12, ", ", f0.12, ", ", f0.12, ")")', b

  status = import_mathfunction_quadratische_integration_gauss(c_funloc(gaussian), &
                                                              -3.0_c_double, 3.0_c_double, &
                                                              10, integral)
  if (status /= QUADREL_SUCCESS) error stop "the quadrature refused its arguments"
  print '("integral of exp(-x^2) over [-3, 3] with 10 points: ", f0.12)', integral
  if (any(abs(b - [1, 2, 3]) > 1.0e-12_c_double)) error stop "wrong solution"
end program quadrel_fortran_example
