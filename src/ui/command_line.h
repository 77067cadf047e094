#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kvs {

class PromptTable;

namespace cmdline {
inline constexpr std::uint32_t Play = 0x0001;         // /P
inline constexpr std::uint32_t Quit = 0x0002;         // /Q: close when playback stops
inline constexpr std::uint32_t Help = 0x0004;         // /?
inline constexpr std::uint32_t Register = 0x0008;     // /R
inline constexpr std::uint32_t TestPrompts = 0x0010;  // /O
inline constexpr std::uint32_t NoHandOver = 0x0020;   // /F
inline constexpr std::uint32_t Error = 0x8000;
}  // namespace cmdline

struct CommandLine {
    std::uint32_t flags = 0;
    std::string file;  // absolute; empty for none
    // "--help"/"-h" and "--version": the caller prints and exits 0 before
    // any window exists.
    bool printHelp = false;
    bool printVersion = false;
    bool Has(std::uint32_t flag) const { return (flags & flag) != 0; }
};

// Each argv word is one token, so a name with spaces is one file name.
// Options start with "/" or "-", one letter each, case-insensitive; "/pq"
// is an error, as are a second file name and an unknown letter. A relative
// file name is made absolute against workingFolder.
CommandLine ParseCommandLine(std::span<const std::string> words, std::string_view workingFolder);

inline constexpr std::string_view kProgramVersion = "1.57";

// The command-line help box's texts.
struct CommandLineHelp {
    std::string title;
    std::string description;
    std::string syntax;
    std::string table;  // tab-separated rows, "\n" between them
};
CommandLineHelp CommandLineHelpTexts(const PromptTable& prompts);
// The same as plain text for standard output.
std::string CommandLineUsage(const PromptTable& prompts);

}  // namespace kvs
