// The notice sentences without a toolkit: every sentence goes through the lookup it is given,
// in its catalogue context, and the values are put into the looked-up pattern, wherever the
// translation places them.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "link/notice_words.h"

namespace quellbox::link {
namespace {

// A catalogue that marks what it was asked for, and swaps %1 and %2 as a translation may.
struct MarkingCatalogue {
    std::set<std::string> contexts;
    std::string operator()(const char* context, const char* source) {
        contexts.insert(context);
        std::string text = std::string("<") + source + ">";
        const auto one = text.find("%1");
        const auto two = text.find("%2");
        if (one != std::string::npos && two != std::string::npos) {
            text[one + 1] = '2';
            text[two + 1] = '1';
        }
        return text;
    }
};

TEST(NoticeWords, FillInPutsEachValueWhereItsMarkerStandsAndNothingElse) {
    EXPECT_EQ(fill_in("%1 is in use by %2.", {"COM3", "x.exe"}), "COM3 is in use by x.exe.");
    EXPECT_EQ(fill_in("%2 占用了 %1。", {"COM3", "x.exe"}), "x.exe 占用了 COM3。");
    EXPECT_EQ(fill_in("group %1 (usermod -aG %1)", {"dialout"}),
              "group dialout (usermod -aG dialout)");
    // A value that holds a marker is taken as it is, not filled in again.
    EXPECT_EQ(fill_in("%1 and %2", {"50%2", "b"}), "50%2 and b");
    EXPECT_EQ(fill_in("%3 stays, 100% too", {"a"}), "%3 stays, 100% too");
}

TEST(NoticeWords, EveryOpenFailureIsLookedUpAndNamesItsDevice) {
    const OpenError errors[] = {OpenError::missing, OpenError::busy, OpenError::no_permission,
                                OpenError::other};
    for (const OpenError error : errors) {
        MarkingCatalogue catalogue;
        OpenResult result;
        result.error = error;
        result.device = "COM7";
        const NoticeWords words = open_failure_words(
            result, "7", [&](const char* c, const char* s) { return catalogue(c, s); });
        EXPECT_EQ(words.what.front(), '<') << words.what;
        EXPECT_EQ(words.advice.front(), '<') << words.advice;
        EXPECT_NE(words.what.find("COM7"), std::string::npos) << words.what;
        EXPECT_EQ(catalogue.contexts, std::set<std::string>{"NoticeText"});
    }
}

TEST(NoticeWords, ABusyPortNamesItsHolderInTheTranslatedOrder) {
    MarkingCatalogue catalogue;
    OpenResult result;
    result.error = OpenError::busy;
    result.device = "COM3";
    result.holder = PortHolder{"other.exe", 4242};
    const NoticeWords words = open_failure_words(
        result, "3", [&](const char* c, const char* s) { return catalogue(c, s); });
    // "%1 is in use by %2." with the markers swapped by the catalogue, and the holder's own
    // "%1 (process %2)" swapped too.
    EXPECT_EQ(words.what, "<<4242 (process other.exe)> is in use by COM3.>");
}

TEST(NoticeWords, ANumberThatReachesNothingIsNamedAsTyped) {
    OpenResult result;
    result.error = OpenError::no_such_port;
    const NoticeWords words = open_failure_words(
        result, "  42 ", [](const char*, const char* s) { return std::string(s); });
    EXPECT_EQ(words.what, "Port 42 reaches no serial device.");
}

TEST(NoticeWords, EnglishOnlyWhenTheSettingStartsWithEn) {
    EXPECT_TRUE(english_wanted("en"));
    EXPECT_TRUE(english_wanted("en-US"));
    EXPECT_TRUE(english_wanted("en_GB.UTF-8"));
    EXPECT_FALSE(english_wanted(""));
    EXPECT_FALSE(english_wanted("zh-CN"));
    EXPECT_FALSE(english_wanted("de-DE"));
    EXPECT_FALSE(english_wanted("C"));
}

}  // namespace
}  // namespace quellbox::link
