"""Prints where Kestrova's start-up time goes, as a Markdown table, from the
marks that Wine printed on its +debugstr channel with its timestamps
(WINEDEBUG=-all,+timestamp,+debugstr) during the start-up benchmark.

Usage: marks.py WINE_OUTPUT

The benchmark marks each start of a program ("bench: start CAPTION", or
"bench: warm-up CAPTION" for a start that is not counted), the moment it saw
the window ("bench: window seen") and the end of its wait for the program's
thread to be idle ("bench: input idle"); Kestrova marks the end of each phase
of its start-up ("Kestrova: PHASE"). A phase's time runs from the mark before
it to its own; each figure is the median over the counted runs.
"""
import re
import statistics
import sys

# "1234.567:0128:warn:debugstr:OutputDebugStringA "TEXT"": Wine's clock in
# seconds and milliseconds, the thread, the channel and the text.
LINE = re.compile(r'^\s*(\d+)\.(\d{3}):.*:debugstr:OutputDebugStringA "(.*)"\s*$')


def read_runs(path):
    """The counted runs: (caption, [(mark, milliseconds since the start)])."""
    runs = []
    current = None
    with open(path, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            found = LINE.match(line)
            if not found:
                continue
            time = int(found.group(1)) * 1000 + int(found.group(2))
            text = found.group(3)
            if text.startswith("bench: start "):
                current = (text[len("bench: start "):], time, [])
            elif text.startswith("bench: warm-up "):
                current = None
            elif current is not None:
                caption, start, marks = current
                name = text.split(": ", 1)[1] if text.startswith("Kestrova: ") else text
                marks.append((name, time - start))
                if text == "bench: input idle":
                    runs.append((caption, marks))
                    current = None
    return runs


def main():
    if len(sys.argv) != 2:
        print("usage: marks.py WINE_OUTPUT", file=sys.stderr)
        return 2
    runs = read_runs(sys.argv[1])
    kestrova = [marks for caption, marks in runs if caption == "Kestrova"]
    if not kestrova:
        print("no marks of Kestrova's start-up were found", file=sys.stderr)
        return 1
    # Only the runs that passed every mark in the same order are compared.
    order = [name for name, _ in kestrova[0]]
    complete = [marks for marks in kestrova if [name for name, _ in marks] == order]
    print("| Kestrova's start-up phase, up to its mark (median of %d runs) | ms | "
          "ms since the start |" % len(complete))
    print("|---|---|---|")
    for index, name in enumerate(order):
        spans = [marks[index][1] - (marks[index - 1][1] if index > 0 else 0)
                 for marks in complete]
        ends = [marks[index][1] for marks in complete]
        print("| %s | %.0f | %.0f |" % (name, statistics.median(spans), statistics.median(ends)))
    for caption in sorted({caption for caption, _ in runs} - {"Kestrova"}):
        counted = [dict(marks) for name, marks in runs if name == caption]
        print("| %s window: seen, then idle (median of %d runs) | | %.0f, %.0f |" % (
            caption, len(counted),
            statistics.median(marks["bench: window seen"] for marks in counted),
            statistics.median(marks["bench: input idle"] for marks in counted)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
