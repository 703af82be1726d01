#include "bridge_phases.h"

#include <iterator>

namespace quellbox::soak_bridge {

int draw(std::mt19937& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

Phase phase(int index, std::mt19937& rng, bool late_answers) {
    struct Kind {
        const char* name;
        const char* faults;
        const char* late_rate;
    };
    static const Kind kinds[] = {
        {"late answers", "", "0.05"},
        {"line noise",
         "--corrupt-rate 0.05 --drop-rate 0.03 --extra-rate 0.05 --bad-header-rate 0.03", "0.02"},
        {"hang-ups", "", "0.02"},
        // No late answers here: a late answer carrying 00 in byte 1 that lands alone in another
        // board's turn (that board quiet, or board 9, which is not there) cannot be told from
        // that board's own, by any bridge.
        {"address byte 00, silences", "--status-byte1 zero --silence-rate 0.004 --silence-ms 400",
         ""},
        {"byte by byte, slow", "--paced", "0.02"},
    };
    const Kind& kind = kinds[index % std::size(kinds)];
    Phase p{kind.name, {}};
    p.sim_args << QStringLiteral("--port 1 --address 1,5 --timestamps").split(QLatin1Char(' '))
               << QStringLiteral("--seed") << QString::number(rng()) << QStringLiteral("--initial")
               << QString::number(draw(rng, 0, 0xFFFF), 16);
    if (*kind.faults != '\0')
        p.sim_args << QString::fromLatin1(kind.faults).split(QLatin1Char(' '));
    if (late_answers && *kind.late_rate != '\0')
        p.sim_args << QStringLiteral("--late-rate") << QLatin1String(kind.late_rate);
    if (p.name == "hang-ups") {
        p.sim_args << QStringLiteral("--hangup-after") << QString::number(draw(rng, 40, 100))
                   << QStringLiteral("--reopen-ms") << QString::number(draw(rng, 300, 800));
    } else if (p.name == "byte by byte, slow") {
        p.sim_args << QStringLiteral("--reply-delay-ms") << QString::number(draw(rng, 2, 12));
    }
    return p;
}

}  // namespace quellbox::soak_bridge
