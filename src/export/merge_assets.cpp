#include "export/merge_assets.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>

#include "export/export_paths.h"
#include "export/web_images.h"
#include "store/errors.h"
#include "store/files.h"
#include "store/paths.h"
#include "web/web_escape.h"
#include "web/web_text.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kScriptReference = "\"src\":\"VLM/";
constexpr std::string_view kImageReference = "src=\"";
// A web export's picture: its fallback and the list of its copies, all in VLM.
constexpr std::string_view kWebCopyReference = "src=\"VLM/";
constexpr std::string_view kWebCopyList = "srcset=\"";
// A large popup or overlay picture's copies in the data script.
constexpr std::string_view kScriptCopyList = "\"srcset\":\"";
constexpr int kMaxRenames = 10000;

bool IsHex4(const std::string& text) {
    return text.size() == 4 &&
           text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

// Reverses the data script's escaping of a text: the template literal's "\\", "\`" and "\$",
// then the JSON string's escapes.
std::string UnescapeScriptText(std::string_view text) {
    std::string literal;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
        }
        literal += text[i];
    }
    std::string out;
    for (std::size_t i = 0; i < literal.size(); ++i) {
        if (literal[i] != '\\' || i + 1 >= literal.size()) {
            out += literal[i];
            continue;
        }
        const char c = literal[++i];
        switch (c) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'u':
                if (i + 4 < literal.size() && IsHex4(literal.substr(i + 1, 4))) {
                    AppendUtf8(out, static_cast<std::uint32_t>(
                                        std::stoul(literal.substr(i + 1, 4), nullptr, 16)));
                    i += 4;
                } else {
                    out += c;
                }
                break;
            default:
                out += c;
        }
    }
    return out;
}

// The end of a quoted value that starts at `from`. In the data script the quote that ends a
// JSON string is found after the template literal's escapes are undone.
std::size_t QuotedEnd(const std::string& line, std::size_t from, bool escapes) {
    bool jsonEscape = false;
    for (std::size_t i = from; i < line.size(); ++i) {
        const std::size_t sequence = i;
        char c = line[i];
        if (escapes && c == '\\' && i + 1 < line.size()) {
            c = line[++i];
        }
        if (jsonEscape) {
            jsonEscape = false;
        } else if (escapes && c == '\\') {
            jsonEscape = true;
        } else if (c == '"') {
            return sequence;
        }
    }
    return std::string::npos;
}

bool SameContent(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::file_size(fs::u8path(a), ec) != fs::file_size(fs::u8path(b), ec) || ec) {
        return false;
    }
    std::ifstream one(fs::u8path(a), std::ios::binary);
    std::ifstream two(fs::u8path(b), std::ios::binary);
    std::array<char, 1 << 16> x{};
    std::array<char, 1 << 16> y{};
    while (one && two) {
        one.read(x.data(), x.size());
        two.read(y.data(), y.size());
        if (one.gcount() != two.gcount() ||
            !std::equal(x.begin(), x.begin() + one.gcount(), y.begin())) {
            return false;
        }
    }
    return one.eof() && two.eof();
}

// "name.png" -> "name-2.png"; a name without extension gets the number at its end.
std::string NumberedName(const std::string& name, int n) {
    const auto dot = name.rfind('.');
    const auto cut = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, cut) + "-" + std::to_string(n) + name.substr(cut);
}

// Copies files of one foreign folder into one target folder under names that do not clash,
// remembering each file's name there.
class FileBringer {
public:
    // Files are read only inside scope: a link in a page's folder that leads out is refused.
    FileBringer(std::string from, std::string to, ReadScope scope)
        : m_from(std::move(from)), m_to(std::move(to)), m_scope(std::move(scope)) {}

    // The name the file has in the target folder, or empty when it cannot be brought (not a
    // bare name, or missing in its own folder).
    std::string Bring(const std::string& name) {
        if (!IsPlainFileName(name)) {
            return {};
        }
        if (const auto known = m_names.find(name); known != m_names.end()) {
            return known->second;
        }
        const std::string source = JoinPath(m_from, name);
        if (!FileExists(source)) {
            return {};
        }
        // Checked before its bytes are compared with anything.
        const InputFile inScope(source, m_scope);
        std::string chosen = name;
        for (int n = 2; FileExists(JoinPath(m_to, chosen)); ++n) {
            if (SameContent(source, JoinPath(m_to, chosen))) {
                break;
            }
            if (n > kMaxRenames) {
                throw FileError("Не удалось подобрать свободное имя для файла: " + source);
            }
            chosen = NumberedName(name, n);
        }
        if (!FileExists(JoinPath(m_to, chosen))) {
            CopyFileNoOverwrite(source, JoinPath(m_to, chosen), m_scope);
        }
        m_names[name] = chosen;
        return chosen;
    }

private:
    std::string m_from;
    std::string m_to;
    ReadScope m_scope;
    std::map<std::string, std::string> m_names;
};

// Rewrites every reference in line that starts with `key`: decode turns the quoted text into
// a file name, encode the new name back.
template <typename Decode, typename Encode>
void RewriteReferences(std::string& line, std::string_view key, bool escapes, FileBringer& files,
                       Decode decode, Encode encode) {
    for (std::size_t at = line.find(key); at != std::string::npos; at = line.find(key, at)) {
        const std::size_t start = at + key.size();
        const std::size_t end = QuotedEnd(line, start, escapes);
        if (end == std::string::npos) {
            return;
        }
        const std::string name = decode(line.substr(start, end - start));
        const std::string brought = files.Bring(name);
        std::string replacement = line.substr(start, end - start);
        if (!brought.empty() && brought != name) {
            replacement = encode(brought);
        }
        line.replace(start, end - start, replacement);
        at = start + replacement.size();
    }
}

// Brings the "VLM/" files of every srcset list in line that starts with key and rewrites their
// URLs; candidates are separated by ", " and a URL ends at its first space, as web exports
// write them. unescape and escape undo and redo the list's escaping in line.
template <typename Unescape, typename Escape>
void RewriteWebCopyList(std::string& line, std::string_view key, bool escapes, FileBringer& assets,
                        Unescape unescape, Escape escape) {
    for (std::size_t at = line.find(key); at != std::string::npos; at = line.find(key, at)) {
        const std::size_t start = at + key.size();
        const std::size_t end = QuotedEnd(line, start, escapes);
        if (end == std::string::npos) {
            return;
        }
        const std::string list = unescape(line.substr(start, end - start));
        std::string rewritten;
        for (std::size_t from = 0; from < list.size();) {
            std::size_t next = list.find(", ", from);
            next = next == std::string::npos ? list.size() : next;
            std::string candidate = list.substr(from, next - from);
            const std::string url = candidate.substr(0, candidate.find(' '));
            if (url.rfind("VLM/", 0) == 0) {
                const std::string name = DecodePercent(url.substr(4));
                const std::string brought = assets.Bring(name);
                if (!brought.empty() && brought != name) {
                    candidate.replace(0, url.size(), SrcsetUrl("VLM", brought));
                }
            }
            rewritten += (rewritten.empty() ? "" : ", ") + candidate;
            from = next + 2;
        }
        const std::string escaped = escape(rewritten);
        line.replace(start, end - start, escaped);
        at = start + escaped.size();
    }
}

}  // namespace

void BringUsedFiles(MergeInput& input, const std::string& mergedFolder) {
    const std::string inputFolder = FolderOfPath(input.path);
    if (SameFile(inputFolder, mergedFolder)) {
        return;
    }
    const ReadScope scope({inputFolder});
    FileBringer pictures(inputFolder, mergedFolder, scope);
    for (std::string& line : input.imageLines) {
        RewriteReferences(
            line, kImageReference, false, pictures,
            [](const std::string& text) { return DecodePercent(UnescapeHtml(text)); },
            [](const std::string& name) { return EscapeHtml(EncodeFileReference(name)); });
    }
    FileBringer assets(JoinPath(inputFolder, "VLM"), JoinPath(mergedFolder, "VLM"), scope);
    for (std::string& line : input.imageLines) {
        RewriteReferences(
            line, kWebCopyReference, false, assets,
            [](const std::string& text) { return DecodePercent(UnescapeHtml(text)); },
            [](const std::string& name) { return EscapeHtml(SrcsetUrl({}, name)); });
        RewriteWebCopyList(
            line, kWebCopyList, false, assets,
            [](const std::string& text) { return UnescapeHtml(text); },
            [](const std::string& text) { return EscapeHtml(text); });
    }
    for (auto& block : input.blocks) {
        for (std::string& line : block) {
            RewriteReferences(
                line, kScriptReference, true, assets,
                [](const std::string& text) { return DecodePercent(UnescapeScriptText(text)); },
                [](const std::string& name) {
                    return EscapeScriptText(EncodeFileReference(name));
                });
            RewriteWebCopyList(
                line, kScriptCopyList, true, assets,
                [](const std::string& text) { return UnescapeScriptText(text); },
                [](const std::string& text) { return EscapeScriptText(text); });
        }
    }
    // The runtime files are one pair for the whole merged page: an existing pair stays.
    for (const char* runtime : {"vlm4.js", "vlm4.css"}) {
        const std::string source = JoinPath(JoinPath(inputFolder, "VLM"), runtime);
        const std::string target = JoinPath(JoinPath(mergedFolder, "VLM"), runtime);
        if (FileExists(source) && !FileExists(target)) {
            CopyFileNoOverwrite(source, target, scope);
        }
    }
}

}  // namespace velmora
