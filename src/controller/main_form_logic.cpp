#include "controller/main_form_logic.h"

#include "link/frames.h"
#include "link/numeric_text.h"

#include <optional>

namespace quellbox::controller {

namespace {
// Both spin bars run from 0 to 255; text outside that cannot be taken over by a bar.
std::optional<std::int16_t> spin_value_of(const std::string& text) {
    const auto value = link::text_to_int16(text);
    if (!value || *value < 0 || *value > 255) return std::nullopt;
    return value;
}
}  // namespace

MainFormLogic::MainFormLogic(link::SerialPort& comm, WindowSurface& window)
    : MSComm1(comm), surface(window), Module1(comm, [&window] { return window.add_text(); }) {
    MSComm1.set_on_comm([this] { MSComm1_OnComm(); });
    MSComm1.set_on_lost([this](const std::string& device, const std::string& reason) {
        MSComm1_Lost(device, reason);
    });
}

// ---- command slot and poll cycle ----

void MainFormLogic::Timer1_Timer() {
    if (link_countdown.silent_at_tick()) {
        give_all(not_known_look);  // the board has been silent for six ticks
    }
    send_pending_or_poll();
}

void MainFormLogic::send_pending_or_poll() {
    if (has_pending != 0) {
        // Cleared before the hand-over: a command goes out at most once, even while closed.
        has_pending = 0;
        Module1.send_frame(pending_cmd[0], pending_cmd[1], pending_cmd[2]);
    } else {
        Module1.send_frame(link::cmd_status_query, 0x00, 0x00);
    }
}

void MainFormLogic::queue_command(std::uint8_t command, std::uint8_t data1, std::uint8_t data2) {
    pending_cmd[0] = command;
    pending_cmd[1] = data1;
    pending_cmd[2] = data2;
    has_pending = 1;
    // Clicked while no port is open (the buttons work then), it belongs to no device at all.
    pending_device = MSComm1.is_open() ? open_device : std::string();
}

// ---- status in ----

void MainFormLogic::MSComm1_OnComm() {
    if (MSComm1.comm_event() != link::comm_event_receive) return;
    rx_bytes = link::read_frame(MSComm1);
    if (!rx_bytes || !link::is_valid_status_frame(*rx_bytes)) return;  // dropped in silence
    show_status();
    link_countdown.reload();
}

void MainFormLogic::show_status() {
    const link::RelayMap relays = link::relays_of(*rx_bytes);
    // Nearly every poll reports what the window already shows. Sixteen looks given again would
    // change nothing on screen, yet touching sixteen widgets is a measurable share of an idle
    // window's CPU; only a frame that differs, or one after other looks were given, is painted.
    if (shown_relays == relays) return;
    // Channels in pairs, 9 then 1, 10 then 2, ...: the order the window has always painted in.
    for (int count = 0; count < 8; ++count) {
        give_look(count + 9,
                  link::is_energized(relays, count + 9) ? energized_look : released_look);
        give_look(count + 1,
                  link::is_energized(relays, count + 1) ? energized_look : released_look);
    }
    shown_relays = relays;
}

void MainFormLogic::give_look(int channel, const Look& look) {
    surface.set_indicator_colour(channel, look.colour);
    surface.set_caption(channel, look.caption);
}

void MainFormLogic::give_all(const Look& look) {
    shown_relays.reset();
    for (int n = 1; n <= channel_count; ++n) give_look(n, look);
}

// ---- port open and close ----

void MainFormLogic::open_comm_Click() {
    if (MSComm1.is_open()) {
        MSComm1.close();
        set_port_closed_state();
        return;
    }

    const std::string text = surface.port_text();
    const auto number = link::text_to_int16(text);
    if (!number) {
        // Text that is no number reaches no device, like a number past the list: one notice.
        link::OpenResult nothing;
        nothing.error = link::OpenError::no_such_port;
        surface.notify_open_failed(text, nothing);
        return;
    }
    MSComm1.set_comm_port(*number);
    const link::OpenResult result = MSComm1.open();
    if (!result.ok()) {
        // The window keeps the looks and settings it had before the click.
        surface.notify_open_failed(text, result);
        return;
    }
    // A command still waits from before a close. It was meant for the board on the device that
    // was open when it was clicked: on any other device it would switch a relay of a board the
    // operator never saw, so it goes.
    if (has_pending != 0 && pending_device != result.device) has_pending = 0;
    open_device = result.device;
    MSComm1.set_rthreshold(receive_threshold);
    set_port_opened_state();
}

void MainFormLogic::MSComm1_Lost(const std::string& device, const std::string& reason) {
    // The port has closed itself; show the operator a window that can be reopened.
    set_port_closed_state();
    surface.notify_port_lost(device, reason);
}

void MainFormLogic::set_port_opened_state() {
    give_all(not_known_look);
    surface.set_openall_enabled(true);
    surface.set_closeall_enabled(true);
    surface.set_timer_enabled(true);
    surface.set_port_field_enabled(false);
    surface.set_open_comm_caption(caption_close_port);
}

void MainFormLogic::set_port_closed_state() {
    give_all(port_closed_look);
    surface.set_openall_enabled(false);
    surface.set_closeall_enabled(false);
    surface.set_timer_enabled(false);
    surface.set_port_field_enabled(true);
    surface.set_open_comm_caption(caption_open_port);
}

// ---- operator commands ----

void MainFormLogic::Picture1_Click(std::int16_t index) {
    if (index < 1 || index > channel_count) return;
    const std::optional<LookKind> kind = kind_of(surface.indicator_colour(index));
    const auto channel = static_cast<std::uint8_t>(index);
    if (kind == LookKind::energized) {
        queue_command(link::cmd_release_one, 0x00, channel);
    } else if (kind == LookKind::released) {
        queue_command(link::cmd_energize_one, 0x00, channel);
    }
    // Any other look: the tool does not know the relay's state, so a click asks for nothing.
}

void MainFormLogic::Label2_Click(std::int16_t index) {
    Picture1_Click(index);
}

void MainFormLogic::openall_Click() {
    queue_command(link::cmd_set_all, link::set_all_energize, link::set_all_energize);
}

void MainFormLogic::closeall_Click() {
    queue_command(link::cmd_set_all, link::set_all_release, link::set_all_release);
}

// ---- the two numeric fields and their spin bars ----
// Each side writes into the other; the exchange ends because writing a bar's current value
// raises no change event.

void MainFormLogic::add_Change() {
    const auto value = spin_value_of(surface.add_text());
    surface.set_add_text_refused(!value);
    if (value) surface.set_vscroll1_value(*value);
}

void MainFormLogic::chuankou_num_Change() {
    const auto value = spin_value_of(surface.port_text());
    surface.set_port_text_refused(!value);
    if (value) surface.set_vscroll2_value(*value);
}

void MainFormLogic::VScroll1_Change() {
    surface.set_add_text(link::int16_to_text(surface.vscroll1_value()));
}

void MainFormLogic::VScroll2_Change() {
    surface.set_port_text(link::int16_to_text(surface.vscroll2_value()));
}

}  // namespace quellbox::controller
