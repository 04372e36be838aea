#pragma once

// The product version shown by the window and the command-line tool.
inline constexpr const char* kPagewrightVersion = "1.10";
