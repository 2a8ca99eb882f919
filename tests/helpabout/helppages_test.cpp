#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

// The pages as the build copies them beside the program.
namespace {

const char* const pageNames[] = {"index", "historic", "resizing", "exportation", "faq"};

// The targets of the page's links, in their order.
std::vector<std::string> linkTargets(const std::string& html) {
    std::vector<std::string> targets;
    const std::string open = "href=\"";
    for (auto at = html.find(open); at != std::string::npos; at = html.find(open, at)) {
        at += open.size();
        const auto end = html.find('"', at);
        if (end == std::string::npos)
            break;
        targets.push_back(html.substr(at, end - at));
    }
    return targets;
}

std::string readPage(const std::string& name) {
    std::ifstream in(std::string(VIMBEL_BUILT_HELP_DIR) + "/" + name + ".html");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(HelpPages, EveryLinkLeadsToAnotherPageOrOutside) {
    const std::set<std::string> pages = {"index.html", "historic.html", "resizing.html",
                                         "exportation.html", "faq.html"};
    int outside = 0;
    for (const char* name : pageNames) {
        SCOPED_TRACE(name);
        const std::string html = readPage(name);
        ASSERT_FALSE(html.empty());
        std::set<std::string> linked;
        for (const std::string& target : linkTargets(html)) {
            if (target.rfind("https://", 0) == 0 || target.rfind("mailto:", 0) == 0) {
                ++outside;
                continue;
            }
            EXPECT_TRUE(pages.count(target)) << target;
            linked.insert(target);
        }
        // Every page reaches every other one.
        for (const auto& other : pages) {
            if (other != std::string(name) + ".html") {
                EXPECT_TRUE(linked.count(other)) << other;
            }
        }
    }
    EXPECT_GT(outside, 0);
}

}  // namespace
