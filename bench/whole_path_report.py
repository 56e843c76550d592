#!/usr/bin/env python3
"""Prints what bench/whole_path.sh measured: per size and run the wall time and peak memory of
the process, its phases from the host's timing marks, and the growth of each from one size to
the next (ten times as many objects grow an n log n phase about 12 to 11 times)."""
import math
import sys
from pathlib import Path

RUNS = ["combined_csv", "plain_outputs", "insert_save", "refresh", "reexport"]
SMALL = 0.02  # seconds: shorter steps go into "other"


def marks(path):
    """(seconds since the previous mark, peak MiB, event) per timing mark of a run."""
    out = []
    for line in path.read_text(errors="replace").splitlines():
        parts = line.split("\t")
        if len(parts) == 5 and parts[0] == "qxcad-time":
            out.append((float(parts[2]), float(parts[3]), parts[4]))
    return out


def message_phase(text):
    lower = text.lower()
    for word, name in (("csv", "CSV output"), ("xls", ".xls output"), ("qex", ".qex output"),
                       ("updated", "table refresh"), ("up to date", "table refresh")):
        if word in lower:
            return name
    return "message: " + text[:40]


def read_phase(line, nexts):
    """The phase a line's work belongs to; nexts counts the Next clicks of the current wizard."""
    if line.startswith("DATAEXTRACTION"):
        return None
    if line == "click Next":
        return {2: "page 2->3 (reading)", 4: "page 4->5 (table data)"}.get(nexts)
    if line.startswith("OPEN"):
        return "open"
    if line.startswith("SAVE"):
        return "save"
    if line.startswith("ERASE") or line.startswith("SETPROP"):
        return "edits"
    if line == "click Finish":
        return "finish (until first output)"
    if line.startswith("click 1031"):
        return "pick the insertion point"
    if line[:1].isdigit() or line[:1] == "-":
        return "table insertion"
    return None


def phases(run_marks):
    """[(phase, seconds, peak MiB)] in order: repeated phases numbered (the edit lines summed),
    short steps summed into "other"."""
    found, counts, other = {}, {}, 0.0
    previous, nexts = None, 0
    for delta, peak, event in run_marks:
        name = None
        if previous is None:  # the first mark starts the clock
            pass
        elif event.startswith("message: "):
            name = message_phase(event[9:])
        elif previous == "start":
            name = "open"
        elif previous.startswith("read: "):
            line = previous[6:]
            nexts = 0 if line.startswith("DATAEXTRACTION") else nexts + (line == "click Next")
            name = read_phase(line, nexts)
            # A step outside the named phases that still takes time is shown by its line.
            if name is None and delta >= 5 * SMALL:
                name = "step: " + line.split("\"")[0].strip()[:30]
        previous = event
        if name is None:
            other += delta
            continue
        if name != "edits":
            counts[name] = counts.get(name, 0) + 1
            name = name if counts[name] == 1 else f"{name} #{counts[name]}"
        seconds, top = found.get(name, (0.0, 0.0))
        found[name] = (seconds + delta, max(top, peak))
    kept = []
    for name, (seconds, peak) in found.items():
        if seconds >= SMALL or name in ("open", "save"):
            kept.append((name, seconds, peak))
        else:
            other += seconds
    return kept + [("other", other, None)]


def run_summary(directory, size, run):
    time_file = directory / str(size) / f"{run}.time"
    err_file = directory / str(size) / f"{run}.err"
    if not time_file.exists():
        return None
    fields = time_file.read_text().split()
    if len(fields) < 2:  # the run is still going, or /usr/bin/time could not finish the file
        return None
    wall, peak_kib = float(fields[-2]), float(fields[-1])
    return wall, peak_kib / 1024.0, phases(marks(err_file))


def main():
    directory = Path(sys.argv[1])
    sizes = [int(s) for s in sys.argv[2:]]
    results = {}
    for size in sizes:
        drawing = directory / str(size) / "drawing.dxf"
        mib = drawing.stat().st_size / 2**20 if drawing.exists() else 0
        print(f"\n== {size:,} objects (drawing {mib:.0f} MiB)")
        for run in RUNS:
            summary = run_summary(directory, size, run)
            if summary is None:
                continue
            results[(size, run)] = summary
            wall, peak, steps = summary
            print(f"  {run:14} wall {wall:7.2f} s  peak {peak:7.0f} MiB")
            for name, seconds, step_peak in steps:
                peak_text = f"  (peak so far {step_peak:.0f} MiB)" if step_peak is not None else ""
                print(f"      {name:28} {seconds:7.3f} s{peak_text}")
    for small, big in zip(sizes, sizes[1:]):
        nlogn = big * math.log(big) / (small * math.log(small))
        print(f"\n== growth from {small:,} to {big:,} objects (n: x{big / small:.1f}, n log n: x{nlogn:.1f})")
        for run in RUNS:
            a, b = results.get((small, run)), results.get((big, run))
            if not a or not b:
                continue
            print(f"  {run:14} wall x{b[0] / max(a[0], 1e-3):5.1f}  peak x{b[1] / max(a[1], 1e-3):5.1f}")
            before = {k: s for k, s, _ in a[2]}
            for name, seconds, _ in b[2]:
                if name in before and before[name] >= 0.005:
                    print(f"      {name:28} x{seconds / before[name]:6.1f}")


if __name__ == "__main__":
    main()
