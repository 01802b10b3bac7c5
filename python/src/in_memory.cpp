#include "in_memory.h"

#include <omp.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "engine_choice.h"
#include "english_errors.h"
#include "flag_text.h"
#include "focus_curve.h"
#include "focus_selection.h"
#include "measure_views.h"
#include "run_teams.h"
#include "thread_budget.h"

namespace nb = nanobind;

namespace bestfocus::python {

namespace {

ScoreArray owned_matrix(std::vector<double> values, std::size_t rows, std::size_t columns) {
    auto* owned = new std::vector<double>(std::move(values));
    nb::capsule owner(owned, [](void* p) noexcept { delete static_cast<std::vector<double>*>(p); });
    return ScoreArray(owned->data(), {rows, columns}, owner);
}

}  // namespace

StridedView strided_view(const ReadOnlyArray& image) {
    StridedView view;
    view.pixels = image.data();
    view.depth = image.dtype() == nb::dtype<std::uint16_t>() ? PixelDepth::u16 : PixelDepth::u8;
    view.height = static_cast<int>(image.shape(0));
    view.width = static_cast<int>(image.shape(1));
    view.row_stride = static_cast<std::ptrdiff_t>(image.stride(0));  // in pixels, as DLPack
    view.column_stride = static_cast<std::ptrdiff_t>(image.stride(1));
    return view;
}

// Raises for the first image the engine could not measure.
void check_measured(const std::vector<Measurement>& measurements,
                    const std::vector<StridedView>& views) {
    for (std::size_t i = 0; i < measurements.size(); ++i) {
        const Measurement& measurement = measurements[i];
        const std::string image = "image " + std::to_string(i) + " (" +
                                  std::to_string(views[i].height) + " x " +
                                  std::to_string(views[i].width) + ")";
        if (measurement.failure == Measurement::Failure::too_many_pixels) {
            throw std::invalid_argument(image + " has more pixels than the engines measure (" +
                                        "at most 2147483647)");
        }
        if (measurement.failure == Measurement::Failure::failed) {
            throw std::runtime_error(image + " could not be measured" +
                                     (measurement.reason.empty() ? "" : ": " + measurement.reason));
        }
    }
}

nb::tuple flag_names(FlagSet flags) {
    nb::list names;
    for (const Flag flag : kAllFlags) {
        if (flags.has(flag)) names.append(flag_name(flag));
    }
    return nb::tuple(names);
}

std::vector<Measurement> measure_held_views(const std::vector<StridedView>& views,
                                            const std::string& engine_name, int threads,
                                            const HeldViewsMeasure& measure) {
    const EngineDecision engine_decision = choose_engine(engine_by_name(engine_name));
    check_engine_possible(engine_decision);
    std::vector<Measurement> measurements;
    {
        nb::gil_scoped_release unlocked;
        const DefaultTeams teams;
        const long long at_once =
            threads_at_once(threads, engine_decision.engine, static_cast<long long>(views.size()),
                            omp_get_num_procs());
        if (const std::optional<std::string> limit =
                thread_limit_problem(at_once, current_thread_limits())) {
            throw std::invalid_argument("threads=" + std::to_string(threads) +
                                        " would have up to " + std::to_string(at_once) +
                                        " threads at once, but " + *limit + "; give fewer threads");
        }
        const std::unique_ptr<Engine> engine =
            make_engine(engine_decision.engine, static_cast<long long>(views.size()));
        measurements = measure(*engine);
    }
    check_measured(measurements, views);
    return measurements;
}

ScoreArray measure_arrays(const std::vector<ReadOnlyArray>& images, const std::vector<int>& methods,
                          const std::string& engine_name, int threads) {
    std::vector<StridedView> views;
    views.reserve(images.size());
    for (const ReadOnlyArray& image : images) views.push_back(strided_view(image));
    const std::vector<Measurement> measurements = measure_held_views(
        views, engine_name, threads,
        [&](const Engine& engine) { return measure_views(engine, views, methods, threads); });
    std::vector<double> values(methods.size() * views.size());
    for (std::size_t i = 0; i < views.size(); ++i) {
        for (std::size_t m = 0; m < methods.size(); ++m) {
            values[m * views.size() + i] = measurements[i].values[m];
        }
    }
    return owned_matrix(std::move(values), methods.size(), views.size());
}

std::vector<PickTuple> picks_of_folder(const FolderScores& folder) {
    std::vector<PickTuple> picks;
    for (const MethodScores& method : folder.methods) {
        picks.emplace_back(method.method, method.best_number,
                           fractional_best(method.scores, method.best_number),
                           flag_names(method_flags(folder, method)));
    }
    return picks;
}

std::vector<PickTuple> picks_of_scores(const ReadOnlyScores& scores,
                                       const std::vector<int>& methods) {
    FolderScores folder;
    const std::size_t images = scores.shape(1);
    for (std::size_t m = 0; m < methods.size(); ++m) {
        MethodScores method{methods[m], std::vector<double>(images), 1};
        for (std::size_t i = 0; i < images; ++i) method.scores[i] = scores(m, i);
        method.best_number = best_image_number(method.scores);
        folder.methods.push_back(std::move(method));
    }
    return picks_of_folder(folder);
}

ScoreArray score_matrix(const FolderScores& folder) {
    const std::size_t images = folder.methods.empty() ? 0 : folder.methods[0].scores.size();
    std::vector<double> values;
    values.reserve(folder.methods.size() * images);
    for (const MethodScores& method : folder.methods) {
        values.insert(values.end(), method.scores.begin(), method.scores.end());
    }
    return owned_matrix(std::move(values), folder.methods.size(), images);
}

}  // namespace bestfocus::python
