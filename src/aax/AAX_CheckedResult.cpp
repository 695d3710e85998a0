#include "aax/AAX_CheckedResult.h"

#include "aax/AAXException.h"
#include "aax/HostServices.h"

AAX_CheckedResult::AAX_CheckedResult(AAX_Result result) : current(result) { Check(); }

AAX_CheckedResult& AAX_CheckedResult::operator=(AAX_Result result) {
    current = result;
    Check();
    return *this;
}

void AAX_CheckedResult::Check() {
    if (accepted.count(current)) return;
    lastError = current;
    const AAX::Exception::ResultError error(current);
    current = AAX_SUCCESS;
    hostTrace(kTracePriorityCheckedResult, "AAX_CheckedResult - throwing %s", error.what());
    throw error;
}
