#include "xtra/script_call/script_call.h"

const char* const SymbolOk = "Ok";
const char* const ErrInvalidParameter = "errInvalidParameter";
const char* const ErrCouldNotCreateList = "errCouldNotCreateList";
const char* const ErrParamInvalid = "errParamInvalid";
const char* const ErrLimitsInvalid = "errLimitsInvalid";

Status ScriptCall::readArguments(int first, std::initializer_list<double*> places,
                                 const char* errorSymbol) {
    int element = first;
    for (double* place : places) {
        const Status status = readArgument(element, place);
        if (status != StatusOk) {
            resultSymbol(errorSymbol);
            return status;
        }
        ++element;
    }
    return StatusOk;
}

void ScriptCall::resultInteger(int32_t number) {
    ValueServices* values = instance_.links.valueServices;
    values->ops->IntegerToValue(values, number, &call_->result);
}

void ScriptCall::resultSymbol(const char* text) {
    ValueServices* values = instance_.links.valueServices;
    Symbol symbol = 0;
    values->ops->StringToSymbol(values, text, &symbol);
    values->ops->SymbolToValue(values, symbol, &call_->result);
}

Status ScriptCall::resultList(const Vec3& values, const char* errorSymbol) {
    ListServices* lists = instance_.links.listServices;
    if (lists == nullptr || lists->ops->NewList(lists, &call_->result) != StatusOk) {
        resultSymbol(errorSymbol);
        return StatusOk;
    }
    ValueServices* host = instance_.links.valueServices;
    for (double number : {values.x, values.y, values.z}) {
        HostValue item{};
        host->ops->FloatToValue(host, number, &item);
        lists->ops->AppendToList(lists, &call_->result, &item);
        host->ops->ReleaseValue(host, &item);
    }
    return StatusOk;
}
