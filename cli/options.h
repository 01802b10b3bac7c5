// The options: GNU long options before the positional arguments, which keep their meaning.
#pragma once

#include <string>

#include "run_config.h"
#include "stack_layout.h"

struct ToolOptions {
    EngineChoice engine = EngineChoice::automatic;
    std::string scores_file;   // empty: not written
    std::string summary_file;  // empty: not written
    std::string html_file;     // empty: not written
    bool progress = false;     // plain progress lines even when standard error is no terminal
    bool quiet = false;        // nothing on standard error but errors
};

enum class OptionsAction { run, show_help, show_version, refuse };

struct ParsedOptions {
    OptionsAction action = OptionsAction::run;
    ToolOptions options;
    int first_positional = 1;  // index in argv of the first positional argument
    std::string refusal;       // when refused: what is wrong, naming the option
    StackLayout layout;        // --folder-names, --image-names, --roi
};

// Reads the options from argv[1] on, up to the first argument that is not an option or up to
// "--", which ends them. "--name=value" and "--name value" are the same.
ParsedOptions parse_options(int argc, const char* const argv[]);

// Whether the name is an engine's ("auto", "cuda", "cpu"); sets *engine when it is.
bool parse_engine_name(const std::string& name, EngineChoice* engine);
const char* engine_name(EngineChoice engine);

// One line per option, for the usage text.
std::string options_usage();
