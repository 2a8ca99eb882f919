#include "engine/framework/system.h"

#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QMetaObject>
#include <QString>
#include <QUrl>

#include <unistd.h>

#include <mutex>
#include <vector>

#include "engine/framework/exceptions.h"

namespace fw {

namespace {

std::mutex handlerMutex;
std::function<void(const std::string&)> showURLHandler;
std::function<void()> beepHandler;
std::function<std::string(const std::string&, const std::string&, const std::string&)>
    localizedStringHandler;

template <typename Handler>
Handler handlerCopy(const Handler& handler) {
    std::lock_guard lock(handlerMutex);
    return handler;
}

std::string executableFolder() {
    if (QCoreApplication::instance() != nullptr)
        return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    std::vector<char> buffer(4096);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size())
        return "/";
    std::string path(buffer.data(), static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

}  // namespace

void Beep() {
    if (const auto handler = handlerCopy(beepHandler)) {
        handler();
        return;
    }
    // Only a widget application can sound the bell, and only on its own thread (queued from
    // any other).
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        QMetaObject::invokeMethod(
            app, [] { QApplication::beep(); }, Qt::AutoConnection);
}

void ShowURL(const std::string& url) {
    if (const auto handler = handlerCopy(showURLHandler)) {
        handler(url);
        return;
    }
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr)
        return;  // no desktop session to hand it to
    const QUrl address(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size())));
    QMetaObject::invokeMethod(
        app, [address] { QDesktopServices::openUrl(address); }, Qt::AutoConnection);
}

std::string GetLocalizedString(const std::string& key, const std::string& english,
                               const std::string& language) {
    if (const auto handler = handlerCopy(localizedStringHandler))
        return handler(key, english, language);
    // No translations ship with the program: every language reads the English text.
    return english;
}

FolderItemPtr GetFolderItem(const std::string& path, int kind) {
    if (kind != 0)
        throw UnsupportedOperationException("Unknown path kind " + std::to_string(kind));
    if (path.empty())
        return FolderItem::fromNativePath(executableFolder());
    // A relative path is taken from the current folder.
    return FolderItem::fromNativePath(path);
}

namespace testing {

void setShowURLHandler(std::function<void(const std::string&)> handler) {
    std::lock_guard lock(handlerMutex);
    showURLHandler = std::move(handler);
}

void setBeepHandler(std::function<void()> handler) {
    std::lock_guard lock(handlerMutex);
    beepHandler = std::move(handler);
}

void setLocalizedStringHandler(
    std::function<std::string(const std::string&, const std::string&, const std::string&)>
        handler) {
    std::lock_guard lock(handlerMutex);
    localizedStringHandler = std::move(handler);
}

}  // namespace testing

}  // namespace fw
