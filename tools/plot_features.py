#!/usr/bin/env python3
"""Draws one brelvik feature file (a *_JUX.csv) as a PNG.

The figure has one panel per group of columns, with time in seconds on the
x axis (row index divided by the rate of the rows):

  * lpf_acc and raw_acc in g, with the free-fall threshold as a line;
  * fall_counter, when the file has that column;
  * roll, pitch and yaw in degrees, when the file has them;
  * lpf_omega in degrees per second.

The file is read and checked before matplotlib is imported, so a file that is
missing or is not a feature file is reported the same way whether or not
matplotlib is installed. The helper is optional: brelvik itself never needs
it. Errors go to standard error and end the helper with status 1; a bad
command line ends it with status 2.
"""

import argparse
import os
import sys

PROGRAM = "plot_features"

# The eleven columns every feature file starts with.
FIXED_COLUMNS = (
    "seqno", "accX", "accY", "accZ", "gyroX", "gyroY", "gyroZ",
    "lpf_acc", "raw_acc", "lpf_omega", "raw_omega",
)

# The optional column groups, in the only order brelvik writes them.
OPTIONAL_GROUPS = (
    ("fall_counter",),
    ("roll", "pitch", "yaw"),
    ("acc_diff", "omega_diff"),
    ("roll_diff", "pitch_diff", "yaw_diff"),
)

DEFAULT_RATE_HZ = 50.0
DEFAULT_THRESHOLD = 60  # hundredths of g, brelvik's default FALLSTARTTHRESHOLD

# Figure geometry: 10 x 8 inches at 100 dpi gives a 1000 x 800 pixel PNG.
FIGURE_INCHES = (10.0, 8.0)
FIGURE_DPI = 100


class FeatureFileError(Exception):
    """A feature file that cannot be read or is not a feature file."""


class FeatureTable:
    """The columns of one feature file, by name, as lists of integers."""

    def __init__(self, names, columns):
        self.names = names
        self.columns = columns

    def has(self, *names):
        return all(name in self.columns for name in names)

    def column(self, name):
        return self.columns[name]

    def row_count(self):
        return len(self.columns[FIXED_COLUMNS[0]])


def parse_header(line, path):
    """Returns the column names of a feature header, or raises FeatureFileError.

    The fixed part is separated by "," and the optional groups by ", ", so
    every name is stripped of blanks before it is compared.
    """
    names = [name.strip() for name in line.split(",")]
    if tuple(names[:len(FIXED_COLUMNS)]) != FIXED_COLUMNS:
        raise FeatureFileError(
            "%s: not a brelvik feature file: the first line does not start with "
            "the feature header \"%s\"" % (path, ",".join(FIXED_COLUMNS)))
    rest = names[len(FIXED_COLUMNS):]
    for group in OPTIONAL_GROUPS:
        if tuple(rest[:len(group)]) == group:
            rest = rest[len(group):]
    if rest:
        raise FeatureFileError(
            "%s: not a brelvik feature file: unexpected column \"%s\" in the header"
            % (path, rest[0]))
    return names


def read_feature_file(path):
    """Reads and checks a feature file; returns a FeatureTable."""
    try:
        # latin-1 decodes any byte, so a binary file is reported as a file of
        # the wrong kind rather than failing to decode.
        with open(path, "r", encoding="latin-1", newline=None) as stream:
            header = stream.readline()
            if not header.strip():
                raise FeatureFileError(
                    "%s: not a brelvik feature file: it has no header line" % path)
            names = parse_header(header, path)
            rows = []
            for line_number, line in enumerate(stream, start=2):
                if not line.strip():
                    continue
                fields = line.split(",")
                if len(fields) != len(names):
                    raise FeatureFileError(
                        "%s:%d: not a brelvik feature file: %d values where the "
                        "header names %d columns"
                        % (path, line_number, len(fields), len(names)))
                try:
                    rows.append([int(field) for field in fields])
                except ValueError:
                    raise FeatureFileError(
                        "%s:%d: not a brelvik feature file: a value is not an integer"
                        % (path, line_number)) from None
    except OSError as error:
        raise FeatureFileError(
            "cannot read %s: %s" % (path, error.strerror or error)) from None
    if not rows:
        raise FeatureFileError("%s: the feature file has no rows to plot" % path)
    columns = {name: [row[index] for row in rows] for index, name in enumerate(names)}
    return FeatureTable(names, columns)


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        prog=PROGRAM,
        description="Draw one brelvik feature file (*_JUX.csv) as a PNG: "
                    "lpf_acc and raw_acc with the free-fall threshold, fall_counter, "
                    "roll/pitch/yaw and lpf_omega against time. Panels whose columns "
                    "the file does not have are left out.")
    parser.add_argument("features", metavar="FEATURES.csv",
                        help="the feature file to draw")
    parser.add_argument("-o", "--output", metavar="OUT.png", required=True,
                        help="the PNG file to write")
    parser.add_argument("--rate", metavar="HZ", type=float, default=DEFAULT_RATE_HZ,
                        help="rate of the rows in Hz; the time of a row is its index "
                             "divided by this rate (default %g). With RESAMPLECOUNT N "
                             "brelvik keeps one sample in N, so give the sampling "
                             "frequency divided by N." % DEFAULT_RATE_HZ)
    parser.add_argument("--threshold", metavar="HUNDREDTHS", type=int,
                        default=DEFAULT_THRESHOLD,
                        help="free-fall threshold in hundredths of g, drawn as a line "
                             "on the acceleration panel (default %d, i.e. %.2f g); give "
                             "the FALLSTARTTHRESHOLD the file was made with"
                             % (DEFAULT_THRESHOLD, DEFAULT_THRESHOLD / 100.0))
    parser.add_argument("--title", metavar="TEXT",
                        help="title of the figure (default: the file's name)")
    parser.add_argument("--zoom", metavar=("START", "END"), type=float, nargs=2,
                        help="also draw the span from START to END seconds in a second "
                             "column beside the whole recording, where it is shaded")
    arguments = parser.parse_args(argv)
    if not arguments.rate > 0.0:
        parser.error("--rate must be greater than 0")
    if arguments.zoom is not None and not arguments.zoom[0] < arguments.zoom[1]:
        parser.error("--zoom START must be less than END")
    return arguments


def import_matplotlib():
    """Imports matplotlib with the file-only backend, or raises FeatureFileError."""
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as pyplot
    except ImportError:
        raise FeatureFileError(
            "matplotlib is not installed; install it with "
            "'apt-get install python3-matplotlib' (Debian, Ubuntu) or "
            "'python3 -m pip install matplotlib'") from None
    # Ignore any user matplotlibrc and fix the one random input, so that the
    # same file always gives the same picture.
    matplotlib.rcdefaults()
    matplotlib.rcParams["svg.hashsalt"] = "brelvik"
    matplotlib.rcParams["font.size"] = 9
    return pyplot


def panel_plan(table):
    """The panels to draw, each a (kind, label) pair, in figure order."""
    panels = [("acc", "acceleration (g)")]
    if table.has("fall_counter"):
        panels.append(("fall", "fall_counter\n(rows)"))
    if table.has("roll", "pitch", "yaw"):
        panels.append(("posture", "angle (degrees)"))
    panels.append(("omega", "lpf_omega\n(deg/s)"))
    return panels


def draw_panel(axes, kind, table, times, threshold, legend):
    from matplotlib import ticker
    if kind == "acc":
        axes.plot(times, [v / 100.0 for v in table.column("raw_acc")],
                  color="0.6", linewidth=0.6, label="raw_acc")
        axes.plot(times, [v / 100.0 for v in table.column("lpf_acc")],
                  color="tab:blue", linewidth=0.9, label="lpf_acc")
        axes.axhline(threshold / 100.0, color="tab:red", linestyle="--",
                     linewidth=0.9,
                     label="free-fall threshold %.2f g" % (threshold / 100.0))
    elif kind == "fall":
        axes.plot(times, table.column("fall_counter"), color="tab:purple",
                  linewidth=0.9, drawstyle="steps-post", label="fall_counter")
    elif kind == "posture":
        for name, color in (("roll", "tab:blue"), ("pitch", "tab:orange"),
                            ("yaw", "tab:green")):
            axes.plot(times, table.column(name), color=color, linewidth=0.9,
                      label=name)
        # Ticks at steps that read well in degrees (15, 30, 45, 90, ...).
        axes.yaxis.set_major_locator(
            ticker.MaxNLocator(nbins=6, steps=[1, 1.5, 3, 4.5, 6, 9, 10]))
    elif kind == "omega":
        axes.plot(times, table.column("lpf_omega"), color="tab:brown",
                  linewidth=0.9, label="lpf_omega")
    axes.grid(True, linewidth=0.4, color="0.85")
    if legend and kind in ("acc", "posture"):
        # Above the panel, in one row, so that it never hides the data.
        axes.legend(loc="lower left", bbox_to_anchor=(0.0, 1.0), ncol=3,
                    fontsize=7, frameon=False, borderaxespad=0.2,
                    handlelength=1.5, columnspacing=1.2)


def draw_figure(pyplot, table, arguments):
    times = [index / arguments.rate for index in range(table.row_count())]
    panels = panel_plan(table)
    column_count = 1 if arguments.zoom is None else 2
    width_ratios = [1] if column_count == 1 else [3, 2]
    figure, grid = pyplot.subplots(
        len(panels), column_count, figsize=FIGURE_INCHES, sharex="col",
        squeeze=False, gridspec_kw={"width_ratios": width_ratios})
    for row, (kind, label) in enumerate(panels):
        whole = grid[row][0]
        draw_panel(whole, kind, table, times, arguments.threshold, legend=True)
        whole.set_ylabel(label)
        whole.set_xlim(0.0, table.row_count() / arguments.rate)
        if column_count == 2:
            start, end = arguments.zoom
            whole.axvspan(start, end, color="tab:olive", alpha=0.12, linewidth=0)
            zoomed = grid[row][1]
            draw_panel(zoomed, kind, table, times, arguments.threshold, legend=False)
            zoomed.set_xlim(start, end)
            zoomed.sharey(whole)
    grid[-1][0].set_xlabel("time (s) at %g rows per second" % arguments.rate)
    if column_count == 2:
        grid[0][1].set_title("%g s to %g s" % tuple(arguments.zoom), fontsize=9)
        grid[-1][1].set_xlabel("time (s)")
    title = arguments.title
    if title is None:
        title = os.path.basename(arguments.features)
    figure.suptitle(title)
    figure.tight_layout()
    return figure


def main(argv=None):
    arguments = parse_arguments(sys.argv[1:] if argv is None else argv)
    try:
        table = read_feature_file(arguments.features)
        pyplot = import_matplotlib()
        figure = draw_figure(pyplot, table, arguments)
        try:
            # No metadata: the PNG then holds no version or date text.
            figure.savefig(arguments.output, dpi=FIGURE_DPI, format="png",
                           metadata={"Software": None})
        except OSError as error:
            raise FeatureFileError("cannot write %s: %s"
                                   % (arguments.output, error.strerror or error)) from None
        finally:
            pyplot.close(figure)
    except FeatureFileError as error:
        print("%s: %s" % (PROGRAM, error), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
