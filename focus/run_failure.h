// Why a run cannot finish: a kind and its subject. The tool's message (in its own words, Spanish),
// our English line and the exit status are derived from the kind where the failure is printed.
#pragma once

#include <string>

#include "stack_image_sizes.h"

namespace bestfocus {

enum class FailureKind {
    cannot_open,           // the image (subject) cannot be opened or read
    cannot_measure,        // a measure failed on the image (subject)
    too_many_pixels,       // the image (subject) has more pixels than a measure can add
    mixed_sizes,           // the images of the folder (subject) differ in size (sizes)
    region_outside,        // the region of interest does not lie inside the image (subject)
    cannot_create_output,  // an output file cannot be written (named in the diagnostic)
    bad_tiles,             // tiles an image cannot take: a bad command line (refusal says why)
    // Beyond the tool's own failures, told by our diagnostic alone (nothing on standard output):
    // a stack mixing 8- and 16-bit images, memory that could not be had.
    told_in_diagnostic,
};

struct RunFailure {
    FailureKind kind = FailureKind::cannot_open;
    std::string subject;     // the image, or for mixed_sizes the folder
    MixedSizes sizes;        // mixed_sizes: the first image and the first that differs from it
    std::string refusal;     // bad_tiles: "\nbestfocus: ..." in our words
    std::string diagnostic;  // for standard error: English lines, each ending in "\n"; may be empty
};

// The images of the folder differ in size.
RunFailure mixed_sizes_failure(const std::string& folder, const MixedSizes& sizes);

// A failure told by the diagnostic alone (English lines, each ending in "\n").
RunFailure diagnostic_failure(const std::string& diagnostic);

// The tool's message for standard output: "\n..." with no newline at the end, e.g.
// "\nNo se puede abrir el archivo: a.bmp".
std::string tool_message(const RunFailure& failure);

// The English line that follows the message on standard error, once standard output is flushed:
// "bestfocus: cannot open the file a.bmp\n".
std::string english_line(const RunFailure& failure);

// 2 for a bad command line (bad_tiles), 1 for every other failure.
int exit_status(FailureKind kind);

}  // namespace bestfocus
