#include "ui/command_line.h"

#include <cctype>

#include "config/prompt_table.h"
#include "config/recent_files.h"

namespace kvs {
namespace {

std::uint32_t OptionFlag(char letter) {
    switch (std::tolower(static_cast<unsigned char>(letter))) {
        case '?':
            return cmdline::Help;
        case 'f':
            return cmdline::NoHandOver;
        case 'o':
            return cmdline::TestPrompts;
        case 'p':
            return cmdline::Play;
        case 'q':
            return cmdline::Quit;
        case 'r':
            return cmdline::Register;
        default:
            return 0;
    }
}

// "/" also starts every absolute path, so a word is taken for options only
// when it is "-" anything, or "/" followed by option-like letters alone
// ("/p", "/pq") or in one-letter steps ("/p/q"). "/home/me/song.mid" is a
// file; so is any name with a dot or a longer folder step.
bool LooksLikeOptions(const std::string& word) {
    if (word.size() < 2) return false;
    if (word[0] == '-') return true;
    if (word[0] != '/') return false;
    const auto optionChar = [](char c) {
        return c == '?' || std::isalpha(static_cast<unsigned char>(c)) != 0;
    };
    bool singleSteps = true;  // "/p/q"
    bool oneRun = true;       // "/pq"
    for (std::size_t i = 1; i < word.size(); ++i) {
        const bool slotIsLetter = (i % 2) == 1;
        if (slotIsLetter ? !optionChar(word[i]) : word[i] != '/') singleSteps = false;
        if (!optionChar(word[i])) oneRun = false;
    }
    return singleSteps || oneRun;
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string> words, std::string_view workingFolder) {
    CommandLine line;
    for (const std::string& word : words) {
        if (word == "--help" || word == "-h" || word == "-H") {
            line.printHelp = true;
            continue;
        }
        if (word == "--version") {
            line.printVersion = true;
            continue;
        }
        if (word.empty()) continue;
        if (LooksLikeOptions(word)) {
            // One letter per word: "/pq" and "/p/q" are errors.
            const std::uint32_t flag = word.size() == 2 ? OptionFlag(word[1]) : 0;
            if (flag == 0) {
                line.flags |= cmdline::Error;
                break;
            }
            line.flags |= flag;
            continue;
        }
        if (!line.file.empty()) {
            line.flags |= cmdline::Error;
            break;
        }
        line.file = FullPath(word, workingFolder);
    }
    if (line.Has(cmdline::Error)) line.file.clear();
    return line;
}

CommandLineHelp CommandLineHelpTexts(const PromptTable& prompts) {
    auto t = [&](prompt::Id id) { return std::string(prompts.Text(id)); };
    CommandLineHelp help;
    help.title = t(prompt::cmdline_title);
    help.description = t(prompt::cmdline_descrip);
    help.syntax = "KVS [/O] [/P] [/Q] [/R] [/?] [" + t(prompt::cmdline_file) + "]";
    help.table = t(prompt::cmdline_file) + "\t" + t(prompt::cmdline_filedoes) + "\n/O\t" +
                 t(prompt::cmdline_oflagdoes) + "\n/P\t" + t(prompt::cmdline_pflagdoes) + "\n/Q\t" +
                 t(prompt::cmdline_qflagdoes) + "\n/R\t" + t(prompt::cmdline_rflagdoes) + "\n/?\t" +
                 t(prompt::cmdline_questflagdoes) + "\n" + t(prompt::cmdline_paramsopt);
    return help;
}

std::string CommandLineUsage(const PromptTable& prompts) {
    const CommandLineHelp help = CommandLineHelpTexts(prompts);
    return help.description + "\n\n  " + help.syntax + "\n\n" + help.table + "\n";
}

}  // namespace kvs
