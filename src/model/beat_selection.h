#pragma once

#include <cstdint>

namespace kvs {

// The beats an edit works on, as the track view keeps them: anchor and caret
// are beat numbers, and the zoom is the number of beats one column shows.
class BeatSelection {
  public:
    virtual ~BeatSelection() = default;

    virtual std::uint32_t Anchor() const = 0;
    virtual std::uint32_t Caret() const = 0;
    virtual std::uint32_t Zoom() const = 0;  // at least 1
    virtual void Select(std::uint32_t anchor, std::uint32_t caret) = 0;

    std::uint32_t Start() const { return Anchor() < Caret() ? Anchor() : Caret(); }
    std::uint32_t End() const { return Anchor() < Caret() ? Caret() : Anchor(); }
};

// A selection with no view behind it, for kvs-cli and tests.
class PlainBeatSelection : public BeatSelection {
  public:
    std::uint32_t Anchor() const override { return anchor_; }
    std::uint32_t Caret() const override { return caret_; }
    std::uint32_t Zoom() const override { return zoom_; }
    void Select(std::uint32_t anchor, std::uint32_t caret) override {
        anchor_ = anchor;
        caret_ = caret;
    }
    void SetZoom(std::uint32_t beats) { zoom_ = beats == 0 ? 1 : beats; }

  private:
    std::uint32_t anchor_ = 0;
    std::uint32_t caret_ = 0;
    std::uint32_t zoom_ = 1;
};

}  // namespace kvs
