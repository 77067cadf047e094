#include "model/property_fields.h"

#include <algorithm>

#include "model/form_number.h"

namespace kvs {
namespace {

constexpr std::int32_t kMaxBank = 16383;

std::uint8_t ControllerOf(PropertyField field) {
    switch (field) {
        case PropertyField::Volume:
            return 7;
        case PropertyField::Pan:
            return 10;
        case PropertyField::Reverb:
            return 91;
        default:
            return 93;
    }
}

std::optional<PropertyField> FieldOfController(std::uint8_t number) {
    switch (number) {
        case 7:
            return PropertyField::Volume;
        case 10:
            return PropertyField::Pan;
        case 91:
            return PropertyField::Reverb;
        case 93:
            return PropertyField::Chorus;
        default:
            return std::nullopt;
    }
}

}  // namespace

PropertyFieldSet::PropertyFieldSet(const InstrumentSource* instruments, PropertyOutput* output,
                                   bool live)
    : instruments_(instruments), output_(output), live_(live) {
    texts_.fill("-1");
}

std::size_t PropertyFieldSet::MaxChars(PropertyField field) {
    return field == PropertyField::Bank ? 5 : 3;
}

std::int32_t PropertyFieldSet::MaxValue(PropertyField field) {
    return field == PropertyField::Bank ? kMaxBank : 127;
}

void PropertyFieldSet::Load(const PropertyValues& values) {
    const std::array<std::int16_t, kPropertyFieldCount> v = {
        values.program, values.bank, values.volume, values.pan, values.reverb, values.chorus};
    for (std::size_t i = 0; i < kPropertyFieldCount; ++i) {
        texts_[i] = std::to_string(v[i]);
        changed_[i] = false;
    }
    FollowInstrument();
}

void PropertyFieldSet::SetTarget(std::uint32_t port, std::uint16_t channel) {
    port_ = port;
    channel_ = channel;
    choices_.clear();
    instrumentsEnabled_ = false;
    if (instruments_ != nullptr) {
        if (auto choices = instruments_->Choices(port, channel)) {
            choices_ = std::move(*choices);
            instrumentsEnabled_ = true;
        }
    }
    FollowInstrument();
}

void PropertyFieldSet::SetText(PropertyField field, std::string_view text) {
    std::string cut(CutField(text, MaxChars(field)));
    if (cut != texts_[Index(field)]) changed_[Index(field)] = true;
    texts_[Index(field)] = std::move(cut);
}

void PropertyFieldSet::Leave(PropertyField field) {
    if (changed_[Index(field)]) Commit(field);
}

void PropertyFieldSet::Spin(PropertyField field, int steps) {
    Store(field, Current(field) + steps);
    Commit(field);
}

bool PropertyFieldSet::MidiIn(std::uint32_t message) {
    const std::uint8_t kind = message & 0xF0;
    const std::int32_t d1 = (message >> 8) & 0x7F;
    const std::int32_t d2 = (message >> 16) & 0x7F;
    if (kind == 0xC0) {
        Store(PropertyField::Program, d1);
        Commit(PropertyField::Program);
        return true;
    }
    if (kind != 0xB0) return false;
    if (d1 == 0 || d1 == 32) {
        // The other half of the bank is kept only from a valid bank.
        const std::int32_t bank = Current(PropertyField::Bank);
        const std::int32_t old = bank >= 0 ? bank : 0;
        Store(PropertyField::Bank, d1 == 0 ? (d2 << 7) | (old & 0x7F) : (old & 0x3F80) | d2);
        Commit(PropertyField::Bank);
        return true;
    }
    const std::optional<PropertyField> field = FieldOfController(static_cast<std::uint8_t>(d1));
    if (!field) return false;
    Store(*field, d2);
    Commit(*field);
    return true;
}

std::vector<std::string> PropertyFieldSet::InstrumentItems() const {
    std::vector<std::string> items(1);
    for (const InstrumentChoice& choice : choices_)
        items.push_back(choice.name);
    return items;
}

void PropertyFieldSet::ChooseInstrument(int index) {
    if (!instrumentsEnabled_ || index < 0 || static_cast<std::size_t>(index) > choices_.size())
        return;
    if (index == 0) {
        Store(PropertyField::Program, -1);
        Store(PropertyField::Bank, -1);
    } else {
        const InstrumentChoice& choice = choices_[static_cast<std::size_t>(index) - 1];
        Store(PropertyField::Program, choice.program);
        Store(PropertyField::Bank, choice.bank);
    }
    changed_[Index(PropertyField::Program)] = false;
    changed_[Index(PropertyField::Bank)] = false;
    instrumentIndex_ = index;
    Send(Current(PropertyField::Bank) >= 0 ? PropertyField::Bank : PropertyField::Program);
}

PropertyValues PropertyFieldSet::Values() const {
    std::array<std::int16_t, kPropertyFieldCount> v{};
    for (std::size_t i = 0; i < kPropertyFieldCount; ++i) {
        const auto field = static_cast<PropertyField>(i);
        const std::optional<std::int64_t> n = ReadUnsignedField(texts_[i]);
        // A number typed without leaving the field has not been clamped yet.
        v[i] = n ? static_cast<std::int16_t>(std::min<std::int64_t>(*n, MaxValue(field))) : -1;
    }
    return PropertyValues{v[0], v[1], v[2], v[3], v[4], v[5]};
}

std::int32_t PropertyFieldSet::Current(PropertyField field) const {
    const std::optional<std::int64_t> n = ReadSignedField(texts_[Index(field)]);
    if (!n) return -1;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(*n, -1, MaxValue(field)));
}

void PropertyFieldSet::Store(PropertyField field, std::int32_t value) {
    texts_[Index(field)] = std::to_string(std::clamp(value, -1, MaxValue(field)));
}

void PropertyFieldSet::Commit(PropertyField field) {
    changed_[Index(field)] = false;
    Store(field, Current(field));
    if (field == PropertyField::Program || field == PropertyField::Bank) FollowInstrument();
    Send(field);
}

void PropertyFieldSet::FollowInstrument() {
    instrumentIndex_ = 0;
    const std::int32_t program = Current(PropertyField::Program);
    const std::int32_t bank = Current(PropertyField::Bank);
    for (std::size_t i = 0; i < choices_.size(); ++i) {
        if (choices_[i].program == program && choices_[i].bank == bank) {
            instrumentIndex_ = static_cast<int>(i) + 1;
            return;
        }
    }
}

void PropertyFieldSet::Send(PropertyField field) {
    if (!live_ || output_ == nullptr || channel_ > 15) return;
    const std::uint8_t channel = static_cast<std::uint8_t>(channel_);
    const std::int32_t value = Current(field);
    if (value < 0) return;
    const std::uint8_t cc = 0xB0 | channel;
    switch (field) {
        case PropertyField::Bank: {
            output_->SendShort(PackMessage(cc, 0, static_cast<std::uint8_t>(value >> 7)), port_);
            output_->SendShort(PackMessage(cc, 32, static_cast<std::uint8_t>(value & 0x7F)), port_);
            Send(PropertyField::Program);
            break;
        }
        case PropertyField::Program:
            output_->SendShort(PackMessage(0xC0 | channel, static_cast<std::uint8_t>(value)),
                               port_);
            break;
        default:
            output_->SendShort(
                PackMessage(cc, ControllerOf(field), static_cast<std::uint8_t>(value)), port_);
            break;
    }
}

}  // namespace kvs
