#pragma once

#include "floatEnv.h"
#include "numberText.h"

#include <string>
#include <vector>

// The run's pattern table from the fields' values, with the window's arithmetic but without
// the window, for checks that need many tables: the texts, or the fault's message.
struct PatternInputs {
    Extended mass, width;
    int maxima;
    bool automatic;
    Extended speed;
};

inline const Extended patternPi = 3.14159265358979323851_ext;

// The factor of the table's second sine, pi times the slit width times the momentum over
// Planck's constant, as the window computes it; a fault raises its error.
inline Extended patternPhase(const PatternInputs& in) {
    const double particleMass = (in.mass * 9.1e-31_ext).toDouble();
    const double slitWidth = (1e-9_ext * in.width.toDouble()).toDouble();
    double speed =
        in.automatic
            ? (Extended(in.maxima) * 6.6e-37_ext / particleMass / slitWidth / 1.1_ext).toDouble()
            : in.speed.toDouble();
    speed = (Extended(speed) * 1000).toDouble();
    const double momentum = (Extended(particleMass) * speed * 1e34_ext).toDouble();
    return patternPi * slitWidth * momentum / 6.034_ext;
}

inline std::vector<std::string> patternTexts(const PatternInputs& in) {
    std::vector<std::string> table;
    try {
        const Extended k = patternPhase(in);
        Extended sum = 0;
        for (int angle = 1; angle <= 99; ++angle) {
            const Extended theta = Extended(angle) / 180 * patternPi;
            const Extended beta = Sin(theta) * k;
            const Extended intensity = Sin(beta) * Sin(beta) / (beta * beta);
            table.push_back(NumberToText(intensity + sum));
            sum = TextToNumber(table.back());
        }
    } catch (const std::exception& e) {
        table.assign(1, e.what());
    }
    return table;
}
