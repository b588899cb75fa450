#include "measure/load.h"

void StartCpuBaseline(CpuSampler& sampler, uint32_t tickBeforeLaunch) {
    sampler.LastProcessTime = 0;
    sampler.LastTickCount = tickBeforeLaunch;
}

int64_t SampleCpuLoad(CpuSampler& sampler, uint64_t processTime, uint32_t tick,
                      int64_t previousLoad) {
    // Unsigned subtraction measures across the wrap of the tick count (every
    // 49.7 days); read as signed, two samples within one tick give 0 and keep
    // the last load.
    const auto elapsed = static_cast<int32_t>(tick - sampler.LastTickCount);
    int64_t load = previousLoad;
    if (elapsed > 0) {
        // Signed: the summed thread times can shrink when a thread ends.
        const auto used = static_cast<int64_t>(processTime - sampler.LastProcessTime);
        load = used / elapsed / 100;
    }
    sampler.LastProcessTime = processTime;
    sampler.LastTickCount = tick;
    return load;
}

int64_t ScaledLoad(int64_t load, int8_t scale, int32_t processors) {
    if (load < 0) return 0;
    if (scale == CpuScaleOneOpen) return load;
    // Dividing the truncated percent again truncates as dividing the exact
    // load would: floor(floor(x) / n) is floor(x / n).
    if (scale == CpuScaleMachine && processors > 1) load /= processors;
    return load > 100 ? 100 : load;
}
