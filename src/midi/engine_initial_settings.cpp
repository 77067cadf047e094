#include "midi/engine.h"
#include "model/song.h"

namespace kvs {

void Engine::SendInitialSettingsLocked() {
    if (song_ == nullptr) return;
    ApplyTimeSignature(0, 0);
    RequestTempo(song_->tempo);
    const std::int32_t solo = solo_;
    for (std::uint32_t i = 0; i < song_->TrackCount(); ++i) {
        const TrackProperties& p = song_->GetTrack(i)->properties;
        if (p.channel == kNoChannel) continue;
        if (p.muted != 0 && static_cast<std::int32_t>(i) != solo) continue;
        const std::uint8_t ch = static_cast<std::uint8_t>(p.channel & 0xF);
        auto send = [&](std::uint8_t status, std::uint32_t d1, std::uint32_t d2) {
            out_.SendShort(PackMessage(static_cast<std::uint8_t>(status + ch),
                                       static_cast<std::uint8_t>(d1 & 0x7F),
                                       static_cast<std::uint8_t>(d2 & 0x7F)),
                           p.port);
        };
        if (p.bank >= 0) {
            send(0xB0, 0x00, static_cast<std::uint32_t>(p.bank) >> 7);
            send(0xB0, 0x20, static_cast<std::uint32_t>(p.bank));
        }
        if (p.program >= 0) send(0xC0, static_cast<std::uint32_t>(p.program), 0);
        if (p.volume >= 0) send(0xB0, 0x07, static_cast<std::uint32_t>(p.volume));
        if (p.pan >= 0) send(0xB0, 0x0A, static_cast<std::uint32_t>(p.pan));
        if (p.reverb >= 0) send(0xB0, 0x5B, static_cast<std::uint32_t>(p.reverb));
        if (p.chorus >= 0) send(0xB0, 0x5D, static_cast<std::uint32_t>(p.chorus));
        send(0xD0, 0, 0);
        send(0xE0, 0, 0x40);
    }
}

}  // namespace kvs
