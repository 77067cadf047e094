#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvs {

class Engine;
class Song;

// A whole number typed into a dialog field: digits only, blanks around
// allowed; nullopt for anything else or for more than 32 bits.
std::optional<std::uint32_t> ParseFieldNumber(std::string_view text);

// The Time and Tempo dialog: the song's initial time signature and tempo.
class TimeTempoForm {
  public:
    static constexpr std::uint32_t kMinTempo = 10;
    static constexpr std::uint32_t kMaxTempo = 480;
    static constexpr std::uint32_t kMaxNumerator = 32;
    static constexpr std::uint32_t kMaxExponent = 5;
    static constexpr std::size_t kTempoChars = 3;
    static constexpr std::uint32_t kDefaultTempo = 100;

    // engine may be null (no live tempo changes then).
    TimeTempoForm(Song& song, Engine* engine, bool midiInDialogs);

    static std::vector<std::string> NumeratorItems();    // "1" to "32"
    static std::vector<std::string> DenominatorItems();  // "1" to "32", index = exponent

    std::uint32_t numeratorIndex = 3;
    std::uint32_t denominatorIndex = 2;
    const std::string& TempoText() const { return tempoText_; }
    // Typing; the field takes at most three characters.
    void SetTempoText(std::string_view text);
    // The spin control: steps within the range.
    void SpinTempo(int steps);
    // Leaving the field after a change applies a valid tempo at once, so a
    // playing song follows the typing.
    void TempoFocusLost();
    // Stores into the song and marks it modified.
    void Ok();

  private:
    Song& song_;
    Engine* engine_;
    bool midiInDialogs_;
    std::string tempoText_;
    bool tempoChanged_ = false;
};

}  // namespace kvs
