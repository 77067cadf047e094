#include "tools/note_transform_file.h"

#include <algorithm>
#include <new>

#include "config/profile_store.h"
#include "config/prompt_table.h"
#include "model/form_prompts.h"

namespace kvs {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A missing key reads as "-", which ends the list like a value beginning with "-".
std::string ReadMap(const ProfileStore& file, std::size_t index) {
    return file.GetString(kTransformSection, TransformMapKey(index), "-", kTransformTextMax);
}

std::size_t CountMaps(const ProfileStore& file) {
    std::size_t n = 0;
    while (n < kMaxTransformsPerFile) {
        const std::string text = ReadMap(file, n);
        if (!text.empty() && text.front() == '-') break;
        ++n;
    }
    return n;
}

}  // namespace

std::string TransformMapKey(std::size_t index) {
    return "xfrm" + std::to_string(index);
}

std::string TransformNameKey(std::size_t index) {
    return "name" + std::to_string(index);
}

bool ParseTransformMap(std::string_view text, TransformMap& map) {
    std::size_t pos = 0;
    for (std::size_t k = 0; k < kTransformKeys; ++k) {
        std::size_t at = pos;
        while (at < text.size() && IsSpace(text[at]))
            ++at;
        if (at >= text.size() || !IsDigit(text[at])) {
            map[0] = kInvalidMapMark;
            return false;
        }
        unsigned value = 0;
        // Stop counting once past 127 so long digit runs cannot wrap into range.
        for (; at < text.size() && IsDigit(text[at]); ++at)
            value = std::min(value * 10 + static_cast<unsigned>(text[at] - '0'), 1000u);
        if (value > 127) {
            map[0] = kInvalidMapMark;
            return false;
        }
        map[k] = static_cast<std::uint8_t>(value);
        // On by at least one character, to the next comma, and past it.
        const std::size_t comma = text.find(',', pos + 1);
        pos = comma == std::string_view::npos ? text.size() : comma + 1;
    }
    return true;
}

bool NoteTransforms::AnyValid() const {
    return std::any_of(transforms_.begin(), transforms_.end(),
                       [](const NoteTransform& t) { return t.Valid(); });
}

void NoteTransforms::Free() {
    transforms_.clear();
    transforms_.shrink_to_fit();
    presets_ = 0;
}

bool NoteTransforms::Load(const ProfileStore& presets, const ProfileStore& user,
                          const PromptTable& prompts, std::vector<std::string>* errors) {
    Free();
    const std::size_t presetCount = CountMaps(presets);
    const std::size_t userCount = CountMaps(user);
    if (presetCount + userCount == 0) return true;
    try {
        transforms_.resize(presetCount + userCount);
        for (std::size_t i = 0; i < presetCount + userCount; ++i) {
            const bool preset = i < presetCount;
            const std::size_t n = preset ? i : i - presetCount;
            NoteTransform& t = transforms_[i];
            if (!ParseTransformMap(ReadMap(preset ? presets : user, n), t.map)) {
                if (errors) {
                    const prompt::Id message =
                        preset ? prompt::error_notexfrmload : prompt::error_userxfrmload;
                    errors->push_back(FormatPrompt(prompts.Text(message), TransformMapKey(n)));
                }
                continue;
            }
            t.name =
                preset
                    ? std::string(prompts.Text(static_cast<std::size_t>(prompt::tools_ntxfm_0 + n)))
                    : user.GetString(kTransformSection, TransformNameKey(n), "-",
                                     kTransformNameMax);
        }
    } catch (const std::bad_alloc&) {
        Free();
        return false;
    }
    presets_ = presetCount;
    return true;
}

bool NoteTransforms::LoadFiles(const std::string& presetPath, const std::string& userPath,
                               const PromptTable& prompts, std::vector<std::string>* errors) {
    ProfileStore presets(presetPath);
    ProfileStore user(userPath);
    // An unreadable file leaves its store empty, which offers nothing.
    presets.Load();
    user.Load();
    return Load(presets, user, prompts, errors);
}

}  // namespace kvs
