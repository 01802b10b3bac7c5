# shellcheck shell=bash
# Sourced by the benchmark scripts. median prints the median of the numbers on standard input, one
# a line (the mean of the two middle ones for an even count).
median() {
    sort -g | awk '{v[NR] = $1}
                   END {print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}'
}
