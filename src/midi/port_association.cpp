#include "midi/port_association.h"

namespace kvs {

ChoosePortForm::ChoosePortForm(const MidiDeviceTable& table, std::string_view fileName,
                               std::uint16_t defaultPort)
    : fileName_(fileName), defaultPort_(defaultPort) {
    const auto& outputs = table.Outputs();
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (!outputs[i].enabled) continue;
        const auto port = static_cast<std::uint16_t>(i);
        if (port == defaultPort) selection_ = static_cast<int>(items_.size());
        items_.push_back({outputs[i].friendlyName, port});
    }
}

std::string ChoosePortForm::Text() const {
    return FormatPromptText(kChoosePortText, fileName_);
}

void ChoosePortForm::Select(int item) {
    selection_ = item >= 0 && static_cast<std::size_t>(item) < items_.size() ? item : -1;
}

std::uint16_t ChoosePortForm::ChosenPort() const {
    return selection_ < 0 ? defaultPort_ : items_[static_cast<std::size_t>(selection_)].port;
}

std::optional<std::uint16_t> ResolvePortName(const PortResolveContext& context,
                                             std::string_view name) {
    MidiDeviceTable& table = context.table;
    const auto& outputs = table.Outputs();
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (outputs[i].enabled && outputs[i].systemName == name)
            return static_cast<std::uint16_t>(i);
    }
    for (const PortAlias& alias : table.Aliases()) {
        if (alias.name == name && table.IsOutputEnabled(alias.device)) return alias.device;
    }
    if (context.scanInit == kSilentScanInit || context.question == nullptr) return std::nullopt;

    ChoosePortForm form(table, name, context.defaultPort);
    if (!context.question->Ask(form)) return std::nullopt;
    const std::uint16_t port = form.ChosenPort();
    // A file whose alias cannot be written still loads with the port chosen.
    if (form.Remember()) table.AddPortAlias(context.store, name, port);
    return port;
}

std::function<std::optional<std::uint16_t>(std::string_view)> MakePortResolver(
    const LoadOptions& options, MidiDeviceTable& table, ProfileStore& store,
    PortQuestion* question) {
    const PortResolveContext context{table, store, question, options.scanInit, options.defaultPort};
    return [context](std::string_view name) { return ResolvePortName(context, name); };
}

}  // namespace kvs
