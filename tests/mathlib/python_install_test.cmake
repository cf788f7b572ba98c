# Installs the Python package with pip into a fresh virtual environment (offline: the
# interpreter's own NumPy and setuptools serve), puts libquadrel.so beside the installed
# package, and imports it from there. Run with cmake -P and
#   PYTHON      an interpreter with NumPy and setuptools
#   SOURCE_DIR  the package's source folder (python/)
#   LIBRARY     libquadrel.so
#   WORK_DIR    a scratch folder, emptied first

include(${CMAKE_CURRENT_LIST_DIR}/run_command.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
# pip builds in the source folder: build a copy, so that the source tree stays clean.
file(COPY ${SOURCE_DIR}/ DESTINATION ${WORK_DIR}/source PATTERN __pycache__ EXCLUDE)
run(${PYTHON} -m venv --system-site-packages ${WORK_DIR}/venv)
set(venv_python ${WORK_DIR}/venv/bin/python)
run(${venv_python} -m pip install --quiet --no-index --no-build-isolation ${WORK_DIR}/source)
# (No semicolons in the Python code: run() would split the argument there.)
run(${venv_python} -c "import importlib.util
print(importlib.util.find_spec('quadrel').submodule_search_locations[0], end='')")
file(COPY ${LIBRARY} DESTINATION ${output})

# No QUADREL_LIBRARY, and a working folder away from the source: the installed package and
# the library beside it serve.
unset(ENV{QUADREL_LIBRARY})
run(${venv_python} -c "import quadrel, numpy as np
assert quadrel._library.lib._name.startswith('${output}'), quadrel._library.lib._name
x = quadrel.lu_solve(quadrel.lu_factor(np.array([[4.0, -2.0], [-2.0, 4.0]])), [2.0, 2.0])
print('installed quadrel solves to', x)"
    WORKING_DIRECTORY ${WORK_DIR})
