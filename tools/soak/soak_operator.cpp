// The soak's operator: seeded clicks, typing and pasting at the window's controls, and what
// each click on the port button must leave behind.

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "controller/looks.h"
#include "soak.h"
#include "ui/main_form.h"
#include "ui/spin_bar.h"

namespace quellbox::soak {

void Soak::schedule(Millis delay, std::function<void()> action) {
    QTimer::singleShot(delay, &scheduler_,
                       [this, generation = generation_, action = std::move(action)] {
                           if (generation == generation_) action();
                       });
}

Millis Soak::random_ms(int low, int high) {
    return Millis(std::uniform_int_distribution<int>(low, high)(rng_));
}

bool Soak::port_looks_open() const {
    const std::string_view caption = controller::caption_close_port;
    return open_comm_->text() ==
           QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

void Soak::click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// The operator goes by the button's caption, as a person would. What the click must do follows
// from the port: an open port closes and every channel turns grey; a closed one opens with every
// channel not-known, or, when it cannot be opened, the window stays exactly as it was.
void Soak::click_open_comm(const char* why) {
    const bool was_open = port_->is_open();
    const std::array<Look, 17> before = oracle_.snapshot();
    const QString caption_before = open_comm_->text();
    if (!was_open) ++open_attempts_;
    click(open_comm_);

    const std::string when = std::string("after clicking open_comm ") + why;
    if (was_open) {
        oracle_.expect_all(LookKind::port_closed, when);
    } else if (port_->is_open()) {
        oracle_.expect_all(LookKind::not_known, when);
        reopens_at_open_ = phase_tally_.reopens;
    } else {
        ++open_failures_;
        oracle_.expect_unchanged(before, when + " (the open failed)");
        if (open_comm_->text() != caption_before) {
            oracle_.violation("state_change", when + ": the failed open changed the caption");
        }
    }
}

void Soak::open_when_wanted() {
    if (!want_open_ || awaiting_reopen_ || port_looks_open()) return;
    click_open_comm("to open the port");
    if (!port_->is_open()) schedule(random_ms(200, 400), [this] { open_when_wanted(); });
}

void Soak::next_action() {
    // Weights of what the operator does next.
    static constexpr std::array<int, 7> weights = {40, 6, 6, 8, 4, 3, 2};
    std::discrete_distribution<int> choose(weights.begin(), weights.end());
    Millis pause = random_ms(40, 450);
    switch (choose(rng_)) {
        case 0:
            click_channel();
            break;
        case 1:
            count("openall");
            click(openall_);
            break;
        case 2:
            count("closeall");
            click(closeall_);
            break;
        case 3:
            change_address();
            break;
        case 4:
            close_and_reopen();
            break;
        case 5:
            dismiss_notice();
            break;
        default:
            pause = random_ms(500, 1500);
            break;
    }
    schedule(pause, [this] { next_action(); });
}

void Soak::click_channel() {
    const int n = std::uniform_int_distribution<int>(1, 16)(rng_);
    const auto i = static_cast<std::size_t>(n);
    if (std::uniform_int_distribution<int>(0, 1)(rng_) == 0) {
        count("channel_click");
        click(picture1_[i]);
    } else {
        count("caption_click");
        click(label2_[i]);
    }
}

// Moves the address away from the board's (so it stops answering, or the tool stops sending)
// and back a little later.
void Soak::change_address() {
    if (address_away_) return;
    address_away_ = true;
    count("address_change");
    const int variant = std::uniform_int_distribution<int>(0, 10)(rng_);
    bool by_arrow = false;
    switch (variant) {
        case 0:
            vscroll1_->setFocus();
            QTest::keyClick(vscroll1_, Qt::Key_Up);  // 1 -> 2
            by_arrow = true;
            break;
        case 1:
            vscroll1_->setFocus();
            QTest::keyClick(vscroll1_, Qt::Key_Down);  // 1 -> 0
            by_arrow = true;
            break;
        case 2:
            type_into(add_, QStringLiteral("2"));
            break;
        case 3:
            type_into(add_, QStringLiteral("255"));
            break;
        case 4:
            type_into(add_, QStringLiteral("abc"));
            break;
        case 5:
            type_into(add_, QString());
            break;
        case 6:
            type_into(add_, QStringLiteral("300"));
            break;
        case 7:
            type_into(add_, QStringLiteral("-1"));
            break;
        case 8:
            paste_into(add_, QStringLiteral("1e3"));
            break;
        case 9:
            paste_into(add_, QStringLiteral("0x10"));
            break;
        default:
            paste_into(add_, QStringLiteral(" 1.0"));  // reads 1: the board still answers
            break;
    }
    const int arrow = variant == 0 ? Qt::Key_Down : Qt::Key_Up;
    schedule(random_ms(100, 2000), [this, by_arrow, arrow] {
        if (by_arrow && add_->text() != QStringLiteral("1")) {
            vscroll1_->setFocus();
            QTest::keyClick(vscroll1_, static_cast<Qt::Key>(arrow));
        }
        if (add_->text() != QStringLiteral("1")) type_into(add_, QStringLiteral("1"));
        address_away_ = false;
    });
}

void Soak::close_and_reopen() {
    if (!port_looks_open()) return;
    count("close_reopen");
    want_open_ = false;
    click_open_comm("to close the port");
    schedule(random_ms(50, 1500), [this] {
        // Sometimes a port number that leads nowhere first.
        if (std::uniform_int_distribution<int>(0, 2)(rng_) == 0) {
            static const std::array<const char*, 5> bad = {"0", "255", "abc", "", "99999999999"};
            const char* text = bad[std::uniform_int_distribution<std::size_t>(0, 4)(rng_)];
            count("bad_port_number");
            paste_into(chuankou_num_, QString::fromLatin1(text));
            click_open_comm("with a port number that leads nowhere");
            if (port_looks_open()) click_open_comm("to close a port that should not have opened");
            paste_into(chuankou_num_, QStringLiteral("1"));
        }
        want_open_ = true;
        open_when_wanted();
    });
}

// Closes the notice box, if one is up, as the operator would with its OK button.
void Soak::dismiss_notice() {
    auto* box = form_->findChild<QMessageBox*>(QStringLiteral("operator_notice"));
    if (box == nullptr || !box->isVisible()) return;
    count("dismiss_notice");
    box->close();
}

void Soak::type_into(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(field, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(field, text);
    }
}

void Soak::paste_into(QLineEdit* field, const QString& text) {
    field->selectAll();
    field->insert(text);
}

}  // namespace quellbox::soak
