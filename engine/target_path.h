#pragma once

#include <string>
#include <string_view>

// The target path rule: where the text of a source PDF goes.
//
// The output directory, one separator, then the source's file name with its extension replaced by
// ".txt". Only the file name is looked at: a dot in a folder name is ignored, and a name without a
// dot gets ".txt" appended ("README" gives "README.txt"). The output directory is used exactly as
// given, so a trailing separator doubles. The rule works on the code units of any encoding in which
// '.', '/' and '\' are single ASCII units (UTF-8, UTF-16).

enum class PathStyle {
    Posix,   // "/" separates and joins
    Windows, // "\" and "/" separate, "\" joins; a drive ("C:") before a bare name is no part of it
    Native,  // the style of the platform the program was built for
};

std::string MakeTargetPath(std::string_view source, std::string_view outputDirectory,
                           PathStyle style = PathStyle::Native);
std::u16string MakeTargetPath(std::u16string_view source, std::u16string_view outputDirectory,
                              PathStyle style = PathStyle::Native);

// Whether two paths name the same job: the same row of the window's job list, or the same target of
// the command-line tool. Two paths are the same job when their keys are equal. The key is the whole
// path, compared as the platform's file system compares names: ASCII letters without regard to case
// in the Windows style, exactly in the POSIX style. No other folding and no resolving of links or
// "..": the paths are compared as written.
std::string JobPathKey(std::string_view path, PathStyle style = PathStyle::Native);
std::u16string JobPathKey(std::u16string_view path, PathStyle style = PathStyle::Native);
