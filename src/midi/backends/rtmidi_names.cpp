#include "midi/backends/rtmidi_names.h"

#include <algorithm>
#include <cctype>

namespace kvs {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// " 14:0" at the end, as the ALSA sequencer names its ports.
std::string_view StripAlsaNumbers(std::string_view s) {
    std::size_t end = s.size();
    std::size_t i = end;
    while (i > 0 && IsDigit(s[i - 1]))
        --i;
    if (i == end || i == 0 || s[i - 1] != ':') return s;
    std::size_t colon = i - 1;
    i = colon;
    while (i > 0 && IsDigit(s[i - 1]))
        --i;
    if (i == colon || i == 0 || s[i - 1] != ' ') return s;
    return s.substr(0, i - 1);
}

// "client-01:port" -> "client:port". JACK numbers the second and later
// clients of one name in the order they started, which changes between runs.
std::string StripJackClientSuffix(std::string_view s) {
    std::size_t colon = s.find(':');
    if (colon == std::string_view::npos) return std::string(s);
    std::size_t i = colon;
    while (i > 0 && IsDigit(s[i - 1]))
        --i;
    if (colon - i < 2 || i < 2 || s[i - 1] != '-') return std::string(s);
    std::string out(s.substr(0, i - 1));
    out.append(s.substr(colon));
    return out;
}

// ALSA ports mostly repeat their client's name ("Midi Through:Midi Through
// Port-0"); the port part alone says it all and keeps the end that tells
// ports apart within the 31 bytes.
std::string DropRepeatedClient(std::string s) {
    std::size_t colon = s.find(':');
    if (colon == std::string::npos || colon == 0) return s;
    std::string_view client(s.data(), colon);
    std::string_view port(s.data() + colon + 1, s.size() - colon - 1);
    if (port.size() > client.size() && port.substr(0, client.size()) == client) {
        return std::string(port);
    }
    return s;
}

std::string TruncateUtf8(std::string s, std::size_t limit) {
    if (s.size() <= limit) return s;
    std::size_t cut = limit;
    // Back up over continuation bytes to the start of the cut sequence.
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
        --cut;
    s.resize(cut);
    return s;
}

std::string TrimRight(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    return s;
}

}  // namespace

std::string StableSystemName(std::string_view raw) {
    std::string_view withoutNumbers = StripAlsaNumbers(raw);
    // An ALSA name never carries JACK's suffix; leave "USB-16:..." alone there.
    std::string name = withoutNumbers.size() != raw.size() ? std::string(withoutNumbers)
                                                           : StripJackClientSuffix(raw);
    name = DropRepeatedClient(std::move(name));
    return TrimRight(TruncateUtf8(TrimRight(std::move(name)), kMaxSystemNameLength));
}

std::vector<std::string> MakeNamesUnique(std::vector<std::string> names) {
    for (std::size_t i = 1; i < names.size(); ++i) {
        auto taken = [&](const std::string& candidate) {
            return std::find(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(i),
                             candidate) != names.begin() + static_cast<std::ptrdiff_t>(i);
        };
        if (!taken(names[i])) continue;
        for (int n = 2;; ++n) {
            std::string suffix = " #" + std::to_string(n);
            std::string candidate =
                TruncateUtf8(names[i], kMaxSystemNameLength - suffix.size()) + suffix;
            if (!taken(candidate)) {
                names[i] = std::move(candidate);
                break;
            }
        }
    }
    return names;
}

}  // namespace kvs
