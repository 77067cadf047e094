#include "midi/backends/backend_probe.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <mutex>

namespace kvs {

namespace {

void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void QuietSystemAudioMessages() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&IgnoreAlsaMessage); });
}

bool JackServerRunning() {
    jack_status_t status{};
    jack_client_t* client =
        jack_client_open("kvs-probe", static_cast<jack_options_t>(JackNoStartServer), &status);
    if (!client) return false;
    jack_client_close(client);
    return true;
}

}  // namespace kvs
