#include "run_failure.h"

#include <climits>

namespace bestfocus {
namespace {

std::string size_text(const ImageSize& size) {
    return std::to_string(size.width) + " x " + std::to_string(size.height);
}

}  // namespace

std::string tool_message(const RunFailure& failure) {
    const std::string& subject = failure.subject;
    switch (failure.kind) {
        case FailureKind::cannot_open: return "\nNo se puede abrir el archivo: " + subject;
        case FailureKind::cannot_measure:
            return "\nNo se puede calcular la medida de enfoque del archivo: " + subject;
        case FailureKind::too_many_pixels:
            return "\nImagen demasiado grande (ancho x alto supera " + std::to_string(INT_MAX) +
                   " pixeles): " + subject;
        case FailureKind::mixed_sizes:
            return "\nLas imagenes de la carpeta " + subject +
                   " no tienen el mismo tamano: " + failure.sizes.first_name + " mide " +
                   size_text(failure.sizes.first) + " y " + failure.sizes.other_name + " mide " +
                   size_text(failure.sizes.other);
        case FailureKind::region_outside:
            return "\nLa region de interes no cabe en la imagen: " + subject;
        case FailureKind::cannot_create_output: return "\nNo se puede crear archivo de salida...";
        case FailureKind::bad_tiles: return failure.refusal;
        case FailureKind::told_in_diagnostic: return "";
    }
    return "";
}

std::string english_line(const RunFailure& failure) {
    const std::string& subject = failure.subject;
    switch (failure.kind) {
        case FailureKind::cannot_open: return "bestfocus: cannot open the file " + subject + "\n";
        case FailureKind::cannot_measure:
            return "bestfocus: cannot compute the focus measure of the file " + subject + "\n";
        case FailureKind::too_many_pixels:
            return "bestfocus: image too large (width x height exceeds " + std::to_string(INT_MAX) +
                   " pixels): " + subject + "\n";
        case FailureKind::mixed_sizes:
            return "bestfocus: the images of the folder " + subject +
                   " are not all the same size: " + failure.sizes.first_name + " measures " +
                   size_text(failure.sizes.first) + " and " + failure.sizes.other_name +
                   " measures " + size_text(failure.sizes.other) + "\n";
        case FailureKind::region_outside:
            return "bestfocus: the region of interest does not fit the image " + subject + "\n";
        case FailureKind::cannot_create_output: return "bestfocus: cannot create an output file\n";
        case FailureKind::bad_tiles: {
            const std::size_t start = failure.refusal.find_first_not_of('\n');
            return (start == std::string::npos ? "" : failure.refusal.substr(start)) + "\n";
        }
        case FailureKind::told_in_diagnostic: return "";
    }
    return "";
}

RunFailure mixed_sizes_failure(const std::string& folder, const MixedSizes& sizes) {
    RunFailure failure;
    failure.kind = FailureKind::mixed_sizes;
    failure.subject = folder;
    failure.sizes = sizes;
    return failure;
}

RunFailure diagnostic_failure(const std::string& diagnostic) {
    RunFailure failure;
    failure.kind = FailureKind::told_in_diagnostic;
    failure.diagnostic = diagnostic;
    return failure;
}

int exit_status(FailureKind kind) { return kind == FailureKind::bad_tiles ? 2 : 1; }

}  // namespace bestfocus
