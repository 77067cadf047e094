#pragma once

namespace kvs {

// True when a JACK server is running; never starts one.
bool JackServerRunning();

// True when this process may open the ALSA sequencer device.
bool AlsaSequencerPresent();

// The ALSA library writes its own diagnostics to stderr (a machine without a
// sound card gets a dozen lines per attempt); the program reports failures
// itself, so they are switched off once for the whole process.
void QuietSystemAudioMessages();

}  // namespace kvs
