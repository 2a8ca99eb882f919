#include "platform/ui/uisupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>

#include "engine/framework/application.h"
#include "engine/framework/eventloop.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/namecase.h"

namespace fw::ui {

void requireMainThread() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        if (!fw::isMainThread())
            throw ThreadAccessingUIException();
        throw RuntimeException("The user interface has not been initialised");
    }
    if (!fw::isMainThread())
        throw ThreadAccessingUIException();
}

void runGuarded(const std::function<void()>& code) {
    try {
        code();
    } catch (...) {
        UnhandledException(std::current_exception());
    }
}

QString withNewlines(const std::string& text) {
    QString s = toQt(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QIcon applicationIcon() {
    QIcon icon;
    const QString folder = QStringLiteral(":/icons");
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
        icon.addFile(folder + QLatin1Char('/') + name);
    return icon;
}

QString systemFamily() {
    // Looked up once: the family does not change while the program runs.
    static const QString family = [] {
        const QString wanted = QStringLiteral("DejaVu Sans");
        return QFontDatabase::hasFamily(wanted) ? wanted : QApplication::font().family();
    }();
    return family;
}

QFont fontFor(const std::string& name, double size, bool bold, bool italic, bool underline) {
    QFont font = QApplication::font();
    font.setFamily(name.empty() || fw::equalsIgnoringCase(name, "System") ? systemFamily()
                                                                          : toQt(name));
    // Sizes are taken as pixels: the layouts were made for a screen where a size-12 caption fits
    // a 16-pixel-high label.
    const int pixels = size > 0 ? static_cast<int>(size + 0.5) : standardPixelSize;
    font.setPixelSize(pixels > 0 ? pixels : standardPixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

}  // namespace fw::ui
