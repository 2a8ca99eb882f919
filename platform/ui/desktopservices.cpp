#include "platform/ui/desktopservices.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMetaObject>
#include <QString>
#include <QUrl>

#include <string>

#include "engine/framework/application.h"
#include "platform/core/systemservices.h"

namespace fw::ui {

namespace {

void beep() {
    // Only a widget application can sound the bell, and only on its own thread (queued from
    // any other).
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        QMetaObject::invokeMethod(
            app, [] { QApplication::beep(); }, Qt::AutoConnection);
}

void showURL(const std::string& url) {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr)
        return;  // no desktop session to hand it to
    const QUrl address(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size())));
    QMetaObject::invokeMethod(
        app, [address] { QDesktopServices::openUrl(address); }, Qt::AutoConnection);
}

}  // namespace

void installDesktopServices() {
    platform::setBeepHandler(beep);
    platform::setShowURLHandler(showURL);
    platform::setUnhandledExceptionHandler([](std::exception_ptr e) { UnhandledException(e); });
}

}  // namespace fw::ui
