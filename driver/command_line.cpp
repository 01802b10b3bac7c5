#include "command_line.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "measure_registry.h"
#include "team_sizes.h"

namespace {

bool asks_for_help(const char* argument) {
    return std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "--help") == 0;
}

// A number read from one argument, with what it must lie in.
struct NumberArgument {
    int position;      // in argv
    const char* name;  // as the usage names it
    int value;
    int minimum;
    int maximum;
};

std::string refusal_message(const NumberArgument& argument, const char* text) {
    std::string message = "\nArgumento " + std::to_string(argument.position) + " (" +
                          argument.name + ") incorrecto: \"" + text + "\"; debe ser un entero ";
    if (argument.maximum == INT_MAX) {
        return message + "mayor o igual que " + std::to_string(argument.minimum);
    }
    return message + "de " + std::to_string(argument.minimum) + " a " +
           std::to_string(argument.maximum);
}

}  // namespace

int read_leading_integer(const char* text) {
    const long long value = std::strtoll(text, nullptr, 10);  // saturates at the long long range
    if (value < INT_MIN) {
        return INT_MIN;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

CommandLine parse_command_line(int argc, const char* const argv[],
                               const std::string& default_base_folder) {
    CommandLine command_line;
    RunConfig& config = command_line.config;
    config.base_folder = default_base_folder;
    for (int i = 1; i < argc; ++i) {
        if (asks_for_help(argv[i])) {
            command_line.action = CommandLineAction::show_usage;
            return command_line;
        }
    }

    const int count = argc - 1;
    if (count >= 1) config.method = read_leading_integer(argv[1]);
    if (count >= 2) config.base_folder = argv[2];
    if (count >= 3) config.first_folder = read_leading_integer(argv[3]);
    if (count >= 4) config.last_folder = read_leading_integer(argv[4]);
    if (count >= 5) config.images_per_stack = read_leading_integer(argv[5]);
    N_threads_ext2 = count >= 6 ? read_leading_integer(argv[6]) : kDefaultThreadsExt2;
    N_threads_ext1 = count >= 7 ? read_leading_integer(argv[7]) : kDefaultThreadsExt1;
    N_threads = count == 8 ? read_leading_integer(argv[8]) : kDefaultThreads;

    const NumberArgument checked[] = {
        {1, "metodo", config.method, 1, static_cast<int>(measure_registry().size())},
        {5, "imagenes por pila", config.images_per_stack, 1, INT_MAX},
        {6, "N_threads_ext2", N_threads_ext2, 1, kMostThreadsPerTeam},
        {7, "N_threads_ext1", N_threads_ext1, 1, kMostThreadsPerTeam},
        {8, "N_threads", N_threads, 1, kMostThreadsPerTeam},
    };
    for (const NumberArgument& argument : checked) {
        // An argument that was not given holds its valid default.
        if (argument.value < argument.minimum || argument.value > argument.maximum) {
            command_line.action = CommandLineAction::refuse;
            command_line.refusal = refusal_message(argument, argv[argument.position]);
            return command_line;
        }
    }
    return command_line;
}

std::string usage_text(const std::string& default_base_folder) {
    std::string methods;
    for (const MeasureEntry& measure : measure_registry()) {
        methods +=
            (methods.empty() ? "" : ", ") + std::to_string(measure.code) + " " + measure.long_name;
    }
    return "\nUso: bestfocus [metodo [carpeta_base [primera_carpeta [ultima_carpeta [imagenes\n"
           "                 [N_threads_ext2 [N_threads_ext1 [N_threads]]]]]]]]\n"
           "  metodo           medida de enfoque: " +
           methods +
           " (por defecto 1)\n"
           "  carpeta_base     carpeta de las pilas, terminada en \"/\"; las imagenes son\n"
           "                   <carpeta_base><NNN>/<NN>.bmp (por defecto " +
           default_base_folder +
           ")\n"
           "  primera_carpeta  numero de la primera carpeta (por defecto 11)\n"
           "  ultima_carpeta   numero de la ultima carpeta, incluida (por defecto 11)\n"
           "  imagenes         imagenes por pila, numeradas desde 01 (por defecto 20)\n"
           "  N_threads_ext2   hilos sobre las carpetas (por defecto 8)\n"
           "  N_threads_ext1   hilos sobre las imagenes de cada carpeta (por defecto 2)\n"
           "  N_threads        hilos de la suma de cada medida; solo se lee con exactamente\n"
           "                   ocho argumentos (por defecto 10)\n"
           "El informe BestFocus_AutofocusStacks_Folder_<primera>_to_<ultima>_method_<metodo>.txt\n"
           "se escribe en la carpeta de trabajo: el numero de la imagen mas nitida de cada\n"
           "carpeta y el tiempo total.\n";
}
