"""Prints the Markdown tables of compare_focus_map_peers.sh from the scores and timings it wrote
(score_focus_peers.py's lines; timings: label, kind, stacks, wall seconds, peak KiB).

    python3 focus_peer_tables.py <known scores> <real scores> <timings>
"""

import collections
import math
import pathlib
import sys

SURFACES = ("plane", "paraboloid", "egg-crate", "step", "disc")


def rows(path):
    return [line.split("\t") for line in pathlib.Path(path).read_text().splitlines() if line]


def cost(timings, label, kind):
    """Wall seconds a stack and the largest peak memory, MiB, over the label's processes."""
    mine = [t for t in timings if t[0] == label and t[1] == kind]
    stacks = sum(int(t[2]) for t in mine)
    seconds = sum(float(t[3]) for t in mine)
    return f"{seconds / stacks:.2f} | {max(int(t[4]) for t in mine) / 1024:.0f}"


def figure(value, digits):
    return "–" if math.isnan(value) else f"{value:.{digits}f}"


def known_tables(scores, timings):
    by_texture = collections.defaultdict(lambda: collections.defaultdict(dict))
    for label, _folder, surface, texture, *values in scores:
        by_texture[texture][label][surface] = [float(v) for v in values]
    for texture, labels in by_texture.items():
        print(f"### Known focal surfaces, {texture} texture: 20 images of 1024 x 1024")
        print()
        print("| run | " + " | ".join(f"PSNR {s}" for s in SURFACES)
              + " | mean PSNR | mean SSIM | edge band PSNR step / disc | depth RMS mean (worst)"
              " | blocks worse than pick, worst | s a stack | peak MiB |")
        print("|---" * (len(SURFACES) + 8) + "|")
        for label, surfaces in labels.items():
            values = [surfaces[s] for s in SURFACES if s in surfaces]
            psnrs = " | ".join(figure(surfaces[s][0], 1) if s in surfaces else "–"
                               for s in SURFACES)
            mean = sum(v[0] for v in values) / len(values)
            ssim = sum(v[1] for v in values) / len(values)
            band = " / ".join(figure(surfaces[s][2], 1) if s in surfaces else "–"
                              for s in ("step", "disc"))
            rms = [v[3] for v in values]
            depth = ("–" if any(math.isnan(r) for r in rms)
                     else f"{sum(rms) / len(rms):.3f} ({max(rms):.3f})")
            worse = max(v[4] for v in values)
            print(f"| {label} | {psnrs} | {mean:.2f} | {ssim:.4f} | {band} | {depth} "
                  f"| {100 * worse:.1f} % | {cost(timings, label, 'known')} |")
        print()


def real_table(scores, timings):
    stacks = list(dict.fromkeys(row[1] for row in scores))
    by_label = collections.defaultdict(dict)
    for label, stack, share, ratio in scores:
        by_label[label][stack] = (float(share), float(ratio))
    print("### Real stacks: 32 x 32 blocks at least 0.9 x as sharp as the picked image"
          " (share / median ratio)")
    print()
    print("| run | " + " | ".join(stacks) + " | s a stack | peak MiB |")
    print("|---" * (len(stacks) + 3) + "|")
    for label, figures in by_label.items():
        cells = " | ".join(f"{100 * figures[s][0]:.0f} % / {figures[s][1]:.2f}" for s in stacks)
        print(f"| {label} | {cells} | {cost(timings, label, 'real')} |")
    print()


def mark(figure, met):
    return f"{figure}{'' if met else ' ✗'}"


def targets_table(known, real):
    """Each tool run against the textbook method, stack by stack; ✗ marks a target missed."""
    reference = {row[1]: [float(v) for v in row[4:]] for row in known if row[0] == "textbook"}
    labels = [label for label in dict.fromkeys(row[0] for row in known)
              if label not in ("textbook", "enfuse")]
    print("### Targets: each run against the textbook method (✗: missed)")
    print()
    print("| run | PSNR − textbook, worst stack (≥ −0.3 dB) | mean (≥ +1 dB) "
          "| edge band, worst (≥ +2 dB) | depth RMS − textbook, worst (≤ +0.05) "
          "| blocks worse than pick, worst (≤ 1 %) | real: share ≥ 0.9 ×, worst (≥ 95 %) "
          "| real: median ratio, worst (≥ 1.0) |")
    print("|---" * 8 + "|")
    for label in labels:
        mine = {row[1]: [float(v) for v in row[4:]] for row in known if row[0] == label}
        gains = [mine[f][0] - reference[f][0] for f in mine]
        bands = [mine[f][2] - reference[f][2] for f in mine if not math.isnan(reference[f][2])]
        depths = [mine[f][3] - reference[f][3] for f in mine]
        worse = max(mine[f][4] for f in mine)
        shares = [float(row[2]) for row in real if row[0] == label]
        medians = [float(row[3]) for row in real if row[0] == label]
        mean_gain = sum(gains) / len(gains)
        print(f"| {label} | {mark(f'{min(gains):+.2f}', min(gains) >= -0.3)} "
              f"| {mark(f'{mean_gain:+.2f}', mean_gain >= 1)} "
              f"| {mark(f'{min(bands):+.2f}', min(bands) >= 2)} "
              f"| {mark(f'{max(depths):+.3f}', max(depths) <= 0.05)} "
              f"| {mark(f'{100 * worse:.1f} %', worse <= 0.01)} "
              f"| {mark(f'{100 * min(shares):.0f} %', min(shares) >= 0.95)} "
              f"| {mark(f'{min(medians):.2f}', min(medians) >= 1.0)} |")
    print()


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    timings, known, real = rows(sys.argv[3]), rows(sys.argv[1]), rows(sys.argv[2])
    known_tables(known, timings)
    real_table(real, timings)
    targets_table(known, real)


if __name__ == "__main__":
    main()
