#pragma once
// The scripted operator of the bench: a click about every half second, at a random phase to the
// tick. Four of five hit a random channel (asking for the opposite of its state), every fifth
// alternates between the two all-buttons. Each click is stamped with the frame it must produce.

#include <random>

#include "timing_recorder.h"

namespace quellbox::ui {
class MainForm;
}

namespace quellbox::bench {

class ScriptedOperator {
  public:
    ScriptedOperator(ui::MainForm& form, TimingRecorder& recorder)
        : form_(form), recorder_(recorder) {}

    void start();
    void stop() { running_ = false; }

  private:
    void schedule();
    void click();

    ui::MainForm& form_;
    TimingRecorder& recorder_;
    std::mt19937 rng_{20240611};
    int count_ = 0;
    bool running_ = false;
};

}  // namespace quellbox::bench
