#include "engine/framework/system.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <unistd.h>

#include <iostream>
#include <mutex>
#include <vector>

#include "engine/framework/exceptions.h"
#include "platform/core/systemservices.h"

namespace fw {

namespace {

std::mutex handlerMutex;
std::function<void(const std::string&)> showURLHandler;
std::function<void()> beepHandler;
std::function<std::string(const std::string&, const std::string&, const std::string&)>
    localizedStringHandler;
std::function<void(std::exception_ptr)> unhandledExceptionHandler;

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
    if (const auto handler = handlerCopy(beepHandler))
        handler();
}

void ShowURL(const std::string& url) {
    if (const auto handler = handlerCopy(showURLHandler))
        handler(url);
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

namespace platform {

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

void setUnhandledExceptionHandler(std::function<void(std::exception_ptr)> handler) {
    std::lock_guard lock(handlerMutex);
    unhandledExceptionHandler = std::move(handler);
}

std::function<void(const std::string&)> currentShowURLHandler() {
    return handlerCopy(showURLHandler);
}

std::function<void()> currentBeepHandler() {
    return handlerCopy(beepHandler);
}

std::function<std::string(const std::string&, const std::string&, const std::string&)>
currentLocalizedStringHandler() {
    return handlerCopy(localizedStringHandler);
}

void reportUnhandledException(std::exception_ptr e) {
    if (const auto handler = handlerCopy(unhandledExceptionHandler)) {
        handler(e);
        return;
    }
    try {
        if (e)
            std::rethrow_exception(e);
        std::cerr << "vimbel: unhandled exception: unknown failure" << std::endl;
    } catch (const std::exception& caught) {
        std::cerr << "vimbel: unhandled exception: " << caught.what() << std::endl;
    } catch (...) {
        std::cerr << "vimbel: unhandled exception: an exception of unknown type" << std::endl;
    }
}

}  // namespace platform

}  // namespace fw
