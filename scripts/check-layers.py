#!/usr/bin/env python3
"""Checks every #include under src/ against the layer table.

The table is the clipvane_layer(NAME DEPENDS ... LIBS ...) lines of
src/CMakeLists.txt: a folder under src/ may include its own headers and those
of the folders its DEPENDS names. Qt headers are open to a layer that links
their module itself or through its dependencies; the headers of the other
outside libraries (xcb, Wayland, sd-bus, FreeImage, libdeflate, libjpeg, libpng,
Tesseract, Leptonica) only to a layer that
names the library in its own LIBS, so that they stay behind its interface. Also checks
that every folder under src/ is a declared layer and that a layer depends only
on layers declared before it, so the graph cannot grow a cycle.

Usage: check-layers.py [--root DIR] [--qt-headers DIR]
Prints one line per fault and exits 1 when there is any, 0 otherwise.
"""

import argparse
import os
import re
import subprocess
import sys

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")

# Outside headers that belong to one library; anything else not found under
# the Qt headers (the C and C++ libraries, POSIX) is open to every layer.
LIBRARY_HEADERS = [
    (re.compile(r"^xcb/"), "PkgConfig::XCB"),
    (re.compile(r"^wayland-|-client-protocol\.h$"), "PkgConfig::WAYLAND"),
    (re.compile(r"^systemd/"), "PkgConfig::SDBUS"),
    (re.compile(r"^FreeImage\.h$"), "${FREEIMAGE_LIBRARY}"),
    (re.compile(r"^libdeflate\.h$"), "${DEFLATE_LIBRARY}"),
    (re.compile(r"^(jpeglib|jerror|jconfig|jmorecfg)\.h$"), "${JPEG_LIBRARY}"),
    (re.compile(r"^(png|pngconf|pnglibconf)\.h$"), "${PNG_LIBRARY}"),
    (re.compile(r"^(tesseract|leptonica)/|^allheaders\.h$"), "PkgConfig::TESSERACT"),
]

# A Qt module brings the modules it is built on.
QT_IMPLIES = {
    "QtGui": ["QtCore"],
    "QtWidgets": ["QtGui", "QtCore"],
    "QtDBus": ["QtCore"],
    "QtPrintSupport": ["QtWidgets", "QtGui", "QtCore"],
    "QtSvg": ["QtGui", "QtCore"],
    "QtSvgWidgets": ["QtSvg", "QtWidgets", "QtGui", "QtCore"],
}

LAYER_CALL = re.compile(r"^\s*clipvane_layer\(([^)]*)\)", re.MULTILINE)
QUOTED_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
ANGLED_INCLUDE = re.compile(r"^\s*#\s*include\s+<([^>]+)>", re.MULTILINE)


def parse_layers(cmake_text):
    """Returns [(name, depends, libs)] in declaration order."""
    layers = []
    for match in LAYER_CALL.finditer(cmake_text):
        words = match.group(1).split()
        if not words:
            continue
        name, section = words[0], None
        depends, libs = [], []
        for word in words[1:]:
            if word in ("DEPENDS", "LIBS"):
                section = word
            elif section == "DEPENDS":
                depends.append(word)
            elif section == "LIBS":
                libs.append(word)
        layers.append((name, depends, libs))
    return layers


def qt_header_dir(explicit):
    if explicit:
        return explicit
    for tool in ("qmake6", "qtpaths6"):
        try:
            out = subprocess.run([tool, "-query", "QT_INSTALL_HEADERS"], capture_output=True, text=True, timeout=10)
            if out.returncode == 0 and out.stdout.strip():
                return out.stdout.strip()
        except (OSError, subprocess.TimeoutExpired):
            pass
    return "/usr/include/x86_64-linux-gnu/qt6"


def qt_module_of(header, qt_dir, cache):
    """The Qt module folder holding `header` (QtCore, QtWidgets, ...), or None."""
    if header in cache:
        return cache[header]
    module = None
    first = header.split("/")[0]
    if first.startswith("Qt") and os.path.isdir(os.path.join(qt_dir, first)):
        module = first
    elif header.startswith("Q") and os.path.isdir(qt_dir):
        for entry in sorted(os.listdir(qt_dir)):
            if entry.startswith("Qt") and os.path.isfile(os.path.join(qt_dir, entry, header)):
                module = entry
                break
    cache[header] = module
    return module


def check(root, qt_dir):
    src = os.path.join(root, "src")
    faults = []
    with open(os.path.join(src, "CMakeLists.txt"), encoding="utf-8") as f:
        layers = parse_layers(f.read())
    table = {name: (deps, libs) for name, deps, libs in layers}

    declared = set()
    for name, deps, _ in layers:
        if name in declared:
            faults.append(f"src/CMakeLists.txt: layer '{name}' declared twice")
        for dep in deps:
            if dep not in declared:
                faults.append(f"src/CMakeLists.txt: layer '{name}' depends on '{dep}', which is not declared before it")
        declared.add(name)

    for entry in sorted(os.listdir(src)):
        if os.path.isdir(os.path.join(src, entry)) and entry not in table:
            faults.append(f"src/{entry}: folder is not a declared layer")

    # What each layer may use: its own and its dependencies' libraries, all
    # the way down, as the linker sees them.
    closure_libs = {}
    own_libs = {name: set(libs) for name, _, libs in layers}
    for name, deps, libs in layers:
        found = set(libs)
        for dep in deps:
            found |= closure_libs.get(dep, set())
        closure_libs[name] = found

    def allowed_qt(layer):
        modules = set()
        for lib in closure_libs.get(layer, ()):
            if lib.startswith("Qt6::"):
                module = "Qt" + lib[len("Qt6::"):]
                modules.add(module)
                modules.update(QT_IMPLIES.get(module, []))
        return modules

    qt_cache = {}
    for layer in sorted(table):
        deps, _ = table[layer]
        qt_modules = allowed_qt(layer)
        for folder, _, files in os.walk(os.path.join(src, layer)):
            for file in sorted(files):
                if not file.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(folder, file)
                shown = os.path.relpath(path, root)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for header in QUOTED_INCLUDE.findall(text):
                    if os.path.isfile(os.path.join(folder, header)):
                        target = os.path.relpath(os.path.join(folder, header), src).split(os.sep)[0]
                    elif os.path.isfile(os.path.join(src, header)):
                        target = header.split("/")[0]
                    else:
                        faults.append(f"{shown}: includes \"{header}\", which is not under src/")
                        continue
                    if target != layer and target not in deps:
                        faults.append(f"{shown}: includes \"{header}\": layer '{layer}' may not include '{target}'")
                for header in ANGLED_INCLUDE.findall(text):
                    module = qt_module_of(header, qt_dir, qt_cache)
                    if module:
                        if module not in qt_modules:
                            faults.append(f"{shown}: includes <{header}> from {module}, which layer '{layer}' does not link")
                        continue
                    for pattern, lib in LIBRARY_HEADERS:
                        if pattern.search(header) and lib not in own_libs.get(layer, ()):
                            faults.append(f"{shown}: includes <{header}>, which belongs to {lib}, not linked by layer '{layer}'")
    return faults


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    parser.add_argument("--qt-headers", default=None)
    args = parser.parse_args()
    faults = check(os.path.abspath(args.root), qt_header_dir(args.qt_headers))
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) against the layer table in src/CMakeLists.txt", file=sys.stderr)
        return 1
    print("layers: every include follows src/CMakeLists.txt")
    return 0


if __name__ == "__main__":
    sys.exit(main())
