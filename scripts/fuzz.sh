#!/usr/bin/env bash
# Builds the libFuzzer target of the driver's BMP check with Debian's clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs it for a bounded time, seeded with the BMP variants the
# driver tests make (written at run time). A crash, a sanitizer report or a verdict that depends
# on how much of the file was read fails the run.
#   bash scripts/fuzz.sh [seconds, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

echo "== Fuzzing the BMP check for ${seconds} s =="
bash scripts/install-deps.sh clang libclang-rt-dev
out=build-fuzz
rm -rf "$out/seeds" "$out/corpus"
mkdir -p "$out/seeds" "$out/corpus"
flags=(-std=c++17 -O1 -g -Wall -Wextra -Iio -Itests/driver)
clang++ "${flags[@]}" tests/fuzz/write_bmp_seeds.cpp tests/driver/bmp_bytes.cpp \
    -o "$out/write_bmp_seeds"
clang++ "${flags[@]}" -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    tests/fuzz/bmp_header_fuzz.cpp io/bmp_header_check.cpp io/bmp_rle_check.cpp \
    -o "$out/bmp_header_fuzz"
"$out/write_bmp_seeds" "$out/seeds"
# New inputs go to corpus/; the seeds stay as written.
"$out/bmp_header_fuzz" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    "$out/corpus" "$out/seeds"
