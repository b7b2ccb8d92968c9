#pragma once

// The console log (the platform's NSLog): one line on stderr per call, as
// `YYYY-MM-DD HH:MM:SS.mmm torvane[PID:TID] text`, and a `log` operation in the trace. Safe to
// call from any thread. Platform components prefix their own lines ("led: ...", "sound: ...").

#include <string_view>

namespace torvane::platform {

void consoleLog(std::string_view text);

} // namespace torvane::platform
