// Input: a note transform file. The store must agree with a plain reading of
// the map rules, and every readable map must run over a track without
// breaking a note apart.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile_store.h"
#include "config/prompt_table.h"
#include "model/track.h"
#include "tools/note_transform.h"
#include "tools/note_transform_file.h"

namespace {

// The map rules, spelled out by splitting at commas, as the oracle.
bool ReadsAsMap(std::string_view text, kvs::TransformMap& map) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (parts.size() < kvs::kTransformKeys) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(
            start, comma == std::string_view::npos ? text.size() - start : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (parts.size() < kvs::kTransformKeys) return false;
    for (std::size_t k = 0; k < kvs::kTransformKeys; ++k) {
        std::string_view part = parts[k];
        while (!part.empty() &&
               std::string_view(" \t\n\r\v\f").find(part[0]) != std::string_view::npos)
            part.remove_prefix(1);
        std::size_t digits = 0;
        while (digits < part.size() && part[digits] >= '0' && part[digits] <= '9')
            ++digits;
        if (digits == 0) return false;
        std::string_view number = part.substr(0, digits);
        while (number.size() > 1 && number[0] == '0')
            number.remove_prefix(1);
        if (number.size() > 3 || std::stoi(std::string(number)) > 127) return false;
        map[k] = static_cast<std::uint8_t>(std::stoi(std::string(number)));
    }
    return true;
}

std::size_t Unpaired(const kvs::Track& track) {
    std::size_t n = 0;
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat) {
        const kvs::BeatBucket& bucket = *track.Bucket(beat);
        for (std::uint32_t i = 0; i < bucket.Count(); ++i)
            n += kvs::IsSoundingNoteOn(bucket[i].message) && !track.FindNoteOff(beat, i).Found();
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kvs::TransformMap raw{};
    kvs::TransformMap expected{};
    const bool parsed = kvs::ParseTransformMap(text, raw);
    if (parsed != ReadsAsMap(text, expected)) std::abort();
    if (parsed ? raw != expected : raw[0] != kvs::kInvalidMapMark) std::abort();

    kvs::ProfileStore presets("unused");
    presets.Parse(text);
    // The same text as the user's file, so names and both messages are met.
    const kvs::ProfileStore& user = presets;
    static const kvs::PromptTable prompts;
    kvs::NoteTransforms store;
    std::vector<std::string> errors;
    if (!store.Load(presets, user, prompts, &errors)) std::abort();
    if (store.Count() > 2 * kvs::kMaxTransformsPerFile || store.PresetCount() > store.Count())
        std::abort();
    std::size_t invalid = 0;
    for (std::size_t i = 0; i < store.Count(); ++i) {
        const kvs::NoteTransform& t = *store.At(i);
        kvs::TransformMap again{};
        const std::size_t n = i < store.PresetCount() ? i : i - store.PresetCount();
        const std::string mapText = (i < store.PresetCount() ? presets : user)
                                        .GetString(kvs::kTransformSection, kvs::TransformMapKey(n),
                                                   "-", kvs::kTransformTextMax);
        if (ReadsAsMap(mapText, again) != t.Valid()) std::abort();
        if (!t.Valid()) {
            ++invalid;
            continue;
        }
        if (again != t.map || t.name.empty()) std::abort();
    }
    if (errors.size() != invalid) std::abort();

    // Overlapping notes, velocity-0 ends and notes without one. No two notes of
    // one key overlap, so a note that had an end keeps one.
    const std::uint32_t notes[][3] = {{0, 60, 100},  {50, 62, 100}, {100, 60, 0},  {150, 62, 0},
                                      {190, 61, 90}, {200, 50, 80}, {380, 50, 0},  {400, 70, 1},
                                      {500, 0, 5},   {520, 0, 0},   {600, 127, 9}, {700, 127, 0}};
    for (std::size_t i = 0; i < store.Count(); ++i) {
        if (!store.At(i)->Valid()) continue;
        kvs::Track track;
        for (const auto& n : notes)
            track.AddEvent(n[0], kvs::PackMessage(n[2] == 0 && n[0] % 3 ? 0x80 : 0x90,
                                                  static_cast<std::uint8_t>(n[1]),
                                                  static_cast<std::uint8_t>(n[2])));
        const std::uint64_t events = track.EventCount();
        const std::size_t unpaired = Unpaired(track);
        const std::uint32_t keyIndex = static_cast<std::uint32_t>(i + size) % 12;
        if (!kvs::TransformNotes(track, static_cast<std::uint32_t>(size % 2), track.BeatCount(),
                                 store.At(i)->map, keyIndex))
            std::abort();
        if (track.EventCount() != events || Unpaired(track) > unpaired) std::abort();
    }
    return 0;
}
