// Texts the operator can put into the real window's two fields that no spin bar can take: the
// bar keeps its value, the text stays as entered and is marked refused, a tick with such an
// address writes nothing, and a port number that is no number opens nothing.

#include <QKeyEvent>

#include "link/numeric_text.h"

#include "form_fixture.h"

namespace quellbox::test {
namespace {

struct FieldText {
    const char* why;
    QString text;
};
void PrintTo(const FieldText& c, std::ostream* os) {
    *os << c.why;
}

const QColor refused_colour(Qt::red);
const QColor plain_colour(Qt::black);

class BadFieldText : public FormTest, public ::testing::WithParamInterface<FieldText> {
  protected:
    static QColor text_colour(QLineEdit* field) {
        return field->palette().color(QPalette::Active, QPalette::Text);
    }
};

TEST_P(BadFieldText, AddressKeepsItsBarAndNoFrameGoesOut) {
    const QString& text = GetParam().text;
    paste(add(), QStringLiteral("7"));
    open_port();
    const std::size_t written = port.written.size();

    paste(add(), text);
    EXPECT_EQ(add()->text(), text);
    EXPECT_EQ(form.vscroll1_value(), 7);
    EXPECT_EQ(text_colour(add()), refused_colour);

    click(button("openall"));
    tick();  // takes the command, and writes nothing
    tick();  // the status query, and writes nothing
    EXPECT_EQ(port.written.size(), written);
    EXPECT_FALSE(form.logic().command_pending());

    // A number again: the next tick polls that board.
    paste(add(), QStringLiteral("9"));
    EXPECT_EQ(text_colour(add()), plain_colour);
    tick();
    ASSERT_EQ(port.written.size(), written + 1);
    EXPECT_EQ(hex(last_frame()), "55 09 10 00 00 00 00 6E");
}

TEST_P(BadFieldText, PortNumberKeepsItsBarAndNoTextOpensAPortItDoesNotName) {
    const QString& text = GetParam().text;
    paste(chuankou_num(), QStringLiteral("7"));
    paste(chuankou_num(), text);
    EXPECT_EQ(chuankou_num()->text(), text);
    EXPECT_EQ(form.vscroll2_value(), 7);
    EXPECT_EQ(text_colour(chuankou_num()), refused_colour);
    EXPECT_FALSE(chuankou_num()->toolTip().isEmpty());

    // Numbers outside the bar's range ("300", "-1") still name a port; anything else names none
    // and must not reach the port at all.
    if (link::text_to_int16(text.toStdString())) return;
    port.next_open = {};
    port.calls.clear();
    click(button("open_comm"));
    EXPECT_TRUE(port.calls.empty());
    EXPECT_FALSE(port.is_open());
    EXPECT_NE(form.notice_box(), nullptr);
    EXPECT_EQ(button("open_comm")->text(), QStringLiteral("打开串口"));
    EXPECT_TRUE(chuankou_num()->isEnabled());
    EXPECT_EQ(form.indicator_colour(1), 0x00FFFFu);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BadFieldText,
    ::testing::Values(
        FieldText{"empty", QString()}, FieldText{"blank", QStringLiteral(" ")},
        FieldText{"letters", QStringLiteral("abc")}, FieldText{"exponent", QStringLiteral("1e3")},
        FieldText{"hex", QStringLiteral("0x10")}, FieldText{"past_255", QStringLiteral("300")},
        FieldText{"negative", QStringLiteral("-1")},
        FieldText{"past_int16", QStringLiteral("32768")},
        FieldText{"below_int16", QStringLiteral("-32769")},
        FieldText{"twenty_digits", QStringLiteral("99999999999999999999")},
        FieldText{"ten_thousand_digits", QString(10'000, QLatin1Char('9'))},
        FieldText{"fullwidth_digits", QStringLiteral("１２")},
        FieldText{"arabic_indic_digits", QStringLiteral("١٢")},
        FieldText{"nul_inside", QStringLiteral("1") + QChar(u'\0') + QStringLiteral("2")},
        FieldText{"control_characters", QStringLiteral("\x01\x1b\x7f")},
        FieldText{"newline_inside", QStringLiteral("1\n2")}),
    [](const auto& info) { return std::string(info.param.why); });

// Control characters from the keyboard (NUL is Ctrl+@, ESC, DEL, ...) are not text: the field
// keeps what it had and nothing is judged afresh.
using TypedControlCharacters = FormTest;

TEST_F(TypedControlCharacters, ChangeNothingInEitherField) {
    for (QLineEdit* field : {add(), chuankou_num()}) {
        paste(field, QStringLiteral("7"));
        field->setFocus();
        field->end(false);
        for (const char16_t c : {u'\0', u'\x01', u'\x08', u'\x1b', u'\x7f'}) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(c)));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier,
                              QString(QChar(c)));
            QCoreApplication::sendEvent(field, &press);
            QCoreApplication::sendEvent(field, &release);
        }
        EXPECT_EQ(field->text(), QStringLiteral("7"));
        EXPECT_EQ(field->palette().color(QPalette::Active, QPalette::Text), plain_colour);
    }
    EXPECT_EQ(form.vscroll1_value(), 7);
    EXPECT_EQ(form.vscroll2_value(), 7);
}

}  // namespace
}  // namespace quellbox::test
