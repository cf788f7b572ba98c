"""Python functions called from C. A C computation cannot be unwound from inside a callback,
so the first exception a function raises is kept, the callback answers NaN (and every later
call answers NaN at once, without calling the function again), and the exception is raised
again once the C call has returned, whatever status it gave."""

import math


class CallbackGuard:
    """Calls function(*args) and converts its result (float by default, since a value that
    ctypes cannot convert would silently become 0.0); keeps the first exception of either."""

    def __init__(self, function, convert=float):
        if not callable(function):
            raise TypeError(f"{function!r} is not callable")
        self.function = function
        self.convert = convert
        self.error = None

    def __call__(self, *args):
        """The converted result, or None once the function has raised."""
        if self.error is None:
            try:
                return self.convert(self.function(*args))
            except BaseException as error:  # noqa: B036 (KeyboardInterrupt included)
                self.error = error
        return None

    def value(self, *args):
        """The result as a float, NaN once the function has raised."""
        result = self(*args)
        return math.nan if result is None else result

    def raise_pending(self):
        if self.error is not None:
            error, self.error = self.error, None
            raise error
