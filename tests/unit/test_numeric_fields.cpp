// The address and port fields with their spin bars: each side follows the other, refused text
// never reaches a bar, and the exchange ends by itself.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <tuple>

#include "controller/main_form_logic.h"
#include "support/fake_serial_port.h"
#include "support/recording_surface.h"

namespace quellbox::controller {
namespace {

using test::RecordingSurface;

// One text box with its spin bar, as the operator reaches it.
struct Field {
    const char* name;
    std::string RecordingSurface::*text;
    std::int16_t RecordingSurface::*bar;
    bool RecordingSurface::*refused;
    void (RecordingSurface::*type)(std::string_view);
    void (RecordingSurface::*step)(std::int16_t);
};
const Field address{"Address",
                    &RecordingSurface::add,
                    &RecordingSurface::vscroll1,
                    &RecordingSurface::add_refused,
                    &RecordingSurface::type_add,
                    &RecordingSurface::set_vscroll1_value};
const Field port_number{"Port",
                        &RecordingSurface::port,
                        &RecordingSurface::vscroll2,
                        &RecordingSurface::port_refused,
                        &RecordingSurface::type_port,
                        &RecordingSurface::set_vscroll2_value};
void PrintTo(const Field& f, std::ostream* os) {
    *os << f.name;
}

struct Typed {
    const char* typed;
    std::int16_t bar;   // the bar starts at 1, the text at "1"
    const char* shown;  // the text afterwards
    bool refused;
    int handler_runs;  // a rewrite with the text already shown raises no change
};
void PrintTo(const Typed& t, std::ostream* os) {
    *os << '"' << t.typed << '"';
}

// The window's logic with both fields wired to their handlers; works on one field at a time.
class FieldRig {
  public:
    explicit FieldRig(const Field& f) : field(f) {
        surface.on_add_change = counted([this] { logic.add_Change(); });
        surface.on_vscroll1_change = counted([this] { logic.VScroll1_Change(); });
        surface.on_port_change = counted([this] { logic.chuankou_num_Change(); });
        surface.on_vscroll2_change = counted([this] { logic.VScroll2_Change(); });
    }
    // Counts every handler run and the deepest nesting seen.
    std::function<void()> counted(std::function<void()> handler) {
        return [this, handler] {
            ++runs;
            deepest = std::max(deepest, ++depth);
            handler();
            --depth;
        };
    }
    void type(const char* text) { (surface.*field.type)(text); }
    void step(std::int16_t value) { (surface.*field.step)(value); }
    const std::string& text() const { return surface.*field.text; }
    std::int16_t bar() const { return surface.*field.bar; }
    bool refused() const { return surface.*field.refused; }

    const Field& field;
    test::FakeSerialPort port;
    RecordingSurface surface;
    MainFormLogic logic{port, surface};
    int runs = 0, depth = 0, deepest = 0;
};

class TypedText : public ::testing::TestWithParam<std::tuple<Field, Typed>>, public FieldRig {
  protected:
    TypedText() : FieldRig(std::get<0>(GetParam())) {}
};
class NumericFields : public ::testing::TestWithParam<Field>, public FieldRig {
  protected:
    NumericFields() : FieldRig(GetParam()) {}
};

TEST_P(TypedText, BarFollowsTheTextAndTheTextTakesItsPlainForm) {
    const Typed& t = std::get<1>(GetParam());
    type(t.typed);
    EXPECT_EQ(bar(), t.bar);
    EXPECT_EQ(text(), t.shown);
    EXPECT_EQ(refused(), t.refused);
    EXPECT_EQ(runs, t.handler_runs);
    EXPECT_LE(deepest, 3);
}

TEST_P(NumericFields, NumberTypedAfterRefusedTextIsTakenAndClearsTheMark) {
    type("12");
    for (const char* bad : {"300", "", "abc", "-1"}) {
        type(bad);
        EXPECT_EQ(bar(), 12) << bad;
        EXPECT_TRUE(refused()) << bad;
    }
    type("5");
    EXPECT_EQ(bar(), 5);
    EXPECT_EQ(text(), "5");
    EXPECT_FALSE(refused());
}

TEST_P(NumericFields, BarStepWritesThePlainTextAndClearsTheMark) {
    type("abc");
    runs = 0;
    step(13);
    EXPECT_EQ(text(), "13");
    EXPECT_FALSE(refused());
    EXPECT_EQ(runs, 2);
    step(0);
    EXPECT_EQ(text(), "0");
}

INSTANTIATE_TEST_SUITE_P(
    Fields, TypedText,
    ::testing::Combine(
        ::testing::Values(address, port_number),
        ::testing::Values(Typed{"12", 12, "12", false, 2}, Typed{"007", 7, "7", false, 3},
                          Typed{" 9", 9, "9", false, 3}, Typed{"+20", 20, "20", false, 3},
                          Typed{"3.5", 4, "4", false, 3}, Typed{"2.5", 2, "2", false, 3},
                          Typed{"255.4", 255, "255", false, 3}, Typed{"0", 0, "0", false, 2},
                          Typed{"1.0", 1, "1.0", false, 1}, Typed{"01", 1, "01", false, 1},
                          Typed{"", 1, "", true, 1}, Typed{"abc", 1, "abc", true, 1},
                          Typed{"300", 1, "300", true, 1}, Typed{"256", 1, "256", true, 1},
                          Typed{"255.5", 1, "255.5", true, 1}, Typed{"-1", 1, "-1", true, 1},
                          Typed{"1e2", 1, "1e2", true, 1})),
    [](const auto& info) {
        return std::get<0>(info.param).name + ("_" + std::to_string(info.index));
    });

INSTANTIATE_TEST_SUITE_P(Fields, NumericFields, ::testing::Values(address, port_number),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quellbox::controller
