// The options: GNU long options before the positional arguments, which keep their meaning.
#pragma once

#include <string>

#include "run_config.h"
#include "stack_layout.h"

namespace bestfocus {

enum class OptionsAction { run, show_help, show_version, refuse };

struct ParsedOptions {
    OptionsAction action = OptionsAction::run;
    int first_positional = 1;  // index in argv of the first positional argument
    std::string refusal;       // when refused: what is wrong, naming the option
    bool check_only = false;   // --check: the command line is checked, nothing run
};

// Reads the options from argv[1] on into *config, up to the first argument that is not an option
// or up to "--", which ends them. "--name=value" and "--name value" are the same.
ParsedOptions parse_options(int argc, const char* const argv[], RunConfig* config);

// One line per option, for the usage text.
std::string options_usage();

}  // namespace bestfocus
