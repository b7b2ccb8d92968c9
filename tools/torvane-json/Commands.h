#pragma once

// The subcommands of torvane-json. Each takes the whole input and returns the exit status:
// 0 done, 1 the reader or the writer refused the input (reported on stdout or stderr as the
// README describes).

#include <string_view>

namespace torvane::tool {

enum class ReadAs { Any, Dictionary, Array };

int readCommand(std::string_view input, ReadAs as);
int writeCommand(std::string_view input);

} // namespace torvane::tool
