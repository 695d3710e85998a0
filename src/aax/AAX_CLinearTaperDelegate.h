#pragma once
// Linear taper between a minimum and a maximum, with values rounded to
// 1 / Precision.  The plug-in uses Precision 2147483647 (2^31 - 1) over 0..1.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "aax/AAX_ITaperDelegate.h"

template <typename T, int32_t Precision>
class AAX_CLinearTaperDelegate : public AAX_ITaperDelegate<T> {
public:
    AAX_CLinearTaperDelegate(T minimum_ = 0, T maximum_ = 1) : minimum(minimum_), maximum(maximum_) {}

    AAX_CLinearTaperDelegate* Clone() const override { return new AAX_CLinearTaperDelegate(*this); }
    T GetMaximumValue() const override { return maximum; }
    T GetMinimumValue() const override { return minimum; }

    T ConstrainRealValue(T value) const override {
        if (minimum == maximum) return minimum;
        // A NaN from the host would pass every clamp.
        if (std::isnan(double(value))) return std::min(minimum, maximum);
        const T rounded = round(double(value));
        return std::clamp(rounded, std::min(minimum, maximum), std::max(minimum, maximum));
    }

    T NormalizedToReal(double normalized) const override {
        const double real = double(maximum - minimum) * normalized + double(minimum);
        return ConstrainRealValue(round(real));
    }

    double RealToNormalized(T value) const override {
        const T constrained = ConstrainRealValue(value);
        if (maximum == minimum) return 0.5;
        return double(constrained - minimum) / double(maximum - minimum);
    }

private:
    static T round(double value) {
        constexpr double step = 1.0 / double(Precision);
        return static_cast<T>(std::floor(value * double(Precision) + 0.5) * step);
    }

    T minimum;
    T maximum;
};
