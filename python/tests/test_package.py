import math
import os
import re
import subprocess
import sys
from pathlib import Path

import pytest

import quadrel
from quadrel._status import STATUSES

SOURCE = Path(__file__).resolve().parents[2]
NAN = math.nan


@pytest.mark.parametrize("call, expected", [
    pytest.param(lambda: quadrel.cross([1.0, 0.0, 0.0], [0.0, 1.0, 0.0]).tolist(),
                 [0.0, 0.0, 1.0], id="cross"),
    pytest.param(lambda: quadrel.dot([1.0, 2.0, 3.0], [4.0, 5.0, 6.0]), 32.0, id="dot"),
    pytest.param(lambda: quadrel.rotl(0x80000001, 1), 3, id="rotl"),
    pytest.param(lambda: quadrel.rotr(1, -1), 2, id="rotr by -1"),
    # quadrel's fmax, not the C library's: the NaN rule tells them apart.
    pytest.param(lambda: quadrel.fmax(NAN, 1.0), 1.0, id="fmax NaN first"),
    pytest.param(lambda: math.isnan(quadrel.fmax(1.0, NAN)), True, id="fmax NaN second"),
    pytest.param(lambda: math.copysign(1.0, quadrel.fmax(-0.0, 0.0)), -1.0, id="fmax zeros"),
    pytest.param(lambda: quadrel.timestamp() > 1_700_000_000, True, id="timestamp"),
])
def test_small_exports(call, expected):
    assert call() == expected


def test_rotation_operands_out_of_range_are_refused():
    with pytest.raises(ValueError):
        quadrel.rotl(2**32, 1)
    with pytest.raises(ValueError):
        quadrel.rotr(-1, 1)


def named_constants(text):
    return {name: int(value) for name, value in
            re.findall(r"\b(QUADREL_[A-Z0-9_]+)\b\s*=?\s*\(?\s*(-?\d+)", text)}


def test_status_names_agree_with_the_header_and_the_fortran_module():
    ours = {name: status for table in STATUSES.values() for status, (name, _) in table.items()}
    ours["QUADREL_SUCCESS"] = 0
    fortran = named_constants((SOURCE / "mathlib/fortran/quadrel.f90").read_text())
    assert fortran == ours
    header = named_constants((SOURCE / "mathlib/include/quadrel.h").read_text())
    if not header:
        pytest.skip("quadrel.h names no statuses")
    assert {name: header.get(name) for name in ours} == ours


def test_an_explicit_library_path_that_fails_is_reported():
    environment = dict(os.environ, QUADREL_LIBRARY=str(SOURCE / "no such library.so"))
    run = subprocess.run([sys.executable, "-c", "import quadrel"], env=environment,
                         capture_output=True, text=True)
    assert run.returncode != 0
    assert "ImportError" in run.stderr and "QUADREL_LIBRARY" in run.stderr
