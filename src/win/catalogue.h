#pragma once
// The operator-facing sentences on Windows come from the same catalogue as on Linux: the Qt
// translation source translations/quellbox_zh_CN.ts is built into quellbox.exe as a resource
// and read here, so no sentence has a second copy. Chinese is the default, as in the Linux
// window; English (the source language) where the operator asks for it.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "link/notice_words.h"

namespace quellbox::win {

class Catalogue {
  public:
    // The Chinese texts of a .ts document; finished translations only.
    static Catalogue parse(std::string_view ts_document);
    // The catalogue built into this program (resource "QUELLBOX_CATALOGUE"); empty when missing.
    static Catalogue built_in();

    // The translation of `source` in `context`, or `source` itself.
    std::string translate(std::string_view context, std::string_view source) const;
    std::size_t size() const { return texts_.size(); }

  private:
    std::map<std::pair<std::string, std::string>, std::string, std::less<>> texts_;
};

// The rule of the Linux programs, on Windows's terms: QUELLBOX_LANGUAGE when it is set, else
// the user's display language (GetUserDefaultUILanguage) as a tag like "en-US".
bool english_chosen();

// The lookup the window and its notices use: English sources as they are, or the catalogue.
link::Translate translation_for(bool english, const Catalogue& catalogue);

}  // namespace quellbox::win
