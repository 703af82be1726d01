#pragma once
// main_form's logic: the command slot and the poll cycle, opening and closing the port, the
// channel display, the operator's commands and the two numeric fields. Every event of the
// window and of the serial port lands in one of the handlers below, on the one GUI thread, one
// at a time. No toolkit code here: the window and the port are reached through interfaces.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "controller/looks.h"
#include "controller/window_surface.h"
#include "link/poll_rules.h"
#include "link/serial_port.h"
#include "link/silence_countdown.h"
#include "link/status_receiver.h"
#include "link/transmitter.h"

namespace quellbox::controller {

using link::receive_threshold;

class MainFormLogic {
  public:
    // Hooks itself onto the port's receive and loss events.
    MainFormLogic(link::SerialPort& comm, WindowSurface& surface);
    MainFormLogic(const MainFormLogic&) = delete;
    MainFormLogic& operator=(const MainFormLogic&) = delete;

    // Event handlers, named after control and event.
    void Timer1_Timer();
    void MSComm1_OnComm();
    void open_comm_Click();
    void Picture1_Click(std::int16_t index);
    void Label2_Click(std::int16_t index);
    void openall_Click();
    void closeall_Click();
    void add_Change();
    void chuankou_num_Change();
    void VScroll1_Change();
    void VScroll2_Change();
    // The port closed itself because its device went away.
    void MSComm1_Lost(const std::string& device, const std::string& reason);

  private:
    void send_pending_or_poll();
    void queue_command(std::uint8_t command, std::uint8_t data1, std::uint8_t data2);
    void show_status();
    void set_port_opened_state();
    void set_port_closed_state();
    void give_look(int channel, const Look& look);
    void give_all(const Look& look);

    link::SerialPort& MSComm1;
    WindowSurface& surface;
    link::Transmitter Module1;

    std::array<std::uint8_t, 3> pending_cmd{};  // command code, data byte 1, data byte 2
    std::uint8_t has_pending = 0;
    std::string pending_device;             // the device open when the waiting command was clicked
    std::string open_device;                // the device of the last successful open
    link::SilenceCountdown link_countdown;  // run out at start: not known until an answer
    std::optional<link::Frame> rx_bytes;    // the last frame read whole, valid or not
    // The relays the sixteen looks show, while they are still those of the last status shown;
    // none once any other look has been given since.
    std::optional<link::RelayMap> shown_relays;
};

}  // namespace quellbox::controller
