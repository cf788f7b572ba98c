import math

import numpy as np
import pytest

import quadrel


class Boom(Exception):
    pass


@pytest.mark.parametrize("n", [2, 7, 10, 24])
def test_gauss_legendre_matches_scipys_rule(n):
    nodes = []

    def f(x):
        nodes.append(x)
        return 1.0 / (1.0 + x * x)

    value = quadrel.gauss_legendre(f, -0.75, 2.385, n)
    # An even n above 10 gets one point more; the nodes come in ascending order.
    points = n + 1 if n > 10 and n % 2 == 0 else n
    assert len(nodes) == points and nodes == sorted(nodes)
    integrate = pytest.importorskip("scipy.integrate")
    expected, _ = integrate.fixed_quad(lambda x: 1.0 / (1.0 + x * x), -0.75, 2.385, n=points)
    assert value == pytest.approx(expected, rel=1e-14)


def test_roots_match_scipy():
    optimize = pytest.importorskip("scipy.optimize")
    f = lambda x: math.cos(x) - x  # noqa: E731
    assert quadrel.brent(f, 2.385, 0.0, tol=1e-14) == pytest.approx(
        optimize.brentq(f, 0.0, 2.385, xtol=1e-14), abs=1e-14)

    system = lambda v: [v[0] ** 2 + v[1] ** 2 - 4.0, math.exp(v[0]) + v[1] - 1.0]  # noqa: E731
    root = quadrel.root_2d(system, [1.0, -1.5], tol=1e-12)
    np.testing.assert_allclose(root, optimize.fsolve(system, [1.0, -1.5], xtol=1e-14),
                               atol=1e-10)
    assert max(abs(v) for v in system(root)) < 1e-12
    assert quadrel.root_2d(lambda v: [v[0] ** 3 - 2.385], [1.0], tol=1e-13) == pytest.approx(
        2.385 ** (1.0 / 3.0), rel=1e-12)


def raise_on_third_call(counted):
    def f(*args):
        counted.append(args)
        if len(counted) == 3:
            raise Boom("third call")
        return 0.5
    return f


def returns_none(*args):
    return None


CALLERS = {
    "gauss_legendre": lambda f: quadrel.gauss_legendre(f, 0.0, 1.0, 8),
    "brent": lambda f: quadrel.brent(lambda x: f(x) - 0.5 + x - 0.3, 0.0, 1.0),
    "root_2d": lambda f: quadrel.root_2d(lambda v: [f(v) - 0.5 + v[0] - 1.0, v[1] + 2.0],
                                         [0.0, 0.0]),
}


@pytest.mark.parametrize("caller", CALLERS)
def test_callback_exception_stops_the_computation_and_is_raised(caller):
    counted = []
    with pytest.raises(Boom, match="third call"):
        CALLERS[caller](raise_on_third_call(counted))
    # The function is not called again once it has raised.
    assert len(counted) == 3
    # A value that is not a number is an error too, never a silent 0.
    with pytest.raises(TypeError):
        CALLERS[caller](returns_none)


def test_a_system_that_returns_no_numbers_is_an_error():
    with pytest.raises(TypeError):
        quadrel.root_2d(lambda v: None, [0.5])


@pytest.mark.parametrize("call, status_name", [
    pytest.param(lambda: quadrel.gauss_legendre(math.sin, 0.0, 1.0, 1),
                 "QUADREL_GAUSS_BAD_ARGUMENT", id="one point"),
    pytest.param(lambda: quadrel.gauss_legendre(math.sin, 0.0, 1.0, -7),
                 "QUADREL_GAUSS_BAD_ARGUMENT", id="negative count"),
    pytest.param(lambda: quadrel.brent(lambda x: x * x + 1.0, -1.0, 1.0),
                 "QUADREL_ROOT1D_NO_ZERO", id="no sign change"),
    pytest.param(lambda: quadrel.root_2d(lambda v: [v[0] ** 2 + 1.0, v[1]], [0.3, 0.2]),
                 "QUADREL_ROOT2D_NOT_CONVERGED", id="no real root"),
])
def test_failures_raise_with_the_status_name(call, status_name):
    with pytest.raises(quadrel.QuadrelError) as raised:
        call()
    assert raised.value.name == status_name
    assert status_name in str(raised.value)
