#pragma once

#include <string>
#include <string_view>

namespace pagewright::cli {

// `text` made safe to print on a terminal: control characters (C0, DEL and the C1 range, raw or as
// UTF-8) and bytes that are not UTF-8 become visible escapes ("\n", "\t", "\x1B", "\u009B"), so a
// name cannot move the cursor, clear the screen or retitle the window. Any other UTF-8 text is kept
// as it is, backslashes included (they separate Windows paths).
std::string ForTerminal(std::string_view text);

} // namespace pagewright::cli
