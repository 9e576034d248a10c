#!/usr/bin/env python3
"""Turns projection_bench's JSON into the figures, ratios and chart of docs/PERFORMANCE.md.

    chart.py RESULTS.json [--lto-json LTO.json] [--svg OUT.svg] [--markdown OUT.md]
    chart.py --lto LTO.json          (only the link-time-optimised run's arithmetic figures)

Reads the median of each benchmark's repetitions (its per_op counter: seconds per point or per
call) and prints a Markdown summary; --svg writes a bar chart, --markdown the summary to a file.
Python 3 standard library only.
"""
import argparse
import json
import sys
from xml.sax.saxutils import escape


def medians(path):
    """Benchmark run name -> nanoseconds per operation (median of the repetitions)."""
    with open(path) as source:
        data = json.load(source)
    figures = {}
    for entry in data["benchmarks"]:
        if entry.get("run_type") == "aggregate" and entry.get("aggregate_name") != "median":
            continue
        if "per_op" not in entry:
            continue
        figures[entry["run_name"]] = entry["per_op"] * 1e9
    return data.get("context", {}), figures


ARITHMETIC = [
    ("BM_InlineFormula", "bare formula, inline in the benchmark"),
    ("BM_ModuleProjectPoint", "module: projectPoint"),
    ("BM_MatrixCombined", "4x4 matrices, pre-multiplied (GLM)"),
    ("BM_MatrixLookAtPerspective", "4x4 look-at then perspective (GLM)"),
]
SETTERS = [
    ("BM_SetPositionReaiming", "setPosition, re-aiming"),
    ("BM_SetRotation", "setRotation"),
    ("BM_SetFieldOfView", "setFieldOfView"),
]


def point(figures, name, in_view):
    return figures.get(f"{name}/in_view:{1 if in_view else 0}")


def summary(context, figures, lto):
    lines = []
    add = lines.append
    add(f"Machine: {context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz; "
        f"{context.get('points_per_set', '?')} points per set; the matrix path agrees with the "
        f"module within {context.get('max_matrix_deviation_px', '?')} px.")
    add("")
    add("| Projection arithmetic, per point | in view (ns) | out of view (ns) |")
    add("| --- | ---: | ---: |")
    for name, label in ARITHMETIC:
        add(f"| {label} | {point(figures, name, True):.2f} | {point(figures, name, False):.2f} |")
    if lto:
        _, lto_figures = lto
        for name, label in ARITHMETIC[:2]:
            add(f"| {label} (link-time optimised build) | {point(lto_figures, name, True):.2f} | "
                f"{point(lto_figures, name, False):.2f} |")
    add("")
    add("| Ratio | in view | out of view |")
    add("| --- | ---: | ---: |")

    def ratio(numerator, denominator, source=figures):
        return [point(source, numerator, v) / point(source, denominator, v) for v in (True, False)]

    rows = [
        ("projectPoint / bare formula (target <= 1.3)", ratio("BM_ModuleProjectPoint", "BM_InlineFormula")),
        ("projectPoint / look-at-then-perspective matrices", ratio("BM_ModuleProjectPoint", "BM_MatrixLookAtPerspective")),
        ("projectPoint / pre-multiplied matrix", ratio("BM_ModuleProjectPoint", "BM_MatrixCombined")),
        ("bare formula / pre-multiplied matrix", ratio("BM_InlineFormula", "BM_MatrixCombined")),
    ]
    if lto:
        rows.append(("projectPoint / bare formula, link-time optimised build",
                     ratio("BM_ModuleProjectPoint", "BM_InlineFormula", lto[1])))
    for label, (inside, outside) in rows:
        add(f"| {label} | {inside:.2f} | {outside:.2f} |")
    add("")
    add("| getProjection through Call, per call | in view (ns) | out of view (ns) |")
    add("| --- | ---: | ---: |")
    for name, label in [("BM_DispatchedGetProjection", "dispatched call, result released"),
                        ("BM_HostValueOperationsOnly", "the host's value operations alone")]:
        add(f"| {label} | {point(figures, name, True):.1f} | {point(figures, name, False):.1f} |")
    shares = []
    for in_view in (True, False):
        call = point(figures, "BM_DispatchedGetProjection", in_view)
        host = point(figures, "BM_HostValueOperationsOnly", in_view)
        shares.append((call - host, 100 * (call - host) / call, (call - host) / host))
    add(f"| the module's own share (difference) | {shares[0][0]:.1f} | {shares[1][0]:.1f} |")
    add(f"| module share of the call | {shares[0][1]:.0f} % | {shares[1][1]:.0f} % |")
    add(f"| module share / host operations | {shares[0][2]:.2f} | {shares[1][2]:.2f} |")
    add(f"| Call with an unknown method number (dispatch alone) | "
        f"{figures['BM_DispatchOnly']:.1f} | |")
    add("")
    add("| Setter through Call, per call | ns |")
    add("| --- | ---: |")
    for name, label in SETTERS:
        add(f"| {label} | {figures[name]:.1f} |")
    return "\n".join(lines) + "\n"


def bar_chart(figures, lto):
    """Two panels: per-point arithmetic, and per-call costs with the host/module split."""
    width, label_width, bar_width = 860, 330, 430
    row, gap = 22, 6
    parts = []
    y = 0

    def text(x, yy, content, anchor="start", size=12, weight="normal"):
        parts.append(f'<text x="{x}" y="{yy}" font-size="{size}" font-weight="{weight}" '
                     f'text-anchor="{anchor}" font-family="sans-serif">{escape(content)}</text>')

    def panel(title, rows, unit_max):
        nonlocal y
        y += 28
        text(10, y, title, size=14, weight="bold")
        y += 10
        for label, segments in rows:
            y += gap
            text(label_width - 8, y + row * 0.7, label, anchor="end")
            x = label_width
            total = 0.0
            for value, colour in segments:
                w = bar_width * value / unit_max
                parts.append(f'<rect x="{x:.1f}" y="{y}" width="{max(w, 0.5):.1f}" '
                             f'height="{row}" fill="{colour}"/>')
                x += w
                total += value
            text(x + 6, y + row * 0.7, f"{total:.1f} ns" if total >= 10 else f"{total:.2f} ns")
            y += row

    blue, grey, orange, green = "#3b6ea8", "#9aa5b1", "#e08a2c", "#4f9a59"
    arithmetic = []
    colours = {"BM_InlineFormula": green, "BM_ModuleProjectPoint": blue,
               "BM_MatrixCombined": grey, "BM_MatrixLookAtPerspective": grey}
    for in_view in (True, False):
        for name, label in ARITHMETIC:
            where = "in view" if in_view else "out of view"
            arithmetic.append((f"{label}, {where}", [(point(figures, name, in_view), colours[name])]))
        if lto:
            arithmetic.append((f"module: projectPoint, {'in view' if in_view else 'out of view'}, LTO",
                               [(point(lto[1], "BM_ModuleProjectPoint", in_view), blue)]))
    top = max(v for _, segs in arithmetic for v, _ in segs) * 1.05
    panel("Projection arithmetic, ns per point (median)", arithmetic, top)

    calls = []
    for in_view in (True, False):
        call = point(figures, "BM_DispatchedGetProjection", in_view)
        host = point(figures, "BM_HostValueOperationsOnly", in_view)
        where = "in view" if in_view else "out of view"
        calls.append((f"getProjection via Call, {where}", [(host, grey), (call - host, blue)]))
    calls.append(("Call, unknown method number", [(figures["BM_DispatchOnly"], blue)]))
    for name, label in SETTERS:
        calls.append((label, [(figures[name], orange)]))
    top = max(sum(v for v, _ in segs) for _, segs in calls) * 1.05
    panel("Script calls through the simulated host, ns per call (median)", calls, top)

    y += 24
    legend = [(green, "bare formula"), (blue, "module"), (grey, "matrices / host value operations"),
              (orange, "setter, whole call")]
    x = 10
    for colour, label in legend:
        parts.append(f'<rect x="{x}" y="{y - 11}" width="12" height="12" fill="{colour}"/>')
        text(x + 18, y, label)
        x += 40 + 7 * len(label)
    y += 14
    header = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{y}" '
              f'viewBox="0 0 {width} {y}">\n<rect width="{width}" height="{y}" fill="white"/>\n')
    return header + "\n".join(parts) + "\n</svg>\n"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("results", nargs="?")
    parser.add_argument("--lto", help="print the arithmetic figures of a link-time optimised run")
    parser.add_argument("--lto-json", help="a link-time optimised run to show beside the results")
    parser.add_argument("--svg")
    parser.add_argument("--markdown")
    args = parser.parse_args()

    if args.lto:
        _, figures = medians(args.lto)
        for name, label in ARITHMETIC[:2]:
            print(f"{label} (LTO): in view {point(figures, name, True):.2f} ns, "
                  f"out of view {point(figures, name, False):.2f} ns")
        return 0
    if not args.results:
        parser.error("the results JSON is needed")
    context, figures = medians(args.results)
    lto = medians(args.lto_json) if args.lto_json else None
    text = summary(context, figures, lto)
    print(text)
    if args.markdown:
        with open(args.markdown, "w") as out:
            out.write(text)
    if args.svg:
        with open(args.svg, "w") as out:
            out.write(bar_chart(figures, lto))
    return 0


if __name__ == "__main__":
    sys.exit(main())
