#include "midi/property_output.h"

#include "midi/engine.h"

namespace kvs {

void LivePropertyOutput::SetTempo(std::uint32_t bpm) {
    if (engine_ != nullptr) engine_->SetTempo(bpm);
}

}  // namespace kvs
