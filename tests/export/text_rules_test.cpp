#include <gtest/gtest.h>

#include <climits>

#include "export/text_rules.h"
#include "web/web_escape.h"

namespace velmora {
namespace {

TEST(FormatDecimal, HundredthsAsShortestDecimal) {
    const struct {
        std::int32_t n;
        const char* text;
    } cases[] = {
        {100, "1"},    {50, "0.5"},   {7, "0.07"},       {125, "1.25"},
        {0, "0"},      {-50, "-0.5"}, {12345, "123.45"}, {35, "0.35"},
        {-7, "-0.07"}, {500, "5"},    {110, "1.1"},      {INT_MIN, "-21474836.48"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDecimal(c.n), c.text) << c.n;
    }
}

TEST(ReplaceAll, LeftToRightWithoutOverlapOrRescan) {
    const struct {
        const char* text;
        const char* pattern;
        const char* replacement;
        const char* result;
    } cases[] = {
        {"a\r\nb\r\n", "\r\n", "|", "a|b|"},
        {"a\rb\nc", "\r\n", "|", "a\rb\nc"},
        {"aaa", "aa", "b", "ba"},
        {"abc", "b", "bb", "abbc"},
        {"1,5", ",", ".", "1.5"},
        {"text", "", "x", "text"},
        {"", "a", "b", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceAll(c.text, c.pattern, c.replacement), c.result) << c.text;
    }
}

TEST(WebEscape, PlainTextsAndNamesPassUnchanged) {
    for (const char* text : {"Привет, мир!", "https://example.org/a?b=1&c=2", "alert('x')",
                             "hall 2.png", "{}[]:;|$ 100%"}) {
        EXPECT_EQ(EscapeScriptText(text), text);
    }
    EXPECT_EQ(EncodeFileReference("зал 2.png"), "зал 2.png");
    EXPECT_EQ(EscapeHtml("hall.jpg"), "hall.jpg");
}

TEST(WebEscape, UrlAndHtmlCharacters) {
    EXPECT_EQ(EncodeFileReference("a%b#c?d.png"), "a%25b%23c%3Fd.png");
    EXPECT_EQ(DecodePercent("a%25b%23c%3fd.png%"), "a%b#c?d.png%");
    EXPECT_EQ(EscapeHtml("a&b<c>\"d'"), "a&amp;b&lt;c&gt;&quot;d&#39;");
    EXPECT_EQ(UnescapeHtml("a&amp;b&lt;c&gt;&quot;d&#39;&#x27;&bogus;"), "a&b<c>\"d''&bogus;");
}

}  // namespace
}  // namespace velmora
