"""Loads plot files with VTK's own readers and checks what they found.

usage: load_plot_file.py CHECK [-- CHECK ...]
where CHECK is: legacy|tecplot FILE POINTS CELLS [NAME[=LOW:HIGH] ...]

Each check loads one file; one process serves several, since importing vtk
takes a while. `legacy` reads a VTK legacy file, `tecplot` a Tecplot ASCII
file (its first zone). The file must load without a reader error, with POINTS
points and CELLS cells, and hold a point array of each NAME whose values lie
within LOW..HIGH when given. A legacy unstructured grid must be all hexahedra
whose point indexes lie inside the grid.

Exit status: 0 all loaded as expected, 1 one did not (the reasons on stdout),
2 bad arguments, 77 the vtk module cannot be imported.
"""

import sys

try:
    import vtk
except ImportError as e:
    print("cannot import vtk: %s" % e)
    sys.exit(77)

# Warnings (such as a Tecplot zone parameter the reader skips) are not faults.
vtk.vtkLogger.SetStderrVerbosity(vtk.vtkLogger.VERBOSITY_ERROR)

HEXAHEDRON = 12
LEGACY_READERS = {
    "STRUCTURED_GRID": vtk.vtkStructuredGridReader,
    "UNSTRUCTURED_GRID": vtk.vtkUnstructuredGridReader,
}


def legacy_reader(path, faults):
    """The reader of the data set type the file declares; a generic reader
    would hide the errors of the one it delegates to."""
    with open(path, "rb") as f:
        header = [f.readline() for _ in range(4)]
    kind = header[3].split()[-1].decode("ascii", "replace") if header[3].split() else ""
    if not header[3].startswith(b"DATASET ") or kind not in LEGACY_READERS:
        faults.append("line 4 is %r, not a DATASET line of a grid" % header[3])
        return None
    reader = LEGACY_READERS[kind]()
    reader.ReadAllScalarsOn()
    reader.ReadAllVectorsOn()
    return reader


def read(kind, path, faults):
    # Reader messages are collected rather than printed; an error among them
    # fails the check even where the reader raises no event.
    messages = vtk.vtkStringOutputWindow()
    vtk.vtkOutputWindow.SetInstance(messages)
    reader = legacy_reader(path, faults) if kind == "legacy" else vtk.vtkTecplotReader()
    if reader is None:
        return None
    reader.SetFileName(path)
    reader.AddObserver("ErrorEvent", lambda obj, event: faults.append("the reader reported an error"))
    reader.Update()
    if "ERROR" in messages.GetOutput():
        faults.append("reader messages: %s" % messages.GetOutput().strip())
    data = reader.GetOutput()
    if kind == "tecplot":
        if data is None or data.GetNumberOfBlocks() < 1:
            faults.append("no zone was read")
            return None
        data = data.GetBlock(0)
    if data is None:
        faults.append("nothing was read")
    return data


def check_cells(data, faults):
    if not data.IsA("vtkUnstructuredGrid"):
        return
    points = data.GetNumberOfPoints()
    for c in range(data.GetNumberOfCells()):
        if data.GetCellType(c) != HEXAHEDRON:
            faults.append("cell %d has type %d" % (c, data.GetCellType(c)))
            return
        ids = vtk.vtkIdList()
        data.GetCellPoints(c, ids)
        if ids.GetNumberOfIds() != 8:
            faults.append("cell %d has %d points" % (c, ids.GetNumberOfIds()))
            return
        for k in range(8):
            if not 0 <= ids.GetId(k) < points:
                faults.append("cell %d names point %d of %d" % (c, ids.GetId(k), points))
                return


def check_array(data, spec, faults):
    name, _, bounds = spec.partition("=")
    array = data.GetPointData().GetArray(name)
    if array is None:
        names = [data.GetPointData().GetArrayName(i) for i in range(data.GetPointData().GetNumberOfArrays())]
        faults.append("no point array %r among %r" % (name, names))
        return
    if array.GetNumberOfTuples() != data.GetNumberOfPoints():
        faults.append("array %r has %d values" % (name, array.GetNumberOfTuples()))
    if bounds:
        low, high = (float(v) for v in bounds.split(":"))
        got = array.GetRange(-1)
        if got[0] < low - 1e-9 or got[1] > high + 1e-9:
            faults.append("array %r spans %r, expected within %g..%g" % (name, got, low, high))


def check(args):
    """The faults of one check; None when its arguments are bad."""
    if len(args) < 4 or args[0] not in ("legacy", "tecplot"):
        return None
    kind, path, points, cells = args[0], args[1], int(args[2]), int(args[3])
    faults = []
    data = read(kind, path, faults)
    if data is not None:
        if data.GetNumberOfPoints() != points:
            faults.append("%d points, expected %d" % (data.GetNumberOfPoints(), points))
        if data.GetNumberOfCells() != cells:
            faults.append("%d cells, expected %d" % (data.GetNumberOfCells(), cells))
        check_cells(data, faults)
        for spec in args[4:]:
            check_array(data, spec, faults)
    return ["%s: %s" % (path, f) for f in faults]


def main(argv):
    groups = [[]]
    for a in argv[1:]:
        if a == "--":
            groups.append([])
        else:
            groups[-1].append(a)
    faults = []
    for args in groups:
        found = check(args)
        if found is None:
            print(__doc__)
            return 2
        faults += found
    for f in faults:
        print(f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
