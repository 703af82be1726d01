#include "catalogue.h"

#include <windows.h>

#include "wide_text.h"

namespace quellbox::win {
namespace {

// The text between <tag ...> and </tag> from `from` on; `from` moves past the end tag.
std::optional<std::string_view> element(std::string_view doc, std::string_view tag,
                                        std::size_t& from, std::size_t limit) {
    const std::string open = "<" + std::string(tag);
    const std::string close = "</" + std::string(tag) + ">";
    std::size_t start = doc.find(open, from);
    while (start != std::string_view::npos && start < limit) {
        const char after = start + open.size() < doc.size() ? doc[start + open.size()] : '\0';
        if (after == '>' || after == ' ' || after == '/') break;
        start = doc.find(open, start + 1);
    }
    if (start == std::string_view::npos || start >= limit) return std::nullopt;
    const std::size_t tag_end = doc.find('>', start);
    if (tag_end == std::string_view::npos) return std::nullopt;
    if (doc[tag_end - 1] == '/') {  // <translation/>: empty
        from = tag_end + 1;
        return doc.substr(start, tag_end + 1 - start).substr(0, 0);
    }
    const std::size_t end = doc.find(close, tag_end);
    if (end == std::string_view::npos) return std::nullopt;
    from = end + close.size();
    return doc.substr(start, end - start);  // still with its start tag
}

std::string_view start_tag(std::string_view with_tag) {
    return with_tag.substr(0, with_tag.find('>') + 1);
}
std::string_view content(std::string_view with_tag) {
    const std::size_t end = with_tag.find('>');
    return end == std::string_view::npos ? std::string_view{} : with_tag.substr(end + 1);
}

void append_utf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

std::string unescape(std::string_view text) {
    static constexpr std::pair<std::string_view, char> named[] = {
        {"&quot;", '"'}, {"&apos;", '\''}, {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            out.push_back(text[i++]);
            continue;
        }
        bool done = false;
        for (const auto& [entity, c] : named) {
            if (text.substr(i, entity.size()) == entity) {
                out.push_back(c);
                i += entity.size();
                done = true;
                break;
            }
        }
        if (done) continue;
        const std::size_t semi = text.find(';', i);
        if (text.substr(i, 2) == "&#" && semi != std::string_view::npos) {
            const bool hex = text.substr(i, 3) == "&#x";
            const std::string digits(text.substr(i + (hex ? 3 : 2), semi - i - (hex ? 3 : 2)));
            append_utf8(out, std::stoul(digits, nullptr, hex ? 16 : 10));
            i = semi + 1;
            continue;
        }
        out.push_back(text[i++]);
    }
    return out;
}

}  // namespace

Catalogue Catalogue::parse(std::string_view doc) {
    Catalogue catalogue;
    std::size_t at = 0;
    while (auto context = element(doc, "context", at, doc.size())) {
        const std::size_t context_start = static_cast<std::size_t>(context->data() - doc.data());
        const std::size_t context_end = context_start + context->size();
        std::size_t inner = context_start + 1;
        const auto name = element(doc, "name", inner, context_end);
        if (!name) continue;
        const std::string context_name = unescape(content(*name));
        while (auto message = element(doc, "message", inner, context_end)) {
            const std::string_view body = content(*message);
            std::size_t in_message = 0;
            const auto source = element(body, "source", in_message, body.size());
            const auto translation = element(body, "translation", in_message, body.size());
            if (!source || !translation) continue;
            if (start_tag(*translation).find("type=") != std::string_view::npos) continue;
            const std::string text = unescape(content(*translation));
            if (text.empty()) continue;
            catalogue.texts_[{context_name, unescape(content(*source))}] = text;
        }
    }
    return catalogue;
}

Catalogue Catalogue::built_in() {
    HRSRC found = FindResourceW(nullptr, L"QUELLBOX_CATALOGUE", MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) return {};
    return parse(std::string_view(static_cast<const char*>(data), SizeofResource(nullptr, found)));
}

std::string Catalogue::translate(std::string_view context, std::string_view source) const {
    const auto found = texts_.find(std::pair<std::string, std::string>(context, source));
    return found != texts_.end() ? found->second : std::string(source);
}

bool english_chosen() {
    wchar_t setting[64] = {};
    const DWORD length = GetEnvironmentVariableW(L"QUELLBOX_LANGUAGE", setting, 64);
    if (length > 0 && length < 64) return link::english_wanted(utf8(setting));
    wchar_t tag[LOCALE_NAME_MAX_LENGTH] = {};
    if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), tag,
                         LOCALE_NAME_MAX_LENGTH, 0) > 0) {
        return link::english_wanted(utf8(tag));
    }
    return false;
}

link::Translate translation_for(bool english, const Catalogue& catalogue) {
    if (english) return [](const char*, const char* source) { return std::string(source); };
    return [&catalogue](const char* context, const char* source) {
        return catalogue.translate(context, source);
    };
}

}  // namespace quellbox::win
