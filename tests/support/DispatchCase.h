#pragma once
// One row of a dispatcher table: an opcode with its arguments (the pointer
// argument is always probeBuffer), the calls it must reach, and its answer.

#include <gtest/gtest.h>

#include "core/AudioEffect.h"
#include "support/CallLog.h"

struct DispatchCase {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
    CallLog calls;  // in order
    intptr_t result;
};

inline void expectDispatch(AudioEffect& effect, CallLog& log, const DispatchCase& c) {
    log.clear();
    const intptr_t result = effect.dispatcher(c.opcode, c.index, c.value, probeBuffer, c.opt);
    EXPECT_EQ(result, c.result) << "opcode " << c.opcode;
    EXPECT_EQ(log, c.calls) << "opcode " << c.opcode;
}
