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
    ValueServices* values = links_.valueServices;
    values->ops->IntegerToValue(values, number, &call_->result);
}

void storeSymbol(ValueServices* values, HostValue* result, const char* text) {
    Symbol symbol = 0;
    values->ops->StringToSymbol(values, text, &symbol);
    values->ops->SymbolToValue(values, symbol, result);
}

Status ScriptCall::resultList(const ListOfThree& values, const char* errorSymbol) {
    ListServices* lists = links_.listServices;
    if (lists == nullptr || lists->ops->NewList(lists, &call_->result) != StatusOk) {
        resultSymbol(errorSymbol);
        return StatusOk;
    }
    ValueServices* host = links_.valueServices;
    for (double number : {values.first, values.second, values.third}) {
        HostValue item{};
        host->ops->FloatToValue(host, number, &item);
        lists->ops->AppendToList(lists, &call_->result, &item);
        host->ops->ReleaseValue(host, &item);
    }
    return StatusOk;
}
