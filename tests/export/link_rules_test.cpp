#include <gtest/gtest.h>

#include "export/link_rules.h"
#include "store/attributes.h"

namespace velmora {
namespace {

TEST(LinkRules, OnlyWebMailAndRelativeAddressesOpen) {
    const struct {
        const char* link;
        bool allowed;
    } cases[] = {
        {"https://example.org/", true},
        {"HTTP://example.org/", true},
        {"mailto:someone@example.org", true},
        {"target.html", true},
        {"../pages/a b.html?x=1#top", true},
        {"/root.html", true},
        {"//example.org/x", true},
        {"./page.html:later", true},
        {"page.html:later", false},
        {"javascript:alert(1)", false},
        {"  JavaScript:alert(1)", false},
        {"java\tscript:alert(1)", false},
        {"\x01javascript:alert(1)", false},
        {"data:text/html,<b>x</b>", false},
        {"file:///etc/passwd", false},
        {"vbscript:x", false},
        {"ftp://example.org/", false},
        {"tel:+100", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LinkSchemeAllowed(c.link), c.allowed) << c.link;
    }
}

TEST(LinkRules, WarnsOfLinksOnOverAndOfOtherSchemes) {
    EXPECT_EQ(LinkWarning(kClick, "https://example.org/"), "");
    EXPECT_EQ(LinkWarning(kDblClick, "a.html"), "");
    EXPECT_EQ(LinkWarning(kOver, ""), "");
    EXPECT_EQ(LinkWarning(kOver, "https://example.org/"),
              "Браузеры открывают новое окно только по щелчку: ссылка на событии «Над "
              "областью» не откроется. Назначьте её на щелчок.");
    for (const int event : {kOver, kClick, kDblClick}) {
        EXPECT_EQ(LinkWarning(event, "javascript:void(0)"),
                  "Страница открывает только адреса http, https, mailto и относительные: эта "
                  "ссылка не откроется.");
    }
}

}  // namespace
}  // namespace velmora
