#include "settings/output_directory.h"

#include "platform/locations.h"
#include "settings/settings_keys.h"

#include <QCoreApplication>
#include <QDir>

namespace {

void Show(const ShowInBox& showInBox, const QString& text) {
    if (showInBox)
        showInBox(text);
}

} // namespace

OutputDirectoryDefaults OutputDirectoryDefaults::WellKnown() {
    return {DefaultOutputDirectory(), FallbackOutputDirectory()};
}

QString LoadOutputDirectory(IProfileStore& store, IDirectories& directories, const ShowInBox& showInBox) {
    return LoadOutputDirectory(store, directories, showInBox, OutputDirectoryDefaults::WellKnown());
}

QString LoadOutputDirectory(IProfileStore& store, IDirectories& directories, const ShowInBox& showInBox,
                            const OutputDirectoryDefaults& defaults) {
    const QString stored = store.ReadString(kSettingsSection, kOutPathKey, defaults.readDefault);
    Show(showInBox, stored);
    // Only the last component is ever made: a stored folder whose parent is gone is given up.
    if (EnsureOutputDirectory(directories, stored))
        return stored;

    // The fallback may exist already or be impossible to make; it is stored either way. A failed
    // write costs nothing: the next start falls back the same way.
    directories.CreateDirectory(defaults.fallback);
    (void)store.WriteString(kSettingsSection, kOutPathKey, defaults.fallback);
    Show(showInBox, defaults.fallback);
    return defaults.fallback;
}

bool EnsureOutputDirectory(IDirectories& directories, const QString& path) {
    return directories.DirectoryExists(path) || directories.CreateDirectory(path);
}

std::optional<QString> OnBrowse(IPrompts& prompts, IProfileStore& store, const ShowInBox& showInBox,
                                const QString& current) {
    const QString folder = prompts.PickFolder(QStringLiteral("Select output file path"), current);
    if (folder.isEmpty())
        return std::nullopt;
    if (folder.size() > kProfileValueMaxLength) {
        prompts.ShowMessage(
            QStringLiteral("The path of this folder is %1 characters long; the output directory "
                           "can have at most %2:\n\n%3\n\nThe output directory stays %4.")
                .arg(folder.size())
                .arg(kProfileValueMaxLength)
                .arg(folder, current),
            QCoreApplication::applicationName(), PromptIcon::Exclamation);
        return std::nullopt;
    }
    Show(showInBox, folder);
    if (const ProfileWriteResult stored = store.WriteString(kSettingsSection, kOutPathKey, folder); !stored)
        prompts.ShowMessage(QStringLiteral("The output directory could not be saved in the settings file "
                                           "%1: %2.\n\nPagewright uses %3 until it closes.")
                                .arg(QDir::toNativeSeparators(store.FilePath()), stored.reason, folder),
                            QCoreApplication::applicationName(), PromptIcon::Exclamation);
    return folder;
}
