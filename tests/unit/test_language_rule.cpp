// Which language quellboxctl and quellbox-mqtt speak to people: the locale's messages
// language, read as gettext reads it, like the system's other command-line tools; the window
// keeps its own rule (Chinese unless English is asked for), tested with the window.

#include <gtest/gtest.h>

#include "runtime/translations.h"
#include "support/environment_table.h"

namespace quellbox::runtime {
namespace {

TEST(CommandLineLanguage, TheLocalesMessagesLanguageAsGettextReadsIt) {
    struct Case {
        test::EnvironmentTable environment;
        Language language;
    };
    using enum Language;
    const std::vector<Case> cases = {
        {{}, english},  // no locale at all: the C locale
        {{{"LANG", "zh_CN.UTF-8"}}, chinese},
        {{{"LANG", "zh_TW.UTF-8"}}, chinese},
        {{{"LANG", "en_US.UTF-8"}}, english},
        {{{"LANG", "de_DE.UTF-8"}}, english},  // no German catalogue: the source language
        {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "zh_CN.UTF-8"}}, chinese},
        {{{"LC_MESSAGES", "en_US.UTF-8"}, {"LC_ALL", "zh_CN.UTF-8"}}, chinese},  // LC_ALL first
        {{{"LC_ALL", ""}, {"LANG", "zh_CN.UTF-8"}}, chinese},                    // empty is unset
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "zh_CN:en"}}, chinese},
        {{{"LANG", "zh_CN.UTF-8"}, {"LANGUAGE", "en_GB:en"}}, english},
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "de:zh_CN"}}, chinese},  // first one there is
        {{{"LANG", "zh_CN.UTF-8"}, {"LANGUAGE", "de:fr"}}, english},
        // LANGUAGE counts only beside a real locale, as with gettext.
        {{{"LANG", "C"}, {"LANGUAGE", "zh_CN"}}, english},
        {{{"LC_ALL", "C.UTF-8"}, {"LANGUAGE", "zh_CN"}}, english},
        {{{"LANGUAGE", "zh_CN"}}, english},
        {{{"LANG", "POSIX"}, {"LANGUAGE", "zh_CN"}}, english},
        // The suite's own switch wins everywhere.
        {{{"QUELLBOX_LANGUAGE", "zh_CN"}, {"LANG", "C"}}, chinese},
        {{{"QUELLBOX_LANGUAGE", "en"}, {"LANG", "zh_CN.UTF-8"}}, english},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(choose_language(c.environment, Audience::command_line), c.language)
            << c.environment.shown();
    }
}

TEST(CommandLineLanguage, TheWindowKeepsItsOwnRuleOnTheSameEnvironment) {
    // A desktop left at the system's English default: the window stays Chinese, the
    // command-line programs speak English.
    const test::EnvironmentTable lookup{{{"LANG", "en_US.UTF-8"}}};
    EXPECT_EQ(choose_language(lookup, Audience::window), Language::chinese);
    EXPECT_EQ(choose_language(lookup, Audience::command_line), Language::english);
}

}  // namespace
}  // namespace quellbox::runtime
