#include "phases.h"

#include <QString>
#include <algorithm>
#include <random>

namespace quellbox::soak {

namespace {

using namespace std::chrono_literals;

QString hex16(std::uint16_t value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

}  // namespace

const std::vector<std::string>& phase_kinds() {
    // Each kind stresses one thing; the last mixes them all.
    static const std::vector<std::string> kinds = {
        "clean",      "line-noise",       "short-silences", "long-silences",
        "late-board", "straddling-board", "hang-ups",       "everything"};
    return kinds;
}

std::vector<PhasePlan> plan_phases(Millis total, std::uint32_t seed,
                                   std::vector<std::string> kinds) {
    if (kinds.empty()) kinds = phase_kinds();
    std::mt19937 rng(seed);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    auto num = [](int value) { return QString::number(value); };

    const auto slice = total / static_cast<long>(kinds.size());
    const Millis length = std::clamp<Millis>(std::chrono::duration_cast<Millis>(slice), 8s, 90s);

    std::vector<PhasePlan> plans;
    Millis planned{0};
    for (std::size_t i = 0; planned + 2s <= total; ++i) {
        const std::string& kind = kinds[i % kinds.size()];
        QStringList args = {QStringLiteral("--seed"), num(pick(1, 1'000'000)),
                            QStringLiteral("--initial"),
                            hex16(static_cast<std::uint16_t>(pick(0, 0xFFFF)))};
        if (kind == "line-noise") {
            args << "--corrupt-rate"
                 << "0.08"
                 << "--drop-rate"
                 << "0.05"
                 << "--extra-rate"
                 << "0.05"
                 << "--bad-header-rate"
                 << "0.05";
        } else if (kind == "short-silences") {
            // Quiet for fewer than six ticks: the display must never fall back.
            args << "--silence-rate"
                 << "0.03"
                 << "--silence-ms" << num(pick(150, 250));
        } else if (kind == "long-silences") {
            args << "--silence-rate"
                 << "0.03"
                 << "--silence-ms" << num(pick(350, 600));
        } else if (kind == "late-board") {
            // Each answer lands after the next tick has cleared the buffer and sent again.
            args << "--reply-delay-ms" << num(pick(55, 90));
        } else if (kind == "straddling-board") {
            // Byte by byte, so answers are still arriving when the next tick clears the buffer:
            // what the tool reads is mostly misaligned and must never be shown.
            args << "--reply-delay-ms" << num(pick(30, 45)) << "--paced";
        } else if (kind == "hang-ups") {
            args << "--hangup-after" << num(pick(20, 60)) << "--reopen-ms" << num(pick(150, 800));
        } else if (kind == "everything") {
            args << "--corrupt-rate"
                 << "0.04"
                 << "--drop-rate"
                 << "0.03"
                 << "--extra-rate"
                 << "0.03"
                 << "--bad-header-rate"
                 << "0.03"
                 << "--silence-rate"
                 << "0.01"
                 << "--silence-ms" << num(pick(150, 600)) << "--reply-delay-ms" << num(pick(0, 20))
                 << "--paced"
                 << "--hangup-after" << num(pick(60, 150)) << "--reopen-ms" << num(pick(200, 600));
        }
        const Millis this_length = std::min(length, total - planned);
        plans.push_back(PhasePlan{kind, args, this_length});
        planned += this_length;
    }
    return plans;
}

}  // namespace quellbox::soak
