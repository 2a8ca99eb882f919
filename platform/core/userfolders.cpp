#include "engine/framework/userfolders.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/core/paths.h"

namespace fw::SpecialFolder {

namespace {

// The home folder as bytes: $HOME, else the account's entry.
std::string homePath() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    if (const passwd* account = getpwuid(geteuid());
        account != nullptr && account->pw_dir != nullptr && account->pw_dir[0] == '/')
        return account->pw_dir;
    return "/";
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

void CreatePreferences() {
    // Quiet: a folder that cannot be made shows when its file is written.
    (void)paths::makePrivateFolders(Preferences()->NativePath());
}

FolderItemPtr Desktop() {
    const std::string desktop =
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation))
            .toStdString();
    return FolderItem::fromNativePath(isFolder(desktop) ? desktop : homePath());
}

FolderItemPtr Preferences() {
    // Only an absolute $XDG_CONFIG_HOME counts, as the base directory rules say.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
        return FolderItem::fromNativePath(config);
    const std::string home = homePath();
    return FolderItem::fromNativePath(home == "/" ? "/.config" : home + "/.config");
}

}  // namespace fw::SpecialFolder
