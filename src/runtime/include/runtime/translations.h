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
// The rule: the window's captions are Chinese, so Chinese is the default. English is chosen by
// QUELLBOX_LANGUAGE when it is set, otherwise by the first of LANGUAGE, LC_ALL and LC_MESSAGES
// that is set and not empty: a value starting with "en" means English, anything else Chinese.
// LANG alone does not switch: it is the system-wide default most installations set to English,
// and says nothing about this tool.

#include <QCoreApplication>
#include <QString>
#include <functional>

namespace quellbox::runtime {

enum class Language { chinese, english };

// The rule above, on an environment given as a lookup (an unset variable reads as empty).
Language choose_language(const std::function<QString(const char* name)>& environment);
// The rule above, on this process's environment.
Language choose_language();

// Installs the catalogue for `language` into the application (nothing for English, the source
// language). False when the catalogue could not be loaded.
bool install_translations(QCoreApplication& app, Language language);
// The same for the language the environment chooses.
bool install_translations(QCoreApplication& app);

}  // namespace quellbox::runtime
