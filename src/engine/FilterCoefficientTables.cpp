#include "engine/FilterCoefficientTables.h"

namespace {

constexpr float kValuesF[kFilterTableEntries - 1] = {
    0.00000f, 0.28179f, 0.50392f, 0.67389f, 0.79907f, 0.88669f, 0.94379f, 0.97723f, 0.99363f, 0.99928f, 1.00000f,
    0.00000f, 0.26786f, 0.48407f, 0.65359f, 0.78162f, 0.87363f, 0.93532f, 0.97267f, 0.99182f, 0.99893f, 1.00000f,
    0.00000f, 0.26856f, 0.48734f, 0.65972f, 0.78975f, 0.88224f, 0.94279f, 0.97777f, 0.99423f, 0.99942f, 1.00000f,
    0.00000f, 0.27649f, 0.50324f, 0.68198f, 0.81531f, 0.90772f, 0.96477f, 0.99359f, 1.00275f, 1.00181f, 1.00000f,
    0.00000f, 0.28623f, 0.52349f, 0.71124f, 0.85073f, 0.94503f, 0.99930f, 1.02091f, 1.01969f, 1.00790f, 1.00000f,
    0.00000f, 0.29479f, 0.54314f, 0.74218f, 0.89103f, 0.99094f, 1.04567f, 1.06171f, 1.04890f, 1.02123f, 1.00000f,
    0.00000f, 0.30096f, 0.56004f, 0.77212f, 0.93399f, 1.04458f, 1.10525f, 1.12022f, 1.09724f, 1.04906f, 1.00000f,
    0.00000f, 0.30477f, 0.57404f, 0.80089f, 0.97993f, 1.10753f, 1.18205f, 1.20407f, 1.17679f, 1.10642f, 1.00000f,
    0.00000f, 0.30704f, 0.58651f, 0.83036f, 1.03154f, 1.18417f, 1.28356f, 1.32609f, 1.30851f, 1.22458f, 1.00000f,
    0.00000f, 0.30915f, 0.60000f, 0.86424f, 1.09408f, 1.28234f, 1.42234f, 1.50739f, 1.52901f, 1.46875f, 1.00000f,
    0.00000f, 0.31287f, 0.61803f, 0.90798f, 1.17557f, 1.41421f, 1.61803f, 1.78201f, 1.90211f, 1.97538f, 1.00000f,
};

constexpr float kValuesQ[kFilterTableEntries - 1] = {
    2.00000f, 1.71821f, 1.49608f, 1.32611f, 1.20093f, 1.11331f, 1.05621f, 1.02277f, 1.00637f, 1.00072f, 1.00000f,
    1.91489f, 1.67581f, 1.48093f, 1.32643f, 1.20819f, 1.12193f, 1.06314f, 1.02696f, 1.00814f, 1.00107f, 1.00000f,
    1.70715f, 1.53100f, 1.38353f, 1.26343f, 1.16909f, 1.09870f, 1.05009f, 1.02033f, 1.00550f, 1.00057f, 1.00000f,
    1.45825f, 1.34133f, 1.24241f, 1.16103f, 1.09683f, 1.04942f, 1.01810f, 1.00140f, 0.99642f, 0.99816f, 1.00000f,
    1.21543f, 1.14522f, 1.08660f, 1.03954f, 1.00412f, 0.98060f, 0.96907f, 0.96905f, 0.97842f, 0.99199f, 1.00000f,
    0.99227f, 0.95591f, 0.92780f, 0.90798f, 0.89680f, 0.89479f, 0.90257f, 0.92044f, 0.94731f, 0.97850f, 1.00000f,
    0.78587f, 0.77299f, 0.76648f, 0.76669f, 0.77413f, 0.78964f, 0.81432f, 0.84938f, 0.89542f, 0.95031f, 1.00000f,
    0.58928f, 0.59101f, 0.59814f, 0.61116f, 0.63087f, 0.65844f, 0.69558f, 0.74466f, 0.80887f, 0.89204f, 1.00000f,
    0.39527f, 0.40389f, 0.41692f, 0.43503f, 0.45924f, 0.49105f, 0.53275f, 0.58800f, 0.66310f, 0.77138f, 1.00000f,
    0.19920f, 0.20720f, 0.21803f, 0.23231f, 0.25094f, 0.27533f, 0.30773f, 0.35206f, 0.41611f, 0.52063f, 1.00000f,
    0.00000f, 0.00000f, 0.00000f, 0.00000f, 0.00000f, 0.00000f, 0.00000f, 0.00000f, 0.00000f, 0.00000f, 1.00000f,
};

constexpr FilterCoefficientTable withSlopes(const float (&values)[kFilterTableEntries - 1]) {
    FilterCoefficientTable table{};
    constexpr int last = kFilterTableEntries - 2;  // the last grid entry has no slope
    for (int i = 0; i <= last; ++i) {
        table[i] = {values[i], i < last ? values[i + 1] - values[i] : 0.0f};
    }
    table[kFilterTableEntries - 1] = {0.0f, 0.0f};
    return table;
}

constexpr FilterCoefficientValues heldPastTheGrid(const float (&values)[kFilterTableEntries - 1]) {
    FilterCoefficientValues held{};
    for (int i = 0; i < kFilterValueEntries; ++i) held[i] = values[i < kFilterTableEntries - 1 ? i : kFilterTableEntries - 2];
    return held;
}

// Made while compiling: the lanes ask for the tables every tick, and a
// table made at its first use would be asked whether it is made yet.
constexpr FilterCoefficientTable kTableF = withSlopes(kValuesF);
constexpr FilterCoefficientTable kTableQ = withSlopes(kValuesQ);
constexpr FilterCoefficientValues kHeldF = heldPastTheGrid(kValuesF);
constexpr FilterCoefficientValues kHeldQ = heldPastTheGrid(kValuesQ);

}  // namespace

const FilterCoefficientTable& filterCoefTableF() { return kTableF; }

const FilterCoefficientTable& filterCoefTableQ() { return kTableQ; }

const FilterCoefficientValues& filterCoefValuesF() { return kHeldF; }

const FilterCoefficientValues& filterCoefValuesQ() { return kHeldQ; }
