#include "runtime/translations.h"

#include <QTranslator>
#include <initializer_list>

namespace quellbox::runtime {

namespace {

using Environment = std::function<QString(const char* name)>;

QString first_set(const Environment& environment, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        QString value = environment(name);
        if (!value.isEmpty()) return value;
    }
    return {};
}

Language language_of(const QString& wanted, Language otherwise) {
    if (wanted.startsWith(QLatin1String("en"))) return Language::english;
    if (wanted.startsWith(QLatin1String("zh"))) return Language::chinese;
    return otherwise;
}

bool is_plain_c(const QString& locale) {
    return locale == QLatin1String("C") || locale.startsWith(QLatin1String("C.")) ||
           locale == QLatin1String("POSIX");
}

}  // namespace

Language choose_language(const Environment& environment, Audience audience) {
    const Language otherwise = audience == Audience::window ? Language::chinese : Language::english;
    if (const QString own = environment("QUELLBOX_LANGUAGE"); !own.isEmpty())
        return language_of(own, otherwise);
    if (audience == Audience::window)
        return language_of(first_set(environment, {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}),
                           otherwise);
    const QString locale = first_set(environment, {"LC_ALL", "LC_MESSAGES", "LANG"});
    if (locale.isEmpty() || is_plain_c(locale)) return Language::english;
    const QString languages = environment("LANGUAGE");
    if (languages.isEmpty()) return language_of(locale, otherwise);
    // A list in order of preference ("fr:zh_CN:en"): the first language there is text for.
    for (const QString& entry : languages.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (entry.startsWith(QLatin1String("en")) || entry.startsWith(QLatin1String("zh")))
            return language_of(entry, otherwise);
    }
    return otherwise;
}

Language choose_language(Audience audience) {
    return choose_language([](const char* name) { return qEnvironmentVariable(name); }, audience);
}

bool install_translations(QCoreApplication& app, Language language) {
    if (language == Language::english) return true;
    // Parented to the application: it lives exactly as long as the strings it translates.
    auto* catalogue = new QTranslator(&app);
    if (!catalogue->load(QStringLiteral(":/quellbox/translations/quellbox_zh_CN.qm"))) {
        delete catalogue;
        return false;
    }
    return QCoreApplication::installTranslator(catalogue);
}

bool install_translations(QCoreApplication& app) {
    return install_translations(app, choose_language());
}

SourceLanguage::SourceLanguage() {
    if (QCoreApplication::instance() == nullptr) return;
    catalogues_ =
        QCoreApplication::instance()->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly);
    for (QTranslator* catalogue : catalogues_) QCoreApplication::removeTranslator(catalogue);
}

SourceLanguage::~SourceLanguage() {
    for (QTranslator* catalogue : catalogues_) QCoreApplication::installTranslator(catalogue);
}

}  // namespace quellbox::runtime
