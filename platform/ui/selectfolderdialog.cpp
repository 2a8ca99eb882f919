#include "engine/framework/selectfolderdialog.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QSettings>

#include <mutex>

#include "platform/ui/uisupport.h"

namespace fw {

namespace {

std::mutex responderMutex;
std::function<FolderItemPtr()> testResponder;

// Qt's file dialog keeps its history in Qt's own settings file in the user's configuration folder
// (QtProject.conf), written whichever dialog was shown. The program writes nothing there but its
// preferences, so Qt's per-user settings are sent where no file can ever be made: "/dev/null" is
// no folder, for root neither. The program itself keeps no settings through Qt.
void keepQtSettingsInMemory() {
    static const bool done = [] {
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
        return true;
    }();
    (void)done;
}

}  // namespace

FolderItemPtr SelectFolderDialog::ShowModal() {
    ui::requireMainThread();
    std::function<FolderItemPtr()> responder;
    {
        std::lock_guard lock(responderMutex);
        responder = testResponder;
    }
    if (responder)
        return responder();
    keepQtSettingsInMemory();
    // The desktop's own dialog where the platform theme offers one (GTK, KDE, the portal), else
    // Qt's.
    const QString path = QFileDialog::getExistingDirectory(QApplication::activeWindow());
    if (path.isEmpty())
        return nullptr;  // cancelled
    return FolderItem::fromNativePath(QFile::encodeName(path).toStdString());
}

void SelectFolderDialog::setTestResponder(std::function<FolderItemPtr()> responder) {
    std::lock_guard lock(responderMutex);
    testResponder = std::move(responder);
}

}  // namespace fw
