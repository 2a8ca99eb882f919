#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>

#include "engine/framework/controls.h"
#include "engine/framework/exceptions.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/uisupport.h"

namespace fw {

namespace {

// QTextBrowser's own history (Alt+Left, Alt+Right, Alt+Up) would change the page without asking
// CancelLoad or raising DocumentBegin, leaving the stored address stale: it goes nowhere here.
class HistorylessBrowser : public QTextBrowser {
public:
    void backward() override {}
    void forward() override {}
    void home() override {}
};

// A page viewer over QTextBrowser. It never follows a link by itself: every navigation, the
// first page included, passes CancelLoad and DocumentBegin first.
struct HTMLViewerImpl : Control::Impl {
    HTMLViewerImpl() {
        browser = new HistorylessBrowser();
        browser->setOpenLinks(false);
        browser->setOpenExternalLinks(false);
        browser->setReadOnly(true);
        attach(browser);
        QObject::connect(browser, &QTextBrowser::anchorClicked, browser, [this](const QUrl& link) {
            const QUrl target = current.isValid() ? current.resolved(link) : link;
            ui::runGuarded([&] { navigate(target); });
        });
    }

    [[nodiscard]] static std::string addressOf(const QUrl& url) {
        return ui::fromQt(url.toString());
    }

    void navigate(const QUrl& url) {
        auto& viewer = static_cast<HTMLViewer&>(*owner);
        const std::string target = addressOf(url);
        if (viewer.CancelLoad.raise(viewer, target))
            return;
        viewer.DocumentBegin.raise(viewer, target);
        show(url);
    }

    // What cannot be read (a missing file, an address of another kind) shows an empty page.
    void show(const QUrl& url) {
        current = url;
        address = addressOf(url);
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile() &&
            QFile(url.toLocalFile()).open(QIODevice::ReadOnly)) {
            browser->setSource(url, QTextDocument::HtmlResource);
        } else {
            browser->setSource(QUrl());
            browser->clear();
        }
        // Nothing to go back to, should anything still reach the browser's history.
        browser->clearHistory();
    }

    [[nodiscard]] bool servesMenuItem(const std::string& name) const override {
        return name == "editclear" || name == "editcopy" || name == "editcut" ||
               name == "editpaste" || name == "editselectall";
    }
    // The page is read-only: only copying and selecting apply to it.
    [[nodiscard]] bool menuItemEnabled(const std::string& name) const override {
        return name == "editcopy" || name == "editselectall";
    }
    bool runMenuItem(const std::string& name) override {
        auto& viewer = static_cast<HTMLViewer&>(*owner);
        if (name == "editclear")
            return viewer.EditClear();
        if (name == "editcopy")
            return viewer.EditCopy();
        if (name == "editcut")
            return viewer.EditCut();
        if (name == "editpaste")
            return viewer.EditPaste();
        if (name == "editselectall")
            return viewer.EditSelectAll();
        return false;
    }

    QTextBrowser* browser;
    QUrl current;
    std::string address;
};

HTMLViewerImpl& dataOf(const HTMLViewer& v) {
    return static_cast<HTMLViewerImpl&>(v.impl());
}

}  // namespace

HTMLViewer::HTMLViewer() : Control(std::make_unique<HTMLViewerImpl>()) {}

void HTMLViewer::LoadPage(const FolderItemPtr& file) {
    ui::requireMainThread();
    if (!file)
        throw NilObjectException("LoadPage with a nil file");
    const QString path = QFile::decodeName(file->NativePath().c_str());
    dataOf(*this).navigate(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

std::string HTMLViewer::currentAddress() const {
    ui::requireMainThread();
    return dataOf(*this).address;
}

std::string HTMLViewer::plainText() const {
    ui::requireMainThread();
    return ui::fromQt(dataOf(*this).browser->toPlainText());
}

bool HTMLViewer::EditClear() {
    ui::requireMainThread();
    return false;
}

bool HTMLViewer::EditCopy() {
    ui::requireMainThread();
    dataOf(*this).browser->copy();
    return true;
}

bool HTMLViewer::EditCut() {
    ui::requireMainThread();
    QTextBrowser* b = dataOf(*this).browser;
    if (b->isReadOnly())
        return false;
    b->cut();
    return true;
}

bool HTMLViewer::EditPaste() {
    ui::requireMainThread();
    QTextBrowser* b = dataOf(*this).browser;
    if (b->isReadOnly())
        return false;
    b->paste();
    return true;
}

bool HTMLViewer::EditSelectAll() {
    ui::requireMainThread();
    dataOf(*this).browser->selectAll();
    return true;
}

}  // namespace fw
