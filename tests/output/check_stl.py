"""Loads an ASCII STL file with VTK's reader and prints what it found.

usage: check_stl.py FILE

Prints one "name value" line each: points, triangles, edges, boundary (edges
used by one triangle), nonmanifold (edges used by more than two), volume and
area (vtkMassProperties). Exit status: 0 loaded, 1 the reader failed, 77 the
vtk module cannot be imported.
"""

import sys

try:
    import vtk
except ImportError as e:
    print("cannot import vtk: %s" % e)
    sys.exit(77)

vtk.vtkLogger.SetStderrVerbosity(vtk.vtkLogger.VERBOSITY_ERROR)


def count_edges(data, boundary, nonmanifold):
    f = vtk.vtkFeatureEdges()
    f.SetInputData(data)
    f.FeatureEdgesOff()
    f.ManifoldEdgesOff()
    f.BoundaryEdgesOn() if boundary else f.BoundaryEdgesOff()
    f.NonManifoldEdgesOn() if nonmanifold else f.NonManifoldEdgesOff()
    f.Update()
    return f.GetOutput().GetNumberOfCells()


def main(path):
    messages = vtk.vtkStringOutputWindow()
    vtk.vtkOutputWindow.SetInstance(messages)
    reader = vtk.vtkSTLReader()
    reader.SetFileName(path)
    reader.Update()
    data = reader.GetOutput()
    if "ERROR" in messages.GetOutput() or data is None:
        print("reader: %s" % messages.GetOutput().strip())
        return 1
    edges = vtk.vtkExtractEdges()
    edges.SetInputData(data)
    edges.Update()
    print("points %d" % data.GetNumberOfPoints())
    print("triangles %d" % data.GetNumberOfPolys())
    print("edges %d" % edges.GetOutput().GetNumberOfLines())
    print("boundary %d" % count_edges(data, True, False))
    print("nonmanifold %d" % count_edges(data, False, True))
    mass = vtk.vtkMassProperties()
    mass.SetInputData(data)
    mass.Update()
    print("volume %.9f" % mass.GetVolume())
    print("area %.9f" % mass.GetSurfaceArea())
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
