#!/usr/bin/env bash
# Builds the libFuzzer targets with Debian's clang (AddressSanitizer and UndefinedBehaviorSanitizer
# on) and runs each for a third of a bounded time: the BMP check, seeded with the BMP variants the
# driver tests make; our BMP and TIFF readers, seeded with those and small TIFF files; and the
# merge's piece parser, seeded with a piece as bestfocus writes it, tile tables too (all sets
# written at run time).
# A crash, a sanitizer report, a BMP verdict that depends on how much of the file was read, a
# reader's view outside its buffer, or a piece file that parses but is not written back as it was
# fails the run.
#   bash scripts/fuzz.sh [seconds for all three, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
each=$((seconds / 3 > 0 ? seconds / 3 : 1))

bash scripts/install-deps.sh clang libclang-rt-dev
out=build-fuzz
flags=(-std=c++17 -O1 -g -Wall -Wextra -Iio -Iio/bmp -Iio/layouts -Iio/microscope -Iio/tiff -Iengines -Ifocus
       -Iformats -Itools/merge -Itests/driver)
fuzz_flags=("-fsanitize=fuzzer,address,undefined" -fno-sanitize-recover=undefined)
mkdir -p "$out"

# $1 name, $2 seed writer, then the target's sources after "--": builds and runs one target.
fuzz() {
    local name="$1" writer="$2"
    shift 3
    echo "== Fuzzing ${name} for ${each} s =="
    rm -rf "${out:?}/${name:?}"
    mkdir -p "$out/$name/seeds" "$out/$name/corpus"
    clang++ "${flags[@]}" "${fuzz_flags[@]}" "$@" -o "$out/$name/fuzz"
    "$writer" "$out/$name/seeds"
    # New inputs go to corpus/; the seeds stay as written.
    "$out/$name/fuzz" -max_total_time="$each" -max_len=4096 -print_final_stats=1 \
        "$out/$name/corpus" "$out/$name/seeds"
}

clang++ "${flags[@]}" tests/fuzz/write_bmp_seeds.cpp tests/driver/bmp_bytes.cpp \
    -o "$out/write_bmp_seeds"
fuzz bmp_header "$out/write_bmp_seeds" -- \
    tests/fuzz/bmp_header_fuzz.cpp io/bmp/bmp_header_check.cpp io/bmp/bmp_fields.cpp io/bmp/bmp_rle_check.cpp \
    io/file_reads.cpp

readers_io=(io/bmp/bmp_reader.cpp io/bmp/bmp_header_check.cpp io/bmp/bmp_fields.cpp io/bmp/bmp_rle_check.cpp
            io/file_reads.cpp io/stored_rows.cpp io/tiff/tiff_open.cpp io/tiff/tiff_pages.cpp
            io/image_header.cpp)
clang++ "${flags[@]}" -I/usr/include/opencv4 -DTIFF_DISABLE_DEPRECATED \
    tests/fuzz/write_reader_seeds.cpp tests/driver/bmp_bytes.cpp tests/driver/file_bytes.cpp \
    tests/driver/tiff_files.cpp \
    -o "$out/write_reader_seeds" -lopencv_core -ltiff
fuzz own_readers "$out/write_reader_seeds" -- \
    -DTIFF_DISABLE_DEPRECATED tests/fuzz/own_readers_fuzz.cpp "${readers_io[@]}" -ltiff

formats=(formats/flag_text.cpp formats/read_file.cpp formats/report_file.cpp
         formats/score_tables.cpp formats/tile_rows.cpp formats/text_numbers.cpp
         formats/replace_file.cpp formats/output_paths.cpp focus/focus_curve.cpp
         io/microscope/plane_choice.cpp)
clang++ "${flags[@]}" tests/fuzz/write_piece_seeds.cpp "${formats[@]}" formats/tile_tables.cpp \
    focus/tile_picks.cpp focus/tile_grid.cpp focus/focus_selection.cpp -o "$out/write_piece_seeds"
fuzz piece_parser "$out/write_piece_seeds" -- \
    tests/fuzz/piece_parser_fuzz.cpp tools/merge/piece_outputs.cpp tools/merge/run_pieces.cpp \
    tools/merge/piece_record.cpp "${formats[@]}" -lcrypto
