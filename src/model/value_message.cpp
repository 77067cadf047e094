#include "model/value_message.h"

#include <algorithm>

#include "model/event.h"

namespace kvs {
namespace {

std::uint32_t Data7(std::int32_t value) {
    return static_cast<std::uint32_t>(std::clamp(value, 0, 127));
}

}  // namespace

std::uint32_t BuildValueMessage(std::uint32_t channel, std::uint32_t kind, std::int32_t value) {
    const std::uint32_t ch = channel & 0x0F;
    if (kind < 128) return (0xB0 | ch) | (kind << 8) | (Data7(value) << 16);
    switch (kind) {
        case kValueProgram:
            return (0xC0 | ch) | (Data7(value) << 8);
        case kValueAftertouch:
            return (0xD0 | ch) | (Data7(value) << 8);
        case kValuePitchBend: {
            const auto raw =
                static_cast<std::uint32_t>(std::clamp(value, kBendMin, kBendMax) + 8192);
            return (0xE0 | ch) | ((raw & 0x7F) << 8) | ((raw >> 7) << 16);
        }
        case kValueTempo:
            return EVT_TEMPO | (static_cast<std::uint32_t>(std::clamp(value, 10, 480)) << 8);
        case kValueTimeSig:
            return EVT_TIMESIG | (static_cast<std::uint32_t>(std::clamp(value, 1, 32)) << 8) |
                   (2u << 16);
        case kValueNote:
            return (0x90 | ch) | (Data7(value) << 8);
        default:
            return 0;
    }
}

std::uint32_t ValueKindOf(std::uint32_t message) {
    switch (Status(message) & 0xF0) {
        case 0xB0:
            return Data1(message) & 0x7F;
        case 0xC0:
            return kValueProgram;
        case 0xD0:
            return kValueAftertouch;
        case 0xE0:
            return kValuePitchBend;
        case 0x80:
        case 0x90:
            return kValueNote;
        case EVT_TEMPO:
            return kValueTempo;
        case EVT_TIMESIG:
            return kValueTimeSig;
        default:
            return kValueKindCount;
    }
}

std::int32_t MessageValue(std::uint32_t message) {
    switch (ValueKindOf(message)) {
        case kValueProgram:
        case kValueAftertouch:
        case kValueNote:
        case kValueTimeSig:
            return Data1(message);
        case kValuePitchBend:
            return BendValue(message);
        case kValueTempo:
            return static_cast<std::int32_t>(message >> 8);
        case kValueKindCount:
            return 0;
        default:
            return Data2(message);  // a controller
    }
}

}  // namespace kvs
