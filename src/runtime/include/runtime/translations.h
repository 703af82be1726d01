#pragma once
// The language of operator-facing text, and the catalogue that gives it. Every program of the
// suite calls install_translations() right after creating its application object, and puts its
// own strings through tr() / QCoreApplication::translate(): English is the source language, the
// Chinese catalogue is built from translations/quellbox_zh_CN.ts and embedded in the program.
// Give each file's strings a context of their own with a small class named after its context,
//     class WindowText { Q_DECLARE_TR_FUNCTIONS(WindowText) };   ... WindowText::tr("...")
// rather than a Q_OBJECT's own tr(): lupdate (Qt 6.4) does not follow `namespace a::b {`, and
// would file such strings under a context the program never asks for.
//
// The rule for the window: its captions are Chinese, so Chinese is the default. English is
// chosen by QUELLBOX_LANGUAGE when it is set, otherwise by the first of LANGUAGE, LC_ALL and
// LC_MESSAGES that is set and not empty: a value starting with "en" means English, anything
// else Chinese. LANG alone does not switch: it is the system-wide default most installations
// set to English, and says nothing about this tool.
//
// The rule for the command-line programs (quellboxctl, quellbox-mqtt), whose messages sit
// beside those of the system's other tools: the locale's messages language, read as gettext
// reads it. The locale is the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty;
// when there is none, or it is C or POSIX, the messages are English. Otherwise LANGUAGE, when
// set, lists the languages in order of preference and the first English or Chinese one counts;
// else the locale names it: "zh..." means Chinese, anything else English.
// QUELLBOX_LANGUAGE, when set, wins here too. Only their words for people follow this rule:
// what they print as data (status lines, watch lines, JSON, MQTT payloads) never changes.

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <functional>

class QTranslator;

namespace quellbox::runtime {

enum class Language { chinese, english };
// Whose words: the window's, or a command-line program's.
enum class Audience { window, command_line };

// The rules above, on an environment given as a lookup (an unset variable reads as empty).
Language choose_language(const std::function<QString(const char* name)>& environment,
                         Audience audience = Audience::window);
// The rules above, on this process's environment.
Language choose_language(Audience audience = Audience::window);

// Installs the catalogue for `language` into the application (nothing for English, the source
// language). False when the catalogue could not be loaded.
bool install_translations(QCoreApplication& app, Language language);
// The same for the language the environment chooses.
bool install_translations(QCoreApplication& app);

// While it lives, every translation gives its English source text: for words a program prints
// as data (quellboxctl's port listing uses the link's device descriptions), which read the same
// in every language. One thread, not nested.
class SourceLanguage {
  public:
    SourceLanguage();
    ~SourceLanguage();
    SourceLanguage(const SourceLanguage&) = delete;
    SourceLanguage& operator=(const SourceLanguage&) = delete;

  private:
    QList<QTranslator*> catalogues_;
};

}  // namespace quellbox::runtime
