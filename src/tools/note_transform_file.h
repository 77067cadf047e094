#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvs {

class ProfileStore;
class PromptTable;

inline constexpr std::size_t kTransformKeys = 128;
// Each of the two files offers at most this many maps.
inline constexpr std::size_t kMaxTransformsPerFile = 50;
// The longest map text read from a file.
inline constexpr std::size_t kTransformTextMax = 1200;
// The longest user transform name read from a file.
inline constexpr std::size_t kTransformNameMax = 100;
inline constexpr std::string_view kTransformSection = "NoteXfrm";

// Entry k is the new key, relative to the base key, for relative key k. A
// map whose entry 0 is kInvalidMapMark could not be read.
using TransformMap = std::array<std::uint8_t, kTransformKeys>;
inline constexpr std::uint8_t kInvalidMapMark = 0xFF;

// Reads the first 128 comma-separated numbers (0-127) of text into map;
// anything after the 128th is ignored. On failure (fewer numbers, an empty
// entry, a number above 127) map[0] becomes kInvalidMapMark.
bool ParseTransformMap(std::string_view text, TransformMap& map);

struct NoteTransform {
    TransformMap map{};
    std::string name;  // empty for a map that could not be read

    bool Valid() const { return map[0] != kInvalidMapMark; }
};

// The transforms offered by the note transform tool: presets first, then the
// user's own, each file read up to its first missing map.
class NoteTransforms {
  public:
    // Replaces the store with the maps of both files. Each map that cannot be
    // read stays in the store, marked invalid, and adds one message naming
    // its key to *errors. False, with an empty store, when memory runs out.
    bool Load(const ProfileStore& presets, const ProfileStore& user, const PromptTable& prompts,
              std::vector<std::string>* errors = nullptr);
    // Reads both files from disk first; a file that is missing or cannot be
    // read offers no transforms and no message.
    bool LoadFiles(const std::string& presetPath, const std::string& userPath,
                   const PromptTable& prompts, std::vector<std::string>* errors = nullptr);
    void Free();

    std::size_t Count() const { return transforms_.size(); }
    std::size_t PresetCount() const { return presets_; }
    // Null outside the store.
    const NoteTransform* At(std::size_t index) const {
        return index < transforms_.size() ? &transforms_[index] : nullptr;
    }
    // Whether any transform can be chosen; the tool is offered only then.
    bool AnyValid() const;

  private:
    std::vector<NoteTransform> transforms_;
    std::size_t presets_ = 0;
};

// The map key of entry index: "xfrm3", "name3".
std::string TransformMapKey(std::size_t index);
std::string TransformNameKey(std::size_t index);

}  // namespace kvs
