#pragma once
// The real window operated through the names its controls bear, and its channels read back as
// looks ("colour|caption"), for the end-to-end window tests.

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "controller/looks.h"
#include "e2e_support.h"
#include "link/precise_ticker.h"
#include "support/visible_notice.h"
#include "ui/main_form.h"

namespace quellbox::e2e {

inline std::string look(controller::Colour colour, std::string_view caption) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08x|", colour);
    return hex + std::string(caption);
}
inline std::string look(const controller::Look& shown) {
    return look(shown.colour, shown.caption);
}
inline const std::string energized = look(controller::energized_look);
inline const std::string released = look(controller::released_look);
inline const std::string not_known = look(controller::not_known_look);
inline const std::string port_closed = look(controller::port_closed_look);

using Looks = std::vector<std::string>;
inline Looks all(const std::string& one) {
    return Looks(16, one);
}
// The looks for a relay map.
inline Looks relays(link::RelayMap map) {
    Looks out;
    for (int n = 1; n <= 16; ++n) out.push_back(link::is_energized(map, n) ? energized : released);
    return out;
}

class WindowDriver {
  public:
    explicit WindowDriver(const ui::MainForm& form) : form_(form) {}

    template <typename Control = QWidget>
    Control* control(const QString& name) const {
        auto* found = form_.findChild<Control*>(name);
        if (found == nullptr) throw std::runtime_error("no control " + name.toStdString());
        return found;
    }
    // An indicator is clicked above its caption, which reports clicks of its own.
    void click(const QString& name) const {
        QWidget* target = control(name);
        const bool box = name.startsWith(QLatin1String("Picture1"));
        QTest::mouseClick(target, Qt::LeftButton, {},
                          box ? QPoint(target->width() / 2, 4) : target->rect().center());
    }
    // One tick of Timer1 delivered by hand, through the timer's own signal.
    void tick() const { Q_EMIT control<link::PreciseTicker>("Timer1")->timeout(); }

    Looks looks() const {
        Looks out;
        for (int n = 1; n <= 16; ++n) {
            const auto* caption = control<QLabel>(QStringLiteral("Label2_%1").arg(n));
            out.push_back(look(form_.indicator_colour(n), caption->text().toUtf8().constData()));
        }
        return out;
    }
    // Waits (bounded) until the channels show `expected`.
    bool shows(const Looks& expected) const {
        return wait_until([&] { return looks() == expected; });
    }
    std::string open_comm_caption() const {
        return control<QPushButton>("open_comm")->text().toStdString();
    }
    QMessageBox* notice_box() const { return test::visible_notice(form_); }
    std::string notice() const { return test::visible_notice_text(form_).toStdString(); }

  private:
    const ui::MainForm& form_;
};

}  // namespace quellbox::e2e
