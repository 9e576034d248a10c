#!/usr/bin/env python3
"""Turns projection_bench's JSON into the figures, ratios and chart of docs/PERFORMANCE.md.

    chart.py RESULTS.json [--lto-json LTO.json] [--shipped-json SHIPPED.json]
             [--svg OUT.svg] [--markdown OUT.md]
    chart.py --lto LTO.json          (only the link-time-optimised run's arithmetic figures)
    chart.py --shipped SHIPPED.json  (only the shipped 32-bit binary's figures and ratios)

Reads the median of each benchmark's repetitions (its per_op counter: seconds per point or per
call) and prints a Markdown summary; --svg writes a bar chart, --markdown the summary to a file.
--shipped-json adds the shipped 32-bit SCRIPT.x32 timed under Wine under each of its hosts
(bench/shipped, whose JSON holds the minimum and the median of each benchmark's many short
repetitions; the minimum is used).
Python 3 standard library only.
"""
import argparse
import json
import math
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


def shipped_minima(path):
    """The 32-bit benchmark host's JSON: name -> nanoseconds per call or point, the minimum over
    the repetitions."""
    with open(path) as source:
        data = json.load(source)
    return data.get("context", {}), {b["name"]: b["min_ns"] for b in data["benchmarks"]}


SHIPPED_HOSTS = ["lean", "tagged", "boxed"]
# Host pairs whose own work is compared: (numerator, denominator).
SHIPPED_PAIRS = [("tagged", "lean"), ("boxed", "tagged")]


def shipped_figures(figures, host, in_view):
    """The 32-bit run's figures for one host and point set, and the ratios the targets are set
    in."""
    where = f"/in_view:{1 if in_view else 0}"
    call = figures[f"W32_DispatchedGetProjection/host:{host}{where}"]
    replay = figures[f"W32_HostOperationsOnly/host:{host}{where}"]
    serial = figures["W32_FormulaSerial" + where]
    glm = figures["W32_MatrixLookAtPerspectiveSerial" + where]
    own = call - replay
    return {
        "call": call, "host": replay, "own": own, "serial": serial, "glm": glm,
        "throughput": figures["W32_FormulaThroughput" + where],
        "own_per_serial": own / serial, "own_per_glm": own / glm,
    }


def shipped_summary(context, figures):
    lines = []
    add = lines.append
    add(f"Shipped 32-bit SCRIPT.x32 under Wine: {context.get('points_per_set', '?')} points per "
        f"set; each figure the minimum over {context.get('repetitions', '?')} repetitions of at "
        f"least {context.get('min_time_s', '?')} s; the matrix path agrees within "
        f"{context.get('max_matrix_deviation_px', '?')} px.")
    add("")
    sets = {host: (shipped_figures(figures, host, True), shipped_figures(figures, host, False))
            for host in SHIPPED_HOSTS}
    columns = [(host, where) for host in SHIPPED_HOSTS for where in ("in view", "out of view")]
    add("| 32-bit, ns per call or point | " +
        " | ".join(f"{host} host, {where}" for host, where in columns) + " |")
    add("| --- |" + " ---: |" * len(columns))
    for key, label in [("call", "getProjection through Call"),
                       ("host", "the host operations it must make, replayed"),
                       ("own", "the module's own work (difference)")]:
        add(f"| {label} | " + " | ".join(f"{f[key]:.1f}" for host in SHIPPED_HOSTS
                                          for f in sets[host]) + " |")
    distances = {host: figures[f"W32_DispatchedGetDistance/host:{host}"] for host in SHIPPED_HOSTS}
    add("| getDistance through Call | " +
        " | ".join(f"{distances[host]:.1f} | " for host in SHIPPED_HOSTS) + " |")
    add("")
    add("| 32-bit, ns per point, no host | in view | out of view |")
    add("| --- | ---: | ---: |")
    inside, outside = sets[SHIPPED_HOSTS[0]]
    for key, label in [("serial", "camera formula inline, serial"),
                       ("throughput", "camera formula inline, throughput"),
                       ("glm", "GLM look-at x perspective, serial")]:
        add(f"| {label} | {inside[key]:.1f} | {outside[key]:.1f} |")
    add("")
    add("| 32-bit ratio, within one run | " +
        " | ".join(f"{host} host, {where}" for host, where in columns) + " |")
    add("| --- |" + " ---: |" * len(columns))
    for key, label in [("own_per_serial", "module's own work / serial formula"),
                       ("own_per_glm", "module's own work / GLM serial")]:
        add(f"| {label} | " + " | ".join(f"{f[key]:.2f}" for host in SHIPPED_HOSTS
                                          for f in sets[host]) + " |")
    add("| getDistance through Call / serial formula, in view | " +
        " | ".join(f"{distances[host] / sets[host][0]['serial']:.2f} | "
                   for host in SHIPPED_HOSTS) + " |")
    add("")
    add("| module's own work, one host against another | in view | out of view |")
    add("| --- | ---: | ---: |")
    for numerator, denominator in SHIPPED_PAIRS:
        add(f"| {numerator} host / {denominator} host | "
            f"{sets[numerator][0]['own'] / sets[denominator][0]['own']:.2f} | "
            f"{sets[numerator][1]['own'] / sets[denominator][1]['own']:.2f} |")
    return "\n".join(lines) + "\n"


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


def nice_step(top, ticks=5):
    """A round tick step (1, 2 or 5 times a power of ten) giving about `ticks` intervals."""
    raw = top / ticks
    power = 10 ** math.floor(math.log10(raw))
    for multiple in (1, 2, 5, 10):
        if raw <= multiple * power:
            return multiple * power
    return 10 * power


# One colour per meaning, the same in every section.
COLOURS = {
    "formula": ("#4f9a59", "bare formula, inline"),
    "module": ("#3b6ea8", "module's own work"),
    "matrix": ("#8e5ba8", "4x4 matrix path (GLM)"),
    "host": ("#c9b27c", "host value operations"),
    "whole": ("#e08a2c", "whole call (module and host)"),
}


def bar_chart(figures, lto, shipped=None):
    """One section per scale, each with its own axis and ticks: the native per-point arithmetic,
    the native per-call costs, and the shipped 32-bit binary under Wine."""
    width, label_width, bar_width = 900, 360, 420
    row, gap = 20, 5
    parts = []
    y = 0

    def text(x, yy, content, anchor="start", size=12, weight="normal", fill="black"):
        parts.append(f'<text x="{x}" y="{yy}" font-size="{size}" font-weight="{weight}" '
                     f'text-anchor="{anchor}" fill="{fill}" '
                     f'font-family="sans-serif">{escape(content)}</text>')

    def panel(title, rows):
        nonlocal y
        top = max(sum(v for v, _ in segs) for _, segs in rows)
        step = nice_step(top)
        axis_max = step * math.ceil(top / step)
        y += 30
        text(10, y, title, size=14, weight="bold")
        y += 8
        first = y
        grid_at = len(parts)  # the grid goes under the bars, drawn once their extent is known
        for label, segments in rows:
            y += gap
            text(label_width - 8, y + row * 0.72, label, anchor="end")
            x = label_width
            total = 0.0
            for value, kind in segments:
                w = bar_width * value / axis_max
                parts.append(f'<rect x="{x:.1f}" y="{y}" width="{max(w, 0.5):.1f}" '
                             f'height="{row}" fill="{COLOURS[kind][0]}"/>')
                x += w
                total += value
            text(x + 6, y + row * 0.72, f"{total:.1f} ns" if total >= 10 else f"{total:.2f} ns")
            y += row
        y += gap
        # The section's own axis: grid lines, ticks and their values in nanoseconds.
        grid = []
        tick = 0.0
        while tick <= axis_max * (1 + 1e-9):
            x = label_width + bar_width * tick / axis_max
            grid.append(f'<line x1="{x:.1f}" y1="{first}" x2="{x:.1f}" y2="{y}" '
                        f'stroke="#dddddd" stroke-width="1"/>')
            parts.append(f'<line x1="{x:.1f}" y1="{y}" x2="{x:.1f}" y2="{y + 5}" '
                         f'stroke="black" stroke-width="1"/>')
            label = f"{tick:g}"
            text(x, y + 17, label, anchor="middle", size=11)
            tick += step
        parts.append(f'<line x1="{label_width}" y1="{y}" x2="{label_width + bar_width}" '
                     f'y2="{y}" stroke="black" stroke-width="1"/>')
        parts[grid_at:grid_at] = grid
        text(label_width + bar_width + 24, y + 17, "ns", size=11)
        y += 20

    def where(in_view):
        return "in view" if in_view else "out of view"

    kinds = {"BM_InlineFormula": "formula", "BM_ModuleProjectPoint": "module",
             "BM_MatrixCombined": "matrix", "BM_MatrixLookAtPerspective": "matrix"}
    arithmetic = []
    for in_view in (True, False):
        for name, label in ARITHMETIC:
            arithmetic.append((f"{label}, {where(in_view)}",
                               [(point(figures, name, in_view), kinds[name])]))
        if lto:
            arithmetic.append((f"module: projectPoint, {where(in_view)}, LTO",
                               [(point(lto[1], "BM_ModuleProjectPoint", in_view), "module")]))
    panel("Native x86-64: projection arithmetic, ns per point (median)", arithmetic)

    calls = []
    for in_view in (True, False):
        call = point(figures, "BM_DispatchedGetProjection", in_view)
        host = point(figures, "BM_HostValueOperationsOnly", in_view)
        calls.append((f"getProjection via Call, {where(in_view)}",
                      [(host, "host"), (call - host, "module")]))
    calls.append(("Call, unknown method number", [(figures["BM_DispatchOnly"], "module")]))
    for name, label in SETTERS:
        calls.append((label, [(figures[name], "whole")]))
    panel("Native x86-64: script calls through the simulated host, ns per call (median)", calls)

    if shipped:
        rows = []
        for in_view in (True, False):
            for host in SHIPPED_HOSTS:
                f = shipped_figures(shipped, host, in_view)
                rows.append((f"getProjection via Call, {host} host, {where(in_view)}",
                             [(f["host"], "host"), (f["own"], "module")]))
            rows.append((f"formula inline, serial, {where(in_view)}", [(f["serial"], "formula")]))
            rows.append((f"GLM look-at x perspective, serial, {where(in_view)}",
                         [(f["glm"], "matrix")]))
        for host in SHIPPED_HOSTS:
            rows.append((f"getDistance via Call, {host} host",
                         [(shipped[f"W32_DispatchedGetDistance/host:{host}"], "whole")]))
        panel("Shipped 32-bit SCRIPT.x32 under Wine: ns per call or point (minimum)", rows)

    y += 14
    x = 10
    for colour, label in COLOURS.values():
        parts.append(f'<rect x="{x}" y="{y - 11}" width="12" height="12" fill="{colour}"/>')
        text(x + 18, y, label)
        x += 30 + 6.6 * len(label)
    y += 14
    header = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{y}" '
              f'viewBox="0 0 {width} {y}">\n<rect width="{width}" height="{y}" fill="white"/>\n')
    return header + "\n".join(parts) + "\n</svg>\n"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("results", nargs="?")
    parser.add_argument("--lto", help="print the arithmetic figures of a link-time optimised run")
    parser.add_argument("--lto-json", help="a link-time optimised run to show beside the results")
    parser.add_argument("--shipped-json", help="the shipped 32-bit binary's run under Wine")
    parser.add_argument("--shipped", help="print only the shipped 32-bit binary's figures")
    parser.add_argument("--svg")
    parser.add_argument("--markdown")
    args = parser.parse_args()

    if args.lto:
        _, figures = medians(args.lto)
        for name, label in ARITHMETIC[:2]:
            print(f"{label} (LTO): in view {point(figures, name, True):.2f} ns, "
                  f"out of view {point(figures, name, False):.2f} ns")
        return 0
    if args.shipped:
        print(shipped_summary(*shipped_minima(args.shipped)))
        return 0
    if not args.results:
        parser.error("the results JSON is needed")
    context, figures = medians(args.results)
    lto = medians(args.lto_json) if args.lto_json else None
    text = summary(context, figures, lto)
    shipped = None
    if args.shipped_json:
        shipped_context, shipped = shipped_minima(args.shipped_json)
        text += "\n" + shipped_summary(shipped_context, shipped)
    print(text)
    if args.markdown:
        with open(args.markdown, "w") as out:
            out.write(text)
    if args.svg:
        with open(args.svg, "w") as out:
            out.write(bar_chart(figures, lto, shipped))
    return 0


if __name__ == "__main__":
    sys.exit(main())
