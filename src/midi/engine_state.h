#pragma once

#include <cstdint>

namespace kvs {

// The transport state; every value but Stop means the engine is busy.
enum class EngineState : std::uint32_t {
    Stop = 0,
    Play = 1,
    Record = 2,
    StepRec = 3,
    PlayCount = 4,
    RecCount = 5,
    PlayDelay = 6,
    RecDelay = 7,
    PlaySynch = 8,
    RecSynch = 9,
    Preview = 10,
};

constexpr bool IsBusy(EngineState s) {
    return s != EngineState::Stop;
}
// The periodic timer runs in every state but these two.
constexpr bool TimerRunsIn(EngineState s) {
    return s != EngineState::Stop && s != EngineState::StepRec;
}
constexpr bool IsCountIn(EngineState s) {
    return s == EngineState::PlayCount || s == EngineState::RecCount;
}
constexpr bool IsRecording(EngineState s) {
    return s == EngineState::Record || s == EngineState::StepRec || s == EngineState::RecCount ||
           s == EngineState::RecDelay || s == EngineState::RecSynch;
}

}  // namespace kvs
