#include "engine.h"

#include "banded_measure.h"
#include "cpu_engine.h"
#include "kernel_engine.h"

namespace bestfocus {

std::unique_ptr<Engine> make_engine(EngineKind kind, long long images_in_run,
                                    int reduction_threads) {
    if (kind == EngineKind::cpu) {
        return std::make_unique<CpuEngine>(images_in_run == 1, reduction_threads);
    }
    return std::make_unique<KernelEngine>(reduction_threads);
}

std::unique_ptr<BandedMeasure> Engine::measure_in_bands(int, int, PixelDepth,
                                                        const std::vector<int>&) const {
    return nullptr;
}

Measurement too_many_pixels() {
    Measurement measurement;
    measurement.failure = Measurement::Failure::too_many_pixels;
    return measurement;
}

Measurement failed_measurement(std::string reason) {
    Measurement measurement;
    measurement.failure = Measurement::Failure::failed;
    measurement.reason = std::move(reason);
    return measurement;
}

}  // namespace bestfocus
