// Every failure kind has the tool's message for standard output and an English line for standard
// error, with the names and numbers of its subject in both.
#include <gtest/gtest.h>

#include "run_failure.h"

namespace bestfocus {
namespace {

struct Translated {
    RunFailure failure;
    const char* message;
    const char* english;
    int status;
};

void PrintTo(const Translated& translated, std::ostream* out) { *out << translated.english; }

RunFailure of_kind(FailureKind kind, const std::string& subject) {
    RunFailure failure;
    failure.kind = kind;
    failure.subject = subject;
    return failure;
}

RunFailure bad_tiles(const std::string& refusal) {
    RunFailure failure;
    failure.kind = FailureKind::bad_tiles;
    failure.refusal = refusal;
    return failure;
}

class EnglishLines : public testing::TestWithParam<Translated> {};

TEST_P(EnglishLines, KeepWhatLiesBetweenTheFixedWords) {
    EXPECT_EQ(tool_message(GetParam().failure), GetParam().message);
    EXPECT_EQ(english_line(GetParam().failure), GetParam().english);
    EXPECT_EQ(exit_status(GetParam().failure.kind), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    RunFailure, EnglishLines,
    testing::Values(
        Translated{of_kind(FailureKind::cannot_open, "s/001/07.bmp"),
                   "\nNo se puede abrir el archivo: s/001/07.bmp",
                   "bestfocus: cannot open the file s/001/07.bmp\n", 1},
        Translated{of_kind(FailureKind::cannot_measure, "a.tif (page 3)"),
                   "\nNo se puede calcular la medida de enfoque del archivo: a.tif (page 3)",
                   "bestfocus: cannot compute the focus measure of the file a.tif (page 3)\n", 1},
        Translated{of_kind(FailureKind::too_many_pixels, "big y mide.bmp"),
                   "\nImagen demasiado grande (ancho x alto supera 2147483647 pixeles): big y "
                   "mide.bmp",
                   "bestfocus: image too large (width x height exceeds 2147483647 pixels): big y "
                   "mide.bmp\n",
                   1},
        Translated{mixed_sizes_failure("s/002/", {"01.bmp", {4, 3}, "05.bmp", {5, 3}}),
                   "\nLas imagenes de la carpeta s/002/ no tienen el mismo tamano: 01.bmp mide 4 x "
                   "3 y 05.bmp mide 5 x 3",
                   "bestfocus: the images of the folder s/002/ are not all the same size: 01.bmp "
                   "measures 4 x 3 and 05.bmp measures 5 x 3\n",
                   1},
        Translated{of_kind(FailureKind::region_outside, "s/001/01.bmp"),
                   "\nLa region de interes no cabe en la imagen: s/001/01.bmp",
                   "bestfocus: the region of interest does not fit the image s/001/01.bmp\n", 1},
        Translated{of_kind(FailureKind::cannot_create_output, ""),
                   "\nNo se puede crear archivo de salida...",
                   "bestfocus: cannot create an output file\n", 1},
        Translated{bad_tiles("\nbestfocus: --tiles=9x9 asks for too many"),
                   "\nbestfocus: --tiles=9x9 asks for too many",
                   "bestfocus: --tiles=9x9 asks for too many\n", 2}));

}  // namespace
}  // namespace bestfocus
