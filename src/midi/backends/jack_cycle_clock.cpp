#include "midi/backends/jack_cycle_clock.h"

#include <jack/jack.h>

#include "midi/backends/rtmidi_layer.h"

namespace kvs {

std::shared_ptr<JackCycleClock> JackCycleClock::Open() {
    auto clock = std::make_shared<JackCycleClock>();
    const std::string name = std::string(kRtMidiClientName) + "-clock";
    jack_status_t status{};
    auto* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (!client) return nullptr;
    clock->client_ = client;
    jack_set_process_callback(client, &JackCycleClock::Process, clock.get());
    jack_on_shutdown(client, &JackCycleClock::Shutdown, clock.get());
    if (jack_activate(client) != 0) return nullptr;  // the destructor closes it
    return clock;
}

JackCycleClock::~JackCycleClock() {
    if (client_) jack_client_close(static_cast<jack_client_t*>(client_));
}

int JackCycleClock::Process(std::uint32_t, void* self) {
    static_cast<JackCycleClock*>(self)->cycles_.fetch_add(1, std::memory_order_acq_rel);
    return 0;
}

void JackCycleClock::Shutdown(void* self) {
    static_cast<JackCycleClock*>(self)->alive_.store(false, std::memory_order_release);
}

}  // namespace kvs
