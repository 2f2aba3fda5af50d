#include "diffraction.h"

#include "numberText.h"

#include <charconv>
#include <stdexcept>

Extended ProgramConstant::extended() const {
    return operator""_ext(std::string(text).c_str());
}

double ProgramConstant::toDouble() const {
    double value = 0;
    // from_chars reads the text without the C library's locale, on every compiler.
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        throw std::logic_error("bad program constant");
    return value;
}

std::string planckConstantText() {
    return std::string(phaseDivisor.text) + "E-" + std::string(momentumScale.text.substr(2));
}

void DiffractionRun::takeInputs(const DiffractionInputs& in) {
    ParticleMass = (in.massInElectrons * electronMass.extended()).toDouble();
    SlitWidthNm = in.slitWidthNm.toDouble();
    MaxCount = in.maxCount;
    SlitWidth = (nanometre.extended() * SlitWidthNm).toDouble();
    // In this order: each division rounds, and the digits follow from the order.
    Speed = in.automaticSpeed ? (Extended(MaxCount) * speedNumerator.extended() / ParticleMass /
                                 SlitWidth / speedDivisor.extended())
                                    .toDouble()
                              : in.speedKmPerS.toDouble();
}

void DiffractionRun::takeMomentum() {
    Speed = (Extended(Speed) * 1000).toDouble();
    Momentum = (Extended(ParticleMass) * Speed * momentumScale.extended()).toDouble();
}

namespace {

// Parsed once: the table takes them 99 times.
const Extended& piValue() {
    static const Extended value = pi.extended();
    return value;
}

} // namespace

Extended DiffractionRun::phase() const {
    static const Extended divisor = phaseDivisor.extended();
    return piValue() * SlitWidth * Momentum / divisor;
}

Extended DiffractionRun::angle(std::int32_t degrees) {
    return Extended(degrees) / 180 * piValue();
}

std::vector<std::string> DiffractionRun::cumulativeTable() {
    std::vector<std::string> CumulativeTable;
    CumulativeTable.reserve(patternAngles);
    Extended sum = 0;
    for (AngleIndex = 1; AngleIndex <= patternAngles; ++AngleIndex) {
        const Extended theta = angle(AngleIndex);
        const Extended K = phase();
        const Extended beta = Sin(theta) * K;
        // The numerator first, then the denominator: the order fixes the rounding.
        const Extended I = Sin(beta) * Sin(beta) / (beta * beta);
        CumulativeTable.push_back(NumberToText(I + sum));
        // Every running sum passes through its text.
        sum = TextToNumber(CumulativeTable.back());
    }
    return CumulativeTable;
}

void DiffractionRun::startCounting() {
    // Only these entries are ever used; the rest stay as they are.
    std::fill_n(LowerCounts.begin(), 201, 0);
    std::fill_n(UpperCounts.begin(), 201, 0);
    OutsideTableCount = 0;
    particles = 0;
}

PatternDraws::PatternDraws(const std::vector<std::string>& cumulativeTable) {
    entries.reserve(cumulativeTable.size());
    for (const std::string& entry : cumulativeTable)
        entries.push_back(TextToNumber(entry));
    if (!entries.empty()) count = std::int32_t(RoundToInt(entries.back() * 1000));
}

std::array<std::int64_t, patternAngles + 1> PatternDraws::perBin() const {
    std::array<std::int64_t, patternAngles + 1> bins{};
    const std::int64_t draws = count > 0 ? count : 1;
    // How many draws lie at or below an entry: the draws grow with their number, so a
    // bisection with the run's own comparison finds the first one above it.
    const auto atMost = [&](const Extended& entry) {
        std::int64_t low = 0, high = draws;
        while (low < high) {
            const std::int64_t mid = low + (high - low) / 2;
            if (entry < draw(std::int32_t(mid)))
                high = mid;
            else
                low = mid + 1;
        }
        return low;
    };
    std::int64_t below = draws;
    for (auto k = std::ptrdiff_t(entries.size()) - 1; k >= 0; --k) {
        const std::int64_t under = atMost(entries[std::size_t(k)]);
        bins[std::size_t(k)] = below - under;
        below = under;
    }
    bins[patternAngles] = below;
    return bins;
}

RunSummary summaryOf(const DiffractionRun& run) {
    RunSummary summary;
    // 15 digits give back what was typed into the field: the double's rounding lies far
    // below their last place.
    summary.massInElectrons = Extended(run.ParticleMass) / electronMass.extended();
    summary.slitWidthNm = run.SlitWidthNm;
    summary.speedKmPerS = Extended(run.Speed) / 1000;
    summary.maxCount = run.MaxCount;
    summary.particles = run.particles;
    summary.withoutBin = run.OutsideTableCount;
    return summary;
}
