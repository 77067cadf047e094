#include "midi/midi_assignment.h"

#include <algorithm>

#include "model/event.h"
#include "model/value_message.h"

namespace kvs {
namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

std::uint16_t ValidTarget(std::uint16_t target) {
    return target < 128 || target == kBendTargetAftertouch ? target : kBendTargetPitchBend;
}

std::uint16_t ValidLevel(std::uint16_t level) {
    return std::min<std::uint16_t>(level, 2);
}

std::uint16_t ValidController(std::uint16_t number) {
    return std::min<std::uint16_t>(number, 127);
}

std::uint32_t WithData(std::uint32_t status, std::int64_t d1, std::int64_t d2) {
    return status | (static_cast<std::uint32_t>(d1) << 8) | (static_cast<std::uint32_t>(d2) << 16);
}

}  // namespace

std::int32_t BendLevelValue(std::uint16_t level) {
    static constexpr std::int32_t kLevels[] = {0, 64, 127};
    return kLevels[ValidLevel(level)];
}

void MidiAssignment::Set(const MidiAssignSettings& s) {
    keyTranspose_.store(s.keyTranspose, kRelaxed);
    velocityPercent_.store(s.velocityPercent, kRelaxed);
    velocityOffset_.store(s.velocityOffset, kRelaxed);
    controllerFrom_.store(ValidController(s.controllerFrom), kRelaxed);
    controllerTo_.store(ValidController(s.controllerTo), kRelaxed);
    bendUpTarget_.store(ValidTarget(s.bendUpTarget), kRelaxed);
    bendUpMax_.store(ValidLevel(s.bendUpMax), kRelaxed);
    bendUpMin_.store(ValidLevel(s.bendUpMin), kRelaxed);
    bendDownTarget_.store(ValidTarget(s.bendDownTarget), kRelaxed);
    bendDownMax_.store(ValidLevel(s.bendDownMax), kRelaxed);
    bendDownMin_.store(ValidLevel(s.bendDownMin), kRelaxed);
}

MidiAssignSettings MidiAssignment::Get() const {
    MidiAssignSettings s;
    s.keyTranspose = keyTranspose_.load(kRelaxed);
    s.velocityPercent = velocityPercent_.load(kRelaxed);
    s.velocityOffset = velocityOffset_.load(kRelaxed);
    s.controllerFrom = controllerFrom_.load(kRelaxed);
    s.controllerTo = controllerTo_.load(kRelaxed);
    s.bendUpTarget = bendUpTarget_.load(kRelaxed);
    s.bendUpMax = bendUpMax_.load(kRelaxed);
    s.bendUpMin = bendUpMin_.load(kRelaxed);
    s.bendDownTarget = bendDownTarget_.load(kRelaxed);
    s.bendDownMax = bendDownMax_.load(kRelaxed);
    s.bendDownMin = bendDownMin_.load(kRelaxed);
    return s;
}

std::uint32_t MidiAssignment::Apply(std::uint32_t message) {
    const std::uint32_t status = Status(message);
    const std::uint32_t channel = Channel(message);
    // 64-bit sums: the settings file may hold any 32-bit transpose or scale.
    auto transposed = [&] {
        return std::clamp<std::int64_t>(std::int64_t{Data1(message)} + keyTranspose_.load(kRelaxed),
                                        0, 127);
    };
    switch (status & 0xF0) {
        case 0x80:
            return WithData(status, transposed(), Data2(message));
        case 0x90: {
            const std::int64_t key = transposed();
            const std::int64_t velocity = Data2(message);
            if (velocity == 0) return WithData(0x80 | channel, key, 64);
            const std::int64_t scaled =
                velocityOffset_.load(kRelaxed) +
                (std::int64_t{velocityPercent_.load(kRelaxed)} * velocity) / 100;
            return WithData(status, key, std::clamp<std::int64_t>(scaled, 1, 127));
        }
        case 0xB0:
            if (Data1(message) == controllerFrom_.load(kRelaxed))
                return WithData(status, controllerTo_.load(kRelaxed), Data2(message));
            return message;
        case 0xE0:
            return ApplyBend(message);
        default:
            return message;
    }
}

std::uint32_t MidiAssignment::ApplyBend(std::uint32_t message) {
    const std::uint32_t channel = Channel(message);
    const std::int32_t last = lastBend_.load(kRelaxed);
    std::int32_t b = std::max(BendValue(message), -kBendMax);  // both halves span 8191
    std::uint32_t out = message;
    // A crossing drops the position on the new side: that message only
    // returns the side left behind to its minimum.
    if ((b > 0 && last < 0) || (b < 0 && last > 0)) b = 0;
    if (b > 0) {
        const std::uint16_t target = bendUpTarget_.load(kRelaxed);
        if (target != kBendTargetPitchBend) {
            const std::int32_t lo = BendLevelValue(bendUpMin_.load(kRelaxed));
            const std::int32_t hi = BendLevelValue(bendUpMax_.load(kRelaxed));
            out = BuildValueMessage(channel, target, lo + ((hi - lo) * b) / kBendMax);
        }
    } else if (b < 0) {
        const std::uint16_t target = bendDownTarget_.load(kRelaxed);
        if (target != kBendTargetPitchBend) {
            const std::int32_t lo = BendLevelValue(bendDownMin_.load(kRelaxed));
            const std::int32_t hi = BendLevelValue(bendDownMax_.load(kRelaxed));
            out = BuildValueMessage(channel, target, lo - ((hi - lo) * b) / kBendMax);
        }
    } else if (last != 0) {
        const bool up = last > 0;
        const std::uint16_t target = (up ? bendUpTarget_ : bendDownTarget_).load(kRelaxed);
        // An unassigned half goes back to a centred wheel; its Min and Max
        // are not offered and must not leave the pitch off centre.
        const std::int32_t level =
            target == kBendTargetPitchBend
                ? 0
                : BendLevelValue((up ? bendUpMin_ : bendDownMin_).load(kRelaxed));
        out = BuildValueMessage(channel, target, level);
    }
    lastBend_.store(b, kRelaxed);
    return out;
}

}  // namespace kvs
