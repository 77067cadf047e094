// Input: an INI file. Every read must be safe and give what a plain scan of
// the text gives, before and after writes; a value written into any file must
// read back the same after the file is written out and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/packed_settings.h"
#include "config/profile_store.h"

namespace {

// The reading rules, spelled out line by line and slowly, as the oracle.
std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool Same(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

struct Entry {
    std::string section;
    std::string key;  // empty for a section header
    std::string value;
};

// A file is cut at LF with a CR before it dropped; the store's own text is
// cut at exactly the line end it writes, as a line may end in a CR of its own.
std::vector<Entry> Scan(std::string_view text, std::string_view written = {}) {
    std::vector<Entry> entries;
    bool inSection = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(written.empty() ? "\n" : written, pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + (written.empty() ? 1 : written.size());
        if (written.empty() && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = Trim(line);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            entries.push_back({std::string(Trim(line.substr(1, close - 1))), "", ""});
            inSection = true;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || !inSection) continue;
        const std::string_view key = Trim(line.substr(0, eq));
        if (key.empty()) continue;
        std::string_view value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        entries.push_back({entries.back().section, std::string(key), std::string(value)});
    }
    return entries;
}

// The first key of the first section of that name, as the store reads it.
std::optional<std::string> Lookup(const std::vector<Entry>& entries, std::string_view section,
                                  std::string_view key) {
    std::size_t i = 0;
    while (i < entries.size() && !(entries[i].key.empty() && Same(entries[i].section, section)))
        ++i;
    for (++i; i < entries.size() && !entries[i].key.empty(); ++i)
        if (Same(entries[i].key, key)) return entries[i].value;
    return std::nullopt;
}

std::vector<std::string> KeysOf(const std::vector<Entry>& entries, std::string_view section) {
    std::vector<std::string> keys;
    std::size_t i = 0;
    while (i < entries.size() && !(entries[i].key.empty() && Same(entries[i].section, section)))
        ++i;
    for (++i; i < entries.size() && !entries[i].key.empty(); ++i) {
        bool seen = false;
        for (const std::string& k : keys)
            seen = seen || Same(k, entries[i].key);
        if (!seen) keys.push_back(entries[i].key);
    }
    return keys;
}

// Names the store looks up as given (it rewrites ones that could break a line).
bool PlainName(std::string_view name, char stop) {
    if (name.empty() || Trim(name) != name || name.front() == ';' || name.front() == '[')
        return false;
    return name.find_first_of(std::string("\r\n") + stop) == std::string_view::npos;
}

std::string FlipCase(std::string s) {
    for (char& c : s)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) c = static_cast<char>(c ^ 0x20);
    return s;
}

// Every read the store gives for the names in the text matches the scan.
void CheckAgainstScan(const kvs::ProfileStore& store, std::string_view newline,
                      const std::vector<Entry>& probes) {
    const std::vector<Entry> entries = Scan(store.Text(), newline);
    for (const Entry& probe : probes) {
        if (probe.key.empty()) {
            if (store.Keys(probe.section) != KeysOf(entries, probe.section)) std::abort();
            continue;
        }
        const std::optional<std::string> expected = Lookup(entries, probe.section, probe.key);
        const std::string got = store.GetString(probe.section, probe.key, "\x01", 100000);
        if (expected ? got != *expected : got != "\x01") std::abort();
        if (store.HasKey(probe.section, probe.key) != expected.has_value()) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kvs::ProfileStore store("unused");
    store.Parse(text);

    for (const char* section : {"OPTIONS", "keycommand", "ports", "Instruments"}) {
        for (const std::string& key : store.Keys(section)) {
            (void)store.GetString(section, key, "d", 259);
            (void)store.GetInt(section, key, 7);
        }
    }
    (void)kvs::ParseMidiAssign(store.GetString("OPTIONS", "MidiAssign", "", 255));
    (void)kvs::ParseOskKeys(store.GetString("OPTIONS", "OskKeys", "", 255));

    std::vector<Entry> probes;
    for (const Entry& e : Scan(text)) {
        if (probes.size() >= 256) break;
        if (!PlainName(e.section, ']') || (!e.key.empty() && !PlainName(e.key, '='))) continue;
        probes.push_back(e);
        probes.push_back({FlipCase(e.section), FlipCase(e.key), ""});
    }
    const std::size_t firstBreak = text.find('\n');
    const std::string_view newline =
        firstBreak != std::string_view::npos && (firstBreak == 0 || text[firstBreak - 1] != '\r')
            ? "\n"
            : "\r\n";
    CheckAgainstScan(store, newline, probes);

    // A value made of the input's last bytes, minus the line breaks that a
    // stored value cannot hold.
    std::string value(text.substr(size > 40 ? size - 40 : 0));
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    const std::string key = "Probe " + std::to_string(size);
    store.WriteString("OPTIONS", key, value);
    store.WriteInt("Fuzz]Section", "n", -static_cast<std::int64_t>(size));
    const auto keys = store.Keys("ports");
    if (!keys.empty()) store.DeleteKey("ports", keys.front());
    kvs::ProfileStore again("unused");
    again.Parse(store.Text());
    if (again.GetString("OPTIONS", key, "missing", 1000) != value) std::abort();
    if (again.GetString("Fuzz]Section", "n", "", 100) !=
        std::to_string(-static_cast<std::int64_t>(size)))
        std::abort();
    if (!keys.empty() && again.HasKey("ports", keys.front())) std::abort();
    // Into sections and keys the file already has, in other letter case.
    for (std::size_t i = 0; i < probes.size() && i < 8; ++i) {
        const Entry& probe = probes[probes.size() - 1 - i];
        if (i % 3 == 2 && !probe.key.empty())
            store.DeleteKey(probe.section, probe.key);
        else
            store.WriteString(probe.section, probe.key.empty() ? "added" : probe.key, value);
    }
    probes.push_back({"OPTIONS", key, ""});
    probes.push_back({"Fuzz_Section", "n", ""});
    probes.push_back({"ports", "", ""});
    CheckAgainstScan(store, newline, probes);
    return 0;
}
