// Which language people are spoken to in: quellboxctl and quellbox-mqtt follow the locale's
// messages language, read as gettext reads it, like the system's other command-line tools; the
// window keeps its own rule, Chinese unless English is asked for.

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

// A desktop left at the system's English default (LANG alone) keeps the window Chinese while
// the command-line programs above speak English.
TEST(WindowLanguage, ChineseUnlessThisToolOrTheMessagesAreAskedForInEnglish) {
    struct Case {
        test::EnvironmentTable environment;
        Language language;
    };
    using enum Language;
    const std::vector<Case> cases = {
        {{}, chinese},
        {{{"LANG", "en_US.UTF-8"}}, chinese},  // the system default alone does not switch
        {{{"LANGUAGE", "en_GB:en"}}, english},
        {{{"LC_ALL", "en_US.UTF-8"}}, english},
        {{{"LC_MESSAGES", "en_US.UTF-8"}}, english},
        {{{"LC_MESSAGES", "C"}}, chinese},
        {{{"LANGUAGE", "zh_CN"}, {"LC_ALL", "en_US.UTF-8"}}, chinese},  // the first one set
        {{{"LANGUAGE", ""}, {"LC_MESSAGES", "en_US.UTF-8"}}, english},  // empty is unset
        {{{"QUELLBOX_LANGUAGE", "zh_CN"}, {"LANGUAGE", "en"}}, chinese},
        {{{"QUELLBOX_LANGUAGE", "en"}}, english},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(choose_language(c.environment, Audience::window), c.language)
            << c.environment.shown();
    }
}

}  // namespace
}  // namespace quellbox::runtime
