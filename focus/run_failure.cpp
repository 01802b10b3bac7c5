#include "run_failure.h"

#include <initializer_list>
#include <utility>

namespace bestfocus {
namespace {

using Fragment = std::pair<const char*, const char*>;

// One message of standard output: how it begins, and the fixed parts that follow the beginning,
// in order, each with its English. What lies between them (names, numbers) is kept.
struct Translation {
    Fragment beginning;
    std::initializer_list<Fragment> later;
};

const Translation kTranslations[] = {
    {{"No se puede abrir el archivo: ", "cannot open the file "}, {}},
    {{"No se puede calcular la medida de enfoque del archivo: ",
      "cannot compute the focus measure of the file "},
     {}},
    {{"Imagen demasiado grande (ancho x alto supera ", "image too large (width x height exceeds "},
     {{" pixeles): ", " pixels): "}}},
    {{"Las imagenes de la carpeta ", "the images of the folder "},
     {{" no tienen el mismo tamano: ", " are not all the same size: "},
      {" mide ", " measures "},
      {" y ", " and "},
      {" mide ", " measures "}}},
    {{"La region de interes no cabe en la imagen: ",
      "the region of interest does not fit the image "},
     {}},
    {{"No se puede crear archivo de salida...", "cannot create an output file"}, {}},
};

std::string translated(const std::string& text, const Translation& translation) {
    std::string english = translation.beginning.second;
    std::size_t from = std::string(translation.beginning.first).size();
    for (const auto& [spanish, meaning] : translation.later) {
        const std::size_t at = text.find(spanish, from);
        if (at == std::string::npos) {
            break;
        }
        english += text.substr(from, at - from) + meaning;
        from = at + std::string(spanish).size();
    }
    return english + text.substr(from);
}

}  // namespace

std::string english_line(const std::string& message) {
    const std::size_t start = message.find_first_not_of('\n');
    const std::string text = start == std::string::npos ? "" : message.substr(start);
    for (const Translation& translation : kTranslations) {
        if (text.rfind(translation.beginning.first, 0) == 0) {
            return "bestfocus: " + translated(text, translation) + "\n";
        }
    }
    return "bestfocus: " + text + "\n";
}

}  // namespace bestfocus
