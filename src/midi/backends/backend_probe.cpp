#include "midi/backends/backend_probe.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <unistd.h>

#include <mutex>

namespace kvs {

namespace {

void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
void IgnoreJackMessage(const char*) {}

}  // namespace

void QuietSystemAudioMessages() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&IgnoreAlsaMessage); });
}

bool AlsaSequencerPresent() {
    return access("/dev/snd/seq", R_OK | W_OK) == 0;
}

bool JackServerRunning() {
    // Asking is the only way to know; finding no server is the common answer
    // and not worth the lines libjack prints about it.
    jack_set_error_function(&IgnoreJackMessage);
    jack_set_info_function(&IgnoreJackMessage);
    jack_status_t status{};
    jack_client_t* client =
        jack_client_open("kvs-probe", static_cast<jack_options_t>(JackNoStartServer), &status);
    if (client) jack_client_close(client);
    jack_set_error_function(nullptr);  // back to libjack's own reporting
    jack_set_info_function(nullptr);
    return client != nullptr;
}

}  // namespace kvs
