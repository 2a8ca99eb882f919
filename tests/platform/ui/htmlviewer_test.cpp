#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

#include <string>
#include <vector>

#include "engine/framework/controls.h"
#include "engine/framework/folderitem.h"
#include "platform/ui/controlimpl.h"
#include "uitestwindow.h"

namespace {

class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        const char* links =
            "<p><a href=\"historic.html\">Release notes</a> <a href=\"https://example.org/\">Web "
            "site</a> <a href=\"mailto:vimbel@example.org\">Mail us</a> <a "
            "href=\"missing.html\">Lost page</a></p>";
        write("index.html",
              std::string("<html><body><h1>Index page</h1>") + links + "</body></html>");
        write("historic.html",
              std::string("<html><body><h1>History</h1>") + links + "</body></html>");
        window = std::make_unique<OpenedWindow>([this](TestWindow& win) {
            win.onCreate = [this](TestWindow& self) {
                viewer = self.add<fw::HTMLViewer>("hvMain", 0, 0, 600, 400);
                viewer->CancelLoad.addHandler([this](fw::HTMLViewer&, const std::string& address) {
                    events.push_back("cancel? " + address);
                    return address.rfind("https://", 0) == 0 || address.rfind("mailto:", 0) == 0 ||
                           stopAll;
                });
                viewer->DocumentBegin.addHandler(
                    [this](fw::HTMLViewer&, const std::string& address) {
                        events.push_back("begin " + address);
                    });
            };
        });
    }
    void write(const char* name, const std::string& html) {
        QFile f(temp.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(html.c_str());
    }
    std::string address(const char* name) { return "file://" + temp.filePath(name).toStdString(); }
    fw::FolderItemPtr page(const char* name) {
        return fw::FolderItem::fromNativePath(temp.filePath(name).toStdString());
    }
    // A user's click in the middle of the link text.
    void clickLink(const char* text) {
        auto* browser = qobject_cast<QTextBrowser*>(viewer->impl().widget);
        QTextCursor found = browser->document()->find(QString::fromUtf8(text));
        ASSERT_FALSE(found.isNull()) << text;
        QTextCursor middle(browser->document());
        middle.setPosition((found.selectionStart() + found.selectionEnd()) / 2);
        const QPoint at = browser->cursorRect(middle).center();
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }

    QTemporaryDir temp;
    std::unique_ptr<OpenedWindow> window;
    std::shared_ptr<fw::HTMLViewer> viewer;
    std::vector<std::string> events;
    bool stopAll = false;
};

TEST_F(Viewer, EveryNavigationAsksCancelLoadThenBegins) {
    viewer->LoadPage(page("index.html"));
    EXPECT_NE(viewer->plainText().find("Index page"), std::string::npos);
    EXPECT_EQ(viewer->currentAddress(), address("index.html"));
    EXPECT_EQ(viewer->currentAddress().rfind("file:///", 0), 0u);

    clickLink("Release notes");
    EXPECT_NE(viewer->plainText().find("History"), std::string::npos);
    clickLink("Web site");
    clickLink("Mail us");
    EXPECT_EQ(viewer->currentAddress(), address("historic.html")) << "outside links stay out";
    clickLink("Lost page");
    EXPECT_EQ(viewer->plainText(), "") << "a missing page shows empty";

    EXPECT_EQ(events,
              (std::vector<std::string>{
                  "cancel? " + address("index.html"), "begin " + address("index.html"),
                  "cancel? " + address("historic.html"), "begin " + address("historic.html"),
                  "cancel? https://example.org/", "cancel? mailto:vimbel@example.org",
                  "cancel? " + address("missing.html"), "begin " + address("missing.html")}));
}

// The browser's own history keys would change page behind CancelLoad and DocumentBegin.
TEST_F(Viewer, HistoryKeysLeaveThePageAlone) {
    viewer->LoadPage(page("index.html"));
    clickLink("Release notes");
    ASSERT_EQ(viewer->currentAddress(), address("historic.html"));
    events.clear();
    auto* browser = qobject_cast<QTextBrowser*>(viewer->impl().widget);
    for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right}) {
        QTest::keyClick(browser, key, Qt::AltModifier);
        EXPECT_NE(viewer->plainText().find("History"), std::string::npos) << key;
        EXPECT_EQ(viewer->currentAddress(), address("historic.html")) << key;
    }
    EXPECT_TRUE(events.empty());
}

TEST_F(Viewer, CancelLoadTrueKeepsTheCurrentPage) {
    viewer->LoadPage(page("index.html"));
    stopAll = true;
    viewer->LoadPage(page("historic.html"));
    EXPECT_EQ(viewer->currentAddress(), address("index.html"));
    EXPECT_NE(viewer->plainText().find("Index page"), std::string::npos);
    EXPECT_EQ(events.back(), "cancel? " + address("historic.html"));
}

TEST_F(Viewer, EditCommandsActOnTheReadOnlyPage) {
    viewer->LoadPage(page("index.html"));
    const std::string before = viewer->plainText();
    EXPECT_FALSE(viewer->EditClear());
    EXPECT_TRUE(viewer->EditSelectAll());
    EXPECT_FALSE(viewer->EditCut());
    QApplication::clipboard()->setText("kept");
    EXPECT_FALSE(viewer->EditPaste());
    EXPECT_EQ(viewer->plainText(), before);
    EXPECT_TRUE(viewer->EditCopy());
    EXPECT_NE(QApplication::clipboard()->text().toStdString().find("Index page"),
              std::string::npos);
}

}  // namespace
