// What the job array's script takes from its command line, its environment and the run folder's
// plan: options in the --name=value form only, output files moved into the slice's folder, every
// number checked as a plain decimal in range before anything is written, and no text ever
// evaluated by the shell. Each case runs one task by hand in a fresh working folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "shell_command.h"
#include "test_support.h"

namespace {

const std::string kExecutable = BESTFOCUS_EXECUTABLE;
const std::string kArrayScript = BESTFOCUS_ARRAY_SCRIPT;
const std::string kSampleStacks = BESTFOCUS_SAMPLE_STACKS;  // folders 11 to 15

// A command that leaves a file "evaluated" in the working folder if the shell ever runs it.
const std::string kInjection = "[$(touch evaluated)]";

struct ScriptCase {
    const char* name;
    std::string arguments;  // after the run folder; "{stacks}" and "{work}" are replaced
    int status;
    std::string message;               // part of the output
    std::vector<std::string> present;  // in the working folder afterwards
    std::vector<std::string> absent;   // not in the working folder afterwards
    std::string task_count;            // SLURM_ARRAY_TASK_COUNT
    // When set, replaces the first line of a plan written for the same command before the run.
    std::string plan_first_line;
    std::string run_folder;  // in the working folder
};

// Refused with status 1 and the message: nothing evaluated, and no plan written (but the one
// written before when `plan_first_line` is set).
ScriptCase refused(const char* name, const std::string& arguments, const std::string& message,
                   const std::string& task_count = "2", const std::string& plan_first_line = "") {
    std::vector<std::string> absent = {"evaluated"};
    if (plan_first_line.empty()) absent.push_back("run/plan");
    return {name, arguments, 1, message, {}, absent, task_count, plan_first_line, "run"};
}

// Runs task 0 of `task_count` with status 0 in `run_folder`, leaving the files `present`.
ScriptCase ran(const char* name, const std::string& arguments, const std::string& task_count,
               const std::string& run_folder, const std::string& message,
               const std::vector<std::string>& present, const std::vector<std::string>& absent) {
    return {name, arguments, 0, message, present, absent, task_count, "", run_folder};
}

void PrintTo(const ScriptCase& script_case, std::ostream* out) { *out << script_case.name; }

std::string replaced(std::string text, const std::string& key, const std::string& value) {
    for (std::size_t at; (at = text.find(key)) != std::string::npos;)
        text.replace(at, key.size(), value);
    return text;
}

CommandResult run_task(const std::string& work, const std::string& run_folder,
                       const std::string& task, const std::string& task_count,
                       const std::string& arguments) {
    return run_shell("cd " + quoted(work) + " && SLURM_ARRAY_TASK_ID=" + quoted(task) +
                     " SLURM_ARRAY_TASK_COUNT=" + quoted(task_count) +
                     " BESTFOCUS=" + quoted(kExecutable) + " bash " + quoted(kArrayScript) + " " +
                     quoted(run_folder) + " " + arguments);
}

class ArrayScriptChecks : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ArrayScriptChecks, TakesOnlyWhatFits) {
    const ScriptCase& script_case = GetParam();
    TemporaryFolder work;
    const std::string arguments =
        replaced(replaced(script_case.arguments, "{stacks}", quoted(kSampleStacks)), "{work}",
                 quoted(work.path()));
    if (!script_case.plan_first_line.empty()) {
        // Task 9 is in no slice: it writes the plan of this command and stops.
        ASSERT_EQ(run_task(work.path(), script_case.run_folder, "9", "2", arguments).exit_status,
                  1);
        const std::string plan_path = work.path() + script_case.run_folder + "/plan";
        const std::string plan = read_file(plan_path);
        write_file(plan_path, script_case.plan_first_line + plan.substr(plan.find('\n')));
    }
    const CommandResult run =
        run_task(work.path(), script_case.run_folder, "0", script_case.task_count, arguments);
    EXPECT_EQ(run.exit_status, script_case.status) << run.output;
    EXPECT_NE(run.output.find(script_case.message), std::string::npos) << run.output;
    for (const std::string& file : script_case.present) {
        EXPECT_TRUE(std::filesystem::exists(work.path() + file)) << file << "\n" << run.output;
    }
    for (const std::string& file : script_case.absent) {
        EXPECT_FALSE(std::filesystem::exists(work.path() + file)) << file << "\n" << run.output;
    }
}

const std::string kStackArguments = "1 {stacks} 11 15 20";

INSTANTIATE_TEST_SUITE_P(
    FromEverySource, ArrayScriptChecks,
    ::testing::Values(
        refused("ValueAsNextArgument", "--engine cpu " + kStackArguments, "--name=value"),
        refused("AbbreviatedOutputOption", "--sc={work}shared.csv " + kStackArguments, "--scores="),
        refused("EmptyOutputName", "--scores= " + kStackArguments, "--scores= needs a file name"),
        ran("PagePerSlice", "--quiet --html={work}page-for-all.html " + kStackArguments, "2", "run",
            "scans folders 11 to 13", {"run/folders_11_to_13/page.html"}, {"page-for-all.html"}),
        ran("MapsAndTileSummaryPerSlice",
            "--quiet --tiles=2x2 --depth-map={work}maps --all-in-focus={work}focused " +
                kStackArguments,
            "2", "run", "scans folders 11 to 13",
            {"run/folders_11_to_13/tile_summary.csv", "run/folders_11_to_13/depth/011_depth.tif",
             "run/folders_11_to_13/focused/013_focused.tif"},
            {"maps", "focused"}),
        refused("AbbreviatedMapOption", "--tiles=2x2 --depth={work}maps " + kStackArguments,
                "--depth-map="),
        ran("RunFolderLikeAnOption", "--quiet " + kStackArguments, "5", "-run",
            "scans folders 11 to 11", {"-run/folders_11_to_11/complete"}, {}),
        refused("FolderBeyondRange", "1 {stacks} 1 18446744073709551617 20",
                "the last folder must be a whole number from 0 to 2147483646"),
        refused("NegativeFolder", "1 {stacks} -1 15 20",
                "the first folder must be a whole number from 0"),
        refused("SignedImageCount", "1 {stacks} 11 15 +20",
                "the number of images must be a whole number"),
        refused("TeamSizeWithJunk", "1 {stacks} 11 15 20 7x",
                "the outer team size must be a whole number"),
        // Commands only bestfocus can judge whole: refused before the plan records them.
        refused("MethodBeyondTheList", "99 {stacks} 11 15 20",
                "bestfocus refuses the command: argument 1 (method) is incorrect"),
        refused("RegionTooSmallForTheMethod", "--roi=0,0,3,3 10 {stacks} 11 15 20",
                "bestfocus refuses the command: the region 3 x 3 is too small"),
        refused("NoTasks", kStackArguments, "SLURM_ARRAY_TASK_COUNT must be a whole number from 1",
                "0"),
        refused("TaskCountIsCode", kStackArguments, "SLURM_ARRAY_TASK_COUNT must be a whole number",
                "task" + kInjection),
        refused("PlanIsCode", kStackArguments, "the slice count in", "2",
                "slices=task" + kInjection + "*0+2")),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
