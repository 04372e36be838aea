#pragma once

#include "platform/directories.h"
#include "platform/profile_store.h"
#include "platform/prompts.h"

#include <QString>

#include <functional>
#include <optional>

// The two flows that set the output directory: loading it at start-up and choosing a new one. Both
// show their result through `showInBox`, which puts the text into the window's output-directory
// box; an empty function shows nothing.

using ShowInBox = std::function<void(const QString&)>;

// The folders LoadOutputDirectory falls back on.
struct OutputDirectoryDefaults {
    QString readDefault; // used when "Out Path" is not stored
    QString fallback;    // created and stored when the stored folder neither exists nor can be made

    // DefaultOutputDirectory() and FallbackOutputDirectory().
    static OutputDirectoryDefaults WellKnown();
};

// Reads "Out Path" (the read default when missing) and shows it. An existing folder, or one whose last
// component can be created, is kept and nothing is written. Otherwise the fallback folder is created
// (its failure ignored), stored as "Out Path" and shown. Returns what the box shows last.
QString LoadOutputDirectory(IProfileStore& store, IDirectories& directories, const ShowInBox& showInBox);
QString LoadOutputDirectory(IProfileStore& store, IDirectories& directories, const ShowInBox& showInBox,
                            const OutputDirectoryDefaults& defaults);

// Makes sure the output folder exists as start-up does: an existing folder is kept, a missing last
// component is created; nothing further up is made and nothing is stored. True when it is a folder.
bool EnsureOutputDirectory(IDirectories& directories, const QString& path);

// Asks for a folder with the title "Select output file path", opening the picker at `current` (the
// folder in the box). A chosen folder is shown, then stored as "Out Path", and returned. Cancelled
// (or no file-system path): nothing changes, nothing returned. A folder whose path is longer than
// the store reads back (kProfileValueMaxLength) is refused with a message that says why: the next
// start would otherwise take a cut path. A folder that the store cannot keep is still returned, for
// this run, and a message names the settings file and the reason.
std::optional<QString> OnBrowse(IPrompts& prompts, IProfileStore& store, const ShowInBox& showInBox,
                                const QString& current = {});
