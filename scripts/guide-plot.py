"""Plots a histogram that the program saved as CSV against the single-slit formula.

Usage: python3 scripts/guide-plot.py HISTOGRAM.csv OUTPUT.png   (Debian's python3-matplotlib)
"""
import csv
import io
import math
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

# The program's own constants: kilograms per electron mass and the constant of the phase.
ELECTRON_KG = 9.1e-31
PHASE_H = 6.034e-34


def number(text, comma):
    text = text.strip().replace("\u00a0", "").replace(" ", "")
    return float(text.replace(",", ".") if comma else text)


def read_histogram(path):
    with open(path, encoding="utf-8-sig", newline="") as f:
        text = f.read()
    # A locale with a decimal comma separates the columns with ';', any other with ','.
    comma = ";" in text.splitlines()[0]
    rows = list(csv.reader(io.StringIO(text), delimiter=";" if comma else ","))
    blank = next(i for i, r in enumerate(rows) if not any(c.strip() for c in r))
    # Mass, slit width, speed, maxima, particles fired, particles with no bin, in this order.
    params = [number(r[1], comma) for r in rows[:blank]]
    # Per bin: number, angle from, angle to, below the centre, above it, both.
    bins = [r for r in rows[blank + 2 :] if len(r) >= 6 and r[2].strip()]
    counts = {number(r[2], comma): int(number(r[5], comma)) for r in bins}
    return params, counts


def czech(value):
    return f"{value:g}".replace(".", ",")


def thousands(value):
    return f"{int(value):,}".replace(",", "\u00a0")


def intensity(degrees, mass, slit_nm, speed_kms):
    beta = math.pi * slit_nm * 1e-9 * mass * ELECTRON_KG * speed_kms * 1000
    beta *= math.sin(math.radians(degrees)) / PHASE_H
    return (math.sin(beta) / beta) ** 2


def main():
    params, counts = read_histogram(sys.argv[1])
    mass, slit, speed, _maxima, fired, no_bin = params[:6]
    all_angles = range(1, 100)
    total = sum(intensity(a, mass, slit, speed) for a in all_angles)
    # A bin's count follows the intensity at the upper end of its angles.
    angles = sorted(counts)
    measured = [counts[a] for a in angles]
    expected = [fired * intensity(a, mass, slit, speed) / total for a in angles]

    fig, axes = plt.subplots(2, 1, figsize=(7.5, 6.2), dpi=96, sharex=True)
    for ax, top in zip(axes, (None, 0.08 * max(expected))):
        ax.bar(angles, measured, width=0.8, color="#4a6fa5", label="program (obě poloviny)")
        ax.plot(angles, expected, "o-", color="#c00000", markersize=2.5, linewidth=1,
                label="podle vzorce")
        ax.set_ylabel("počet částic")
        ax.grid(alpha=0.3)
        if top:
            ax.set_ylim(0, top)
            ax.set_title("totéž, svislá osa zvětšená", fontsize=10)
    axes[0].legend()
    axes[0].set_title(
        f"hmotnost {czech(mass)} $m_e$, štěrbina {czech(slit)} nm, rychlost {czech(round(speed, 1))} km/s: "
        f"{thousands(fired)} částic, {thousands(no_bin)} bez přihrádky",
        fontsize=10,
    )
    axes[1].set_xlabel("úhel do [°]")
    axes[1].set_xlim(0, 100)
    fig.tight_layout()
    fig.savefig(sys.argv[2])


if __name__ == "__main__":
    main()
