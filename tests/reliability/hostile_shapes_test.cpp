// Shape files made to take the machine: entities that expand a small file into gigabytes,
// files of a hundred megabytes and more, deep nesting, NUL bytes and other encodings. Each is
// read with bounded memory (measured from the run itself) and refused with a message, or, for
// an honest encoding, read with the right names. The huge files are generated here.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "reliability/reliability_fixture.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

// What any refused import may take at its peak, in kilobytes.
constexpr long long kRefusedPeakKb = 256LL * 1024;

// Writes head, then body repeated until the file holds about size bytes, then tail; a piece at
// a time, so the test itself never holds the file.
void WriteRepeated(const std::string& path, const std::string& head, const std::string& body,
                   long long size, const std::string& tail) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(head.data(), 1, head.size(), file);
    std::string block;
    while (block.size() < (1u << 20)) {
        block += body;
    }
    long long written = static_cast<long long>(head.size());
    while (written + static_cast<long long>(block.size()) <= size) {
        std::fwrite(block.data(), 1, block.size(), file);
        written += static_cast<long long>(block.size());
    }
    std::fwrite(tail.data(), 1, tail.size(), file);
    std::fclose(file);
}

std::string Repeat(const std::string& text, int count) {
    std::string all;
    all.reserve(text.size() * count);
    for (int i = 0; i < count; ++i) {
        all += text;
    }
    return all;
}

const std::string kSvgHead =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"48\">";
// One 50 kB entity, to be used 20,000 times: a gigabyte once expanded.
const std::string kEntityDoctype =
    "<?xml version=\"1.0\"?>\n<!DOCTYPE svg [<!ENTITY e \"" + std::string(50'000, 'A') + "\">]>\n";

class HostileShapesTest : public ReliabilityTest {
protected:
    void SetUp() override { MakeProject(); }

    CliRun Import(const std::string& file) const {
        CliLimits limits;
        limits.timeLimit = 120;  // a hang ends as a signal, which fails the case
        return Cli({"import-shapes", "tour.vlm", file}, limits);
    }
};

TEST_F(HostileShapesTest, HostileFilesAreRefusedWithBoundedMemory) {
    struct Case {
        const char* file;
        std::function<void(const std::string&)> make;
        const char* message;  // part of the message
    };
    const std::vector<Case> cases = {
        {"entity-attribute.svg",
         [](const std::string& path) {
             WriteFile(path, kEntityDoctype + kSvgHead + "<rect id=\"" + Repeat("&e;", 20'000) +
                                 "\" width=\"5\" height=\"5\"/></svg>");
         },
         "строка 2: объявление сущности <!ENTITY e> не принимается"},
        {"entity-title.svg",
         [](const std::string& path) {
             WriteFile(path, kEntityDoctype + kSvgHead + "<rect width=\"5\" height=\"5\"><title>" +
                                 Repeat("&e;", 20'000) + "</title></rect></svg>");
         },
         "объявление сущности <!ENTITY e> не принимается"},
        {"parameter-entity.svg",
         [](const std::string& path) {
             WriteFile(path, "<!DOCTYPE svg [<!ENTITY % p \"<!ENTITY e 'x'>\"> %p;]>" + kSvgHead +
                                 "<rect width=\"5\" height=\"5\"/></svg>");
         },
         "объявление сущности <!ENTITY p> не принимается"},
        {"nested.json",
         [](const std::string& path) { WriteRepeated(path, "", "[", 60LL << 20, "]"); },
         "nested.json: фигура 1: ожидается объект с полем \"points\"."},
        {"nested-under-a-key.json",
         [](const std::string& path) {
             WriteRepeated(path, "[{\"extra\": ", "[", 60LL << 20, "]");
         },
         "фигура 1: значения вложены глубже 64 уровней."},
        {"points.json",  // 21 M points in 126 MB
         [](const std::string& path) {
             WriteRepeated(path, "[{\"name\": \"A\", \"points\": [", "[1,2],", 126'000'000,
                           "[3,4]]}]");
         },
         "points.json: фигура 1, точка 4000001: слишком много точек (больше 4000000)."},
        {"areas.html",  // 100 MB of small areas
         [](const std::string& path) {
             WriteRepeated(path, "<map name=m>\n",
                           "<area shape=poly coords=\"1,1,9,1,9,9,1,9\" alt=\"Кухня\">\n",
                           100LL << 20, "</map>");
         },
         ": <area>: слишком много фигур (больше 250000)."},
        {"coords.html",  // one area of 100 MB of coordinates
         [](const std::string& path) {
             WriteRepeated(path, "<map><area shape=poly coords=\"", "1,2,", 100LL << 20,
                           "1,2\"></map>");
         },
         "coords.html: строка 1: значение или текст длиннее 10 МБ"},
        {"path.svg",  // one path of 120 MB
         [](const std::string& path) {
             WriteRepeated(path, kSvgHead + "<path d=\"M0 0", " l1 0", 120LL << 20, "\"/></svg>");
         },
         "path.svg: строка 1: "},
        {"huge.json",  // over the size limit: refused unread
         [](const std::string& path) {
             const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
             ASSERT_GE(fd, 0);
             ASSERT_EQ(::ftruncate(fd, 200LL << 20), 0);
             ::close(fd);
         },
         "huge.json: файл разметки слишком велик (больше 128 МБ)."},
    };
    const auto before = FilesUnder(work);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        c.make(Work(c.file));
        const CliRun run = Import(c.file);
        fs::remove(Work(c.file));
        ExpectCleanFailure(run);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
#if !defined(__SANITIZE_ADDRESS__)
        // The sanitizers keep freed memory in quarantine and shadow all of it: the budget is
        // the program's own, measured without them.
        EXPECT_LT(run.peakKb, kRefusedPeakKb);
#endif
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(FilesUnder(work), before);  // nothing changed
}

// A name as the file spells it in each encoding; the NUL cases must be refused, never cut.
TEST_F(HostileShapesTest, EncodingsAreHonouredAndNulBytesRefused) {
    const std::string kitchen = "Кухня";  // UTF-8
    const std::string kitchen1251 = "\xCA\xF3\xF5\xED\xFF";
    auto utf16 = [](const std::string& ascii, const std::u16string& name, bool bigEndian) {
        std::u16string text = u"\uFEFF";
        for (const char c : ascii) {
            if (c == '@') {
                text += name;
            } else {
                text += static_cast<char16_t>(static_cast<unsigned char>(c));
            }
        }
        std::string bytes;
        for (const char16_t unit : text) {
            const char high = static_cast<char>(unit >> 8);
            const char low = static_cast<char>(unit & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
    };
    const std::string htmlMap = "<map><area shape=rect coords=\"40,30,50,40\" alt=\"@\"></map>";
    const std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"48\">"
        "<rect x=\"40\" y=\"30\" width=\"10\" height=\"10\"><title>@</title></rect></svg>";
    const std::string json = "[{\"name\": \"@\", \"points\": [[40, 30], [50, 30], [50, 40]]}]";
    struct Case {
        const char* file;
        std::string bytes;
        const char* err;  // empty: imported as "3<TAB>Кухня"
    };
    const std::vector<Case> cases = {
        {"cp1251.html",
         "<html><head><meta charset=\"windows-1251\"></head><body>"
         "<map><area shape=rect coords=\"40,30,50,40\" alt=\"" +
             kitchen1251 + "\"></map></body></html>",
         ""},
        {"cp1251-http-equiv.htm",
         "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
         "charset=windows-1251\"></head><body><map><area shape=rect coords=\"40,30,50,40\" "
         "title=\"" +
             kitchen1251 + "\"></map></body></html>",
         ""},
        {"utf16le.html", utf16(htmlMap, u"Кухня", false), ""},
        {"utf16be.html", utf16(htmlMap, u"Кухня", true), ""},
        {"utf16le.svg", utf16(svg, u"Кухня", false), ""},
        {"utf16be-unnamed-extension", utf16(svg, u"Кухня", true), ""},
        {"utf16le.json", utf16(json, u"Кухня", false), ""},
        {"utf16be.json", utf16(json, u"Кухня", true), ""},
        {"nul.html",
         "<map>\n<area shape=rect coords=\"40,30,50,40\" alt=\"A\">" + std::string(1, '\0') +
             "<area shape=rect coords=\"0,0,5,5\" alt=\"B\"></map>",
         "nul.html: строка 2: в файле нулевой символ (NUL"},
        {"nul.svg",
         kSvgHead + "\n\n<rect width=\"5\" height=\"5\"/>" + std::string(1, '\0') + "</svg>",
         "nul.svg: строка 3: в файле нулевой символ (NUL"},
        {"nul.json", "[{\"name\": \"A\"" + std::string(1, '\0') + "}]",
         "nul.json: строка 1: в файле нулевой символ (NUL"},
        {"nul16.html", utf16(htmlMap, std::u16string(1, u'\0'), false),
         "nul16.html: строка 1: в файле нулевой символ (NUL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        WriteFile(Work(c.file), c.bytes);
        const CliRun run = Import(c.file);
        if (*c.err == '\0') {
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(run.out, "3\t" + kitchen + "\n");
            ASSERT_EQ(Cli({"area", "delete", "tour.vlm", kitchen}).status, 0);
        } else {
            ExpectCleanFailure(run);
            EXPECT_EQ(run.err.substr(0, std::string(c.err).size()), c.err) << run.err;
            EXPECT_EQ(run.out, "");
        }
    }
}

}  // namespace
}  // namespace velmora::test
