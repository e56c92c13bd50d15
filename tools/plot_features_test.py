"""Tests of tools/plot_features.py, the feature-file plotting helper.

The helper runs as a child process on tiny feature files made in a temporary
directory. The tests that draw a PNG are skipped when matplotlib is not
installed for this interpreter; the reading, the panel choice and the error
paths need no matplotlib and always run.

Run with:  python3 -m unittest discover -s tools -p plot_features_test.py
"""

import importlib.util
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
HELPER = os.path.join(HERE, "plot_features.py")
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
HAVE_MATPLOTLIB = importlib.util.find_spec("matplotlib") is not None

FIXED = "seqno,accX,accY,accZ,gyroX,gyroY,gyroZ,lpf_acc,raw_acc,lpf_omega,raw_omega"
FALL = ", fall_counter"
POSTURE = ", roll, pitch, yaw"
DIFFS = ", acc_diff, omega_diff"
POSTURE_DIFFS = ", roll_diff, pitch_diff, yaw_diff"
FULL_HEADER = FIXED + FALL + POSTURE + DIFFS + POSTURE_DIFFS
NO_POSTURE_HEADER = FIXED + FALL + DIFFS


def load_helper():
    module_spec = importlib.util.spec_from_file_location("plot_features", HELPER)
    module = importlib.util.module_from_spec(module_spec)
    module_spec.loader.exec_module(module)
    return module


plot_features = load_helper()


def feature_text(header, rows=40, newline="\n"):
    """A small feature file: a dip of lpf_acc below 0.60 g in the middle."""
    width = len(header.split(","))
    lines = [header]
    for index in range(rows):
        lpf_acc = 20 if rows // 3 <= index < rows // 2 else 100
        values = [index, 0, 0, -8192, 0, 0, 0, lpf_acc, lpf_acc, 3, 4]
        values += [(index * 7) % 50 - 25] * (width - len(values))
        lines.append(",".join(str(value) for value in values))
    return newline.join(lines) + newline


class HelperCase(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.TemporaryDirectory()
        self.addCleanup(self.directory.cleanup)

    def path(self, name):
        return os.path.join(self.directory.name, name)

    def write(self, name, content):
        path = self.path(name)
        with open(path, "wb") as stream:
            stream.write(content.encode("latin-1") if isinstance(content, str) else content)
        return path

    def run_helper(self, *arguments, env=None):
        return subprocess.run([sys.executable, HELPER, *arguments],
                              capture_output=True, text=True, env=env, timeout=120)


class ReadingTest(HelperCase):
    """The reader and the choice of panels, without matplotlib."""

    def test_panels_follow_the_header(self):
        cases = [
            ("full header", FULL_HEADER, ["acc", "fall", "posture", "omega"]),
            ("no orientation groups", NO_POSTURE_HEADER, ["acc", "fall", "omega"]),
            ("fixed part only", FIXED, ["acc", "omega"]),
            ("orientation without fall counter", FIXED + POSTURE + POSTURE_DIFFS,
             ["acc", "posture", "omega"]),
        ]
        for name, header, kinds in cases:
            with self.subTest(name):
                table = plot_features.read_feature_file(
                    self.write("f.csv", feature_text(header)))
                self.assertEqual(table.row_count(), 40)
                self.assertEqual([kind for kind, _ in plot_features.panel_plan(table)],
                                 kinds)

    def test_columns_are_found_by_name(self):
        # The same column sits at different positions depending on the groups.
        for header in (FULL_HEADER, NO_POSTURE_HEADER):
            with self.subTest(header):
                path = self.write("f.csv", header + "\n"
                                  + ",".join(str(i) for i in range(len(header.split(","))))
                                  + "\n")
                table = plot_features.read_feature_file(path)
                names = [name.strip() for name in header.split(",")]
                for name in ("lpf_acc", "fall_counter", "acc_diff"):
                    self.assertEqual(table.column(name), [names.index(name)])

    def test_windows_line_ends_read_like_unix_ones(self):
        unix = plot_features.read_feature_file(
            self.write("unix.csv", feature_text(FULL_HEADER)))
        windows = plot_features.read_feature_file(
            self.write("windows.csv", feature_text(FULL_HEADER, newline="\r\n")))
        self.assertEqual(windows.names, unix.names)
        self.assertEqual(windows.columns, unix.columns)


class ErrorTest(HelperCase):
    """Files the helper refuses: status 1, a message on stderr, no PNG."""

    def test_refused_files(self):
        good = feature_text(FULL_HEADER).splitlines(keepends=True)
        recording = "seqno,accX,accY,accZ,gyroX,gyroY,gyroZ\n0,1,2,3,4,5,6\n"
        cases = [
            ("missing file", None, "cannot read"),
            ("empty file", "", "no header line"),
            ("raw recording", recording, "not a brelvik feature file"),
            ("binary data", b"QK DataSet V1.0.0\x00\x18\x00\x00\xff\xfe", "not a brelvik"),
            ("unknown column", FIXED + ", fall_counter, speed\n", 'unexpected column "speed"'),
            ("groups out of order", FIXED + DIFFS + FALL + "\n", "unexpected column"),
            ("short row", "".join(good[:5]) + "5,1,2\n", ":6: not a brelvik"),
            ("value not an integer", "".join(good[:3]) + good[3].replace("100", "1.5", 1),
             ":4: not a brelvik"),
            ("header without rows", good[0], "no rows to plot"),
        ]
        for name, content, message in cases:
            with self.subTest(name):
                source = self.path("absent.csv") if content is None \
                    else self.write("in.csv", content)
                output = self.path("out.png")
                result = self.run_helper(source, "-o", output)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn(message, result.stderr)
                self.assertTrue(result.stderr.startswith("plot_features: "))
                self.assertFalse(os.path.exists(output))

    def test_bad_command_line(self):
        source = self.write("in.csv", feature_text(FULL_HEADER))
        for arguments in (["--rate", "0"], ["--rate", "-50"], ["--zoom", "5", "5"], []):
            with self.subTest(arguments):
                result = self.run_helper(source, *arguments)
                self.assertEqual(result.returncode, 2, result.stderr)

    def test_missing_matplotlib_is_explained(self):
        # A package named matplotlib that fails to import stands in for none.
        fake = self.path("fake")
        os.makedirs(os.path.join(fake, "matplotlib"))
        with open(os.path.join(fake, "matplotlib", "__init__.py"), "w") as stream:
            stream.write("raise ImportError('no matplotlib here')\n")
        env = dict(os.environ, PYTHONPATH=fake)
        source = self.write("in.csv", feature_text(FULL_HEADER))
        output = self.path("out.png")
        result = self.run_helper(source, "-o", output, env=env)
        self.assertEqual(result.returncode, 1)
        self.assertIn("matplotlib is not installed", result.stderr)
        self.assertIn("python3-matplotlib", result.stderr)
        self.assertNotIn("Traceback", result.stderr)
        self.assertFalse(os.path.exists(output))


@unittest.skipUnless(HAVE_MATPLOTLIB, "matplotlib is not installed")
class DrawingTest(HelperCase):
    """PNGs drawn by matplotlib."""

    def read_png(self, path):
        with open(path, "rb") as stream:
            return stream.read()

    def test_writes_a_png(self):
        cases = [
            ("full header", FULL_HEADER, []),
            ("no orientation groups", NO_POSTURE_HEADER, []),
            ("fixed part only", FIXED, []),
            ("options", FULL_HEADER,
             ["--rate", "25", "--threshold", "40", "--title", "t", "--zoom", "0.2", "1"]),
            ("one row", FULL_HEADER, ["--zoom", "0", "1"]),
        ]
        for name, header, options in cases:
            with self.subTest(name):
                rows = 1 if name == "one row" else 40
                source = self.write("in.csv", feature_text(header, rows=rows))
                output = self.path("out.png")
                if os.path.exists(output):
                    os.remove(output)
                result = self.run_helper(source, "-o", output, *options)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stderr, "")
                self.assertTrue(self.read_png(output).startswith(PNG_SIGNATURE))

    def test_same_input_gives_the_same_bytes(self):
        source = self.write("in.csv", feature_text(FULL_HEADER))
        pictures = []
        for name in ("a.png", "b.png"):
            result = self.run_helper(source, "-o", self.path(name), "--zoom", "0.2", "0.6")
            self.assertEqual(result.returncode, 0, result.stderr)
            pictures.append(self.read_png(self.path(name)))
        self.assertEqual(pictures[0], pictures[1])

    def test_unwritable_output_is_reported(self):
        source = self.write("in.csv", feature_text(FULL_HEADER))
        result = self.run_helper(source, "-o", self.path("no/such/dir/out.png"))
        self.assertEqual(result.returncode, 1)
        self.assertIn("cannot write", result.stderr)


if __name__ == "__main__":
    unittest.main()
