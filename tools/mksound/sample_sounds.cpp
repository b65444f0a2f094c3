#include "sample_sounds.h"

#include <cmath>

namespace mksound {

namespace {

constexpr double kPi = 3.141592653589793;

double seconds(size_t i)
{
    return double(i) / kRate;
}

size_t frames(double s)
{
    return size_t(std::lround(s * kRate));
}

// A struck bell at `start`: inharmonic partials decaying at their own rates.
void strike(std::vector<double>& out, double start, double hz, double gain)
{
    static const double ratios[] = {1.0, 2.76, 5.40};
    static const double levels[] = {1.0, 0.45, 0.25};
    static const double decays[] = {9.0, 14.0, 22.0};
    const size_t first = frames(start);
    for (size_t i = first; i < out.size(); ++i) {
        const double t = seconds(i - first);
        double v = 0;
        for (int p = 0; p < 3; ++p)
            v += levels[p] * std::exp(-decays[p] * t) * std::sin(2 * kPi * hz * ratios[p] * t);
        out[i] += gain * v;
    }
}

} // namespace

std::vector<double> crossingBell()
{
    const double period = 0.33;
    const int strikes = 8;
    std::vector<double> out(frames(period * strikes), 0.0);
    for (int k = 0; k < strikes; ++k)
        strike(out, k * period, k % 2 ? 880.0 : 830.0, 0.45);
    return out;
}

std::vector<double> trainHorn()
{
    const double length = 1.6, attack = 0.08, release = 0.25;
    std::vector<double> out(frames(length), 0.0);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = seconds(i);
        double env = 1.0;
        if (t < attack)
            env = t / attack;
        else if (t > length - release)
            env = (length - t) / release;
        double v = 0;
        for (double hz : {311.1, 370.0}) { // a minor third, like a two-chime horn
            for (int h = 1; h <= 6; ++h)
                v += std::sin(2 * kPi * hz * h * t) / h;
        }
        out[i] = 0.28 * env * v;
    }
    return out;
}

std::vector<double> stationChime()
{
    const double notes[] = {659.3, 523.3, 587.3, 392.0}; // E5 C5 D5 G4
    const double step = 0.55, ring = 1.6;
    std::vector<double> out(frames(step * 3 + ring), 0.0);
    for (int k = 0; k < 4; ++k) {
        const size_t first = frames(k * step);
        for (size_t i = first; i < out.size(); ++i) {
            const double t = seconds(i - first);
            const double env = std::exp(-2.5 * t) * std::min(1.0, t / 0.005);
            out[i] += 0.35 * env *
                      (std::sin(2 * kPi * notes[k] * t) + 0.3 * std::sin(4 * kPi * notes[k] * t));
        }
    }
    return out;
}

std::vector<Note> departureMelody()
{
    // Quarter notes = 96 ticks.
    const int q = 96;
    const int keys[] = {72, 76, 79, 84, 81, 79, 76, 77, 79, 72};
    const int lengths[] = {1, 1, 1, 2, 1, 1, 1, 1, 1, 3};
    std::vector<Note> notes;
    int at = 0;
    for (int i = 0; i < 10; ++i) {
        notes.push_back({keys[i], at, lengths[i] * q - 8});
        at += lengths[i] * q;
    }
    // A bass note under each bar.
    for (int bar = 0; bar * 4 * q < at; ++bar)
        notes.push_back({bar % 2 ? 55 : 48, bar * 4 * q, 4 * q - 8, 70});
    return notes;
}

} // namespace mksound
