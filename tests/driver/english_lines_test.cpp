// Every message of standard output has an English line for standard error, with the names and
// numbers between its fixed words kept.
#include <gtest/gtest.h>

#include "run_failure.h"

namespace bestfocus {
namespace {

struct Translated {
    const char* message;
    const char* english;
};

void PrintTo(const Translated& translated, std::ostream* out) { *out << translated.english; }

class EnglishLines : public testing::TestWithParam<Translated> {};

TEST_P(EnglishLines, KeepWhatLiesBetweenTheFixedWords) {
    EXPECT_EQ(english_line(GetParam().message), GetParam().english);
}

INSTANTIATE_TEST_SUITE_P(
    RunFailure, EnglishLines,
    testing::Values(
        Translated{"\nNo se puede abrir el archivo: s/001/07.bmp",
                   "bestfocus: cannot open the file s/001/07.bmp\n"},
        Translated{"\nNo se puede calcular la medida de enfoque del archivo: a.tif (page 3)",
                   "bestfocus: cannot compute the focus measure of the file a.tif (page 3)\n"},
        Translated{"\nImagen demasiado grande (ancho x alto supera 2147483647 pixeles): big y "
                   "mide.bmp",
                   "bestfocus: image too large (width x height exceeds 2147483647 pixels): big y "
                   "mide.bmp\n"},
        Translated{"\nLas imagenes de la carpeta s/002/ no tienen el mismo tamano: 01.bmp mide 4 x "
                   "3 y 05.bmp mide 5 x 3",
                   "bestfocus: the images of the folder s/002/ are not all the same size: 01.bmp "
                   "measures 4 x 3 and 05.bmp measures 5 x 3\n"},
        Translated{"\nLa region de interes no cabe en la imagen: s/001/01.bmp",
                   "bestfocus: the region of interest does not fit the image s/001/01.bmp\n"},
        Translated{"\nNo se puede crear archivo de salida...",
                   "bestfocus: cannot create an output file\n"}));

}  // namespace
}  // namespace bestfocus
