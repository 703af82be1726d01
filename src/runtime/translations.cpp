#include "runtime/translations.h"

#include <QTranslator>

namespace quellbox::runtime {

Language choose_language(const std::function<QString(const char* name)>& environment) {
    QString wanted = environment("QUELLBOX_LANGUAGE");
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
        if (!wanted.isEmpty()) break;
        wanted = environment(name);
    }
    return wanted.startsWith(QLatin1String("en")) ? Language::english : Language::chinese;
}

Language choose_language() {
    return choose_language([](const char* name) { return qEnvironmentVariable(name); });
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

}  // namespace quellbox::runtime
