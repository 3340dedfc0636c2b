#!/usr/bin/env python3
"""The layer check passes on the real tree and catches each kind of wrong
include planted in a copy of it."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SCRIPT = os.path.join(ROOT, "scripts", "check-layers.py")


def run(root):
    out = subprocess.run([sys.executable, SCRIPT, "--root", root], capture_output=True, text=True)
    return out.returncode, out.stdout


class CheckLayersTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp()
        shutil.copytree(os.path.join(ROOT, "src"), os.path.join(self.tmp, "src"))

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def plant(self, relpath, line):
        path = os.path.join(self.tmp, "src", relpath)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        with open(path, "w", encoding="utf-8") as f:
            f.write(line + "\n" + text)

    def assertCaught(self, relpath, words):
        code, out = run(self.tmp)
        self.assertEqual(code, 1, out)
        lines = [l for l in out.splitlines() if l.startswith("src/" + relpath)]
        self.assertEqual(len(lines), 1, out)
        for word in words:
            self.assertIn(word, lines[0])

    def test_real_tree_passes(self):
        code, out = run(ROOT)
        self.assertEqual(code, 0, out)

    def test_clean_copy_passes(self):
        code, out = run(self.tmp)
        self.assertEqual(code, 0, out)

    def test_upward_include_is_caught(self):
        self.plant("editor/tools/ToolController.cpp", '#include "app/MainWindow.h"')
        self.assertCaught("editor/tools/ToolController.cpp", ["'editor' may not include 'app'"])

    def test_sideways_include_is_caught(self):
        self.plant("capture/CaptureDriver.cpp", '#include "editor/view/EditorView.h"')
        self.assertCaught("capture/CaptureDriver.cpp", ["'capture' may not include 'editor'"])

    def test_qt_in_the_core_is_caught(self):
        self.plant("image/PixelImage.h", "#include <QString>")
        self.assertCaught("image/PixelImage.h", ["QtCore", "'image'"])

    def test_widgets_in_the_document_layer_is_caught(self):
        self.plant("document/ImageDocument.h", "#include <QWidget>")
        self.assertCaught("document/ImageDocument.h", ["QtWidgets", "'document'"])

    def test_xcb_outside_the_platform_is_caught(self):
        self.plant("capture/HotkeyManager.cpp", "#include <xcb/xcb.h>")
        self.assertCaught("capture/HotkeyManager.cpp", ["PkgConfig::XCB"])

    def test_undeclared_folder_is_caught(self):
        os.makedirs(os.path.join(self.tmp, "src", "panels"))
        code, out = run(self.tmp)
        self.assertEqual(code, 1)
        self.assertIn("src/panels: folder is not a declared layer", out)

    def test_dependency_on_a_later_layer_is_caught(self):
        path = os.path.join(self.tmp, "src", "CMakeLists.txt")
        with open(path, encoding="utf-8") as f:
            text = f.read()
        text = text.replace("clipvane_layer(image DEPENDS base)", "clipvane_layer(image DEPENDS base document)")
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        code, out = run(self.tmp)
        self.assertEqual(code, 1)
        self.assertIn("layer 'image' depends on 'document', which is not declared before it", out)


if __name__ == "__main__":
    unittest.main()
