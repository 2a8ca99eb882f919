#include "engine/framework/userfolders.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

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
    const std::string path = Preferences()->NativePath();
    // Each folder from the top down; those that are there are left as they are.
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (!isFolder(folder) && mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return;
        if (slash == std::string::npos)
            return;
    }
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
