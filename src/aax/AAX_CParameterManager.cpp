#include "aax/AAX_CParameterManager.h"

#include <cstring>

AAX_CParameterManager::~AAX_CParameterManager() { RemoveAllParameters(); }

bool AAX_CParameterManager::AddParameter(AAX_IParameter* parameter) {
    if (!parameter || parametersMap.count(parameter->Identifier())) return false;
    parameter->SetAutomationDelegate(automationDelegate);
    parameters.push_back(parameter);
    parametersMap.emplace(parameter->Identifier(), parameter);
    return true;
}

AAX_IParameter* AAX_CParameterManager::GetParameterByID(const char* identifier) const {
    if (!identifier) return nullptr;
    const auto found = parametersMap.find(identifier);
    return found == parametersMap.end() ? nullptr : found->second;
}

int32_t AAX_CParameterManager::GetParameterIndex(const char* identifier) const {
    if (!identifier) return -1;
    for (size_t i = 0; i < parameters.size(); ++i)
        if (std::strcmp(parameters[i]->Identifier(), identifier) == 0) return int32_t(i);
    return -1;
}

AAX_IParameter* AAX_CParameterManager::GetParameter(int32_t index) const {
    if (index < 0 || index >= NumParameters()) return nullptr;
    return parameters[size_t(index)];
}

void AAX_CParameterManager::RemoveAllParameters() {
    for (AAX_IParameter* parameter : parameters) delete parameter;
    parameters.clear();
    parametersMap.clear();
}
