#include "engine/framework/selectfolderdialog.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>

#include <mutex>

#include "platform/ui/uisupport.h"

namespace fw {

namespace {

std::mutex responderMutex;
std::function<FolderItemPtr()> testResponder;

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
