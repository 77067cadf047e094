#include "ui/help_texts.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <optional>

namespace kvs {
namespace {

std::optional<std::uint32_t> ReadId(std::string_view digits) {
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

// Undoes the two escapes; nothing for a text too long or with a stray '\'.
std::optional<std::string> Unescape(std::string_view raw) {
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\') {
            text += raw[i];
        } else if (i + 1 < raw.size() && (raw[i + 1] == 'n' || raw[i + 1] == '\\')) {
            text += raw[++i] == 'n' ? '\n' : '\\';
        } else {
            return std::nullopt;
        }
        if (text.size() > HelpTexts::kMaxTextBytes) return std::nullopt;
    }
    return text;
}

}  // namespace

HelpTexts HelpTexts::Parse(std::string_view data) {
    HelpTexts texts;
    while (!data.empty()) {
        const std::size_t end = data.find('\n');
        std::string_view line = data.substr(0, end);
        data = end == std::string_view::npos ? std::string_view{} : data.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) continue;
        const std::optional<std::uint32_t> id = ReadId(line.substr(0, tab));
        std::optional<std::string> text = Unescape(line.substr(tab + 1));
        if (!id || !text || text->empty()) continue;
        texts.entries_.push_back({*id, std::move(*text)});
    }
    // Stable, so the first text of a repeated number is the one kept.
    std::stable_sort(texts.entries_.begin(), texts.entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.id < b.id; });
    texts.entries_.erase(std::unique(texts.entries_.begin(), texts.entries_.end(),
                                     [](const Entry& a, const Entry& b) { return a.id == b.id; }),
                         texts.entries_.end());
    return texts;
}

HelpTexts HelpTexts::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string data(kMaxFileBytes + 1, '\0');
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > kMaxFileBytes) return {};
    data.resize(got);
    return Parse(data);
}

std::string_view HelpTexts::Text(std::uint32_t id) const {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), id,
                                     [](const Entry& e, std::uint32_t v) { return e.id < v; });
    if (it == entries_.end() || it->id != id) return {};
    return it->text;
}

}  // namespace kvs
