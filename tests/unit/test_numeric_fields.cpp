// The address and port fields with their spin bars: each side follows the other, refused text
// never reaches a bar, and the exchange ends by itself.

#include <gtest/gtest.h>

#include <functional>
#include <string>

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
const Field fields[] = {
    {"address", &RecordingSurface::add, &RecordingSurface::vscroll1, &RecordingSurface::add_refused,
     &RecordingSurface::type_add, &RecordingSurface::set_vscroll1_value},
    {"port", &RecordingSurface::port, &RecordingSurface::vscroll2, &RecordingSurface::port_refused,
     &RecordingSurface::type_port, &RecordingSurface::set_vscroll2_value},
};

class NumericFields : public ::testing::Test {
  protected:
    NumericFields() {
        surface.on_add_change = counted([this] { logic.add_Change(); });
        surface.on_vscroll1_change = counted([this] { logic.VScroll1_Change(); });
        surface.on_port_change = counted([this] { logic.chuankou_num_Change(); });
        surface.on_vscroll2_change = counted([this] { logic.VScroll2_Change(); });
    }
    std::function<void()> counted(std::function<void()> handler) {
        return [this, handler] {
            ++runs;
            handler();
        };
    }

    test::FakeSerialPort port;
    RecordingSurface surface;
    MainFormLogic logic{port, surface};
    int runs = 0;  // change handlers run, nested ones included
};

TEST_F(NumericFields, BarFollowsTheTextAndTheTextTakesItsPlainForm) {
    struct Typed {
        const char* typed;
        std::int16_t bar;   // the bar starts at 1, the text at "1"
        const char* shown;  // the text afterwards
        bool refused;
        int runs;  // a rewrite with the text already shown raises no change
    };
    const Typed rows[] = {
        {"12", 12, "12", false, 2},      {"007", 7, "7", false, 3},  {" 9", 9, "9", false, 3},
        {"+20", 20, "20", false, 3},     {"3.5", 4, "4", false, 3},  {"2.5", 2, "2", false, 3},
        {"255.4", 255, "255", false, 3}, {"0", 0, "0", false, 2},    {"1.0", 1, "1.0", false, 1},
        {"01", 1, "01", false, 1},       {"", 1, "", true, 1},       {"abc", 1, "abc", true, 1},
        {"300", 1, "300", true, 1},      {"256", 1, "256", true, 1}, {"255.5", 1, "255.5", true, 1},
        {"-1", 1, "-1", true, 1},        {"1e2", 1, "1e2", true, 1},
    };
    for (const Field& f : fields) {
        for (const Typed& t : rows) {
            SCOPED_TRACE(std::string(f.name) + " \"" + t.typed + "\"");
            (surface.*f.type)("1");  // back to the start; a refused mark goes with it
            ASSERT_EQ(surface.*f.bar, 1);
            ASSERT_FALSE(surface.*f.refused);
            runs = 0;
            (surface.*f.type)(t.typed);
            EXPECT_EQ(surface.*f.bar, t.bar);
            EXPECT_EQ(surface.*f.text, t.shown);
            EXPECT_EQ(surface.*f.refused, t.refused);
            EXPECT_EQ(runs, t.runs);
        }
    }
}

TEST_F(NumericFields, RefusedTextKeepsTheBarAndABarStepReplacesIt) {
    for (const Field& f : fields) {
        SCOPED_TRACE(f.name);
        (surface.*f.type)("12");
        (surface.*f.type)("abc");
        EXPECT_EQ(surface.*f.bar, 12);
        runs = 0;
        (surface.*f.step)(13);
        EXPECT_EQ(surface.*f.text, "13");
        EXPECT_FALSE(surface.*f.refused);
        EXPECT_EQ(runs, 2);
        (surface.*f.step)(0);
        EXPECT_EQ(surface.*f.text, "0");
    }
}

}  // namespace
}  // namespace quellbox::controller
