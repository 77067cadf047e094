#pragma once

#include <cstdint>
#include <string>

namespace kvs {

// 0 success; 0xFF000000 | n a program error n; anything else a system errno.
using ResultCode = std::uint32_t;
inline constexpr ResultCode kResultOk = 0;
inline constexpr ResultCode kErrCantLoad = 0xFF000001;      // "error_cantload"
inline constexpr ResultCode kErrInvalidFile = 0xFF000002;   // "error_invalidfile"

constexpr bool IsProgramError(ResultCode code) { return (code & 0xFF000000u) == 0xFF000000u; }
constexpr ResultCode ProgramError(std::uint32_t n) { return 0xFF000000u | n; }
ResultCode SystemError(int err);

// The English text of a result: the program's message, or the system's.
std::string ResultMessage(ResultCode code);

}  // namespace kvs
