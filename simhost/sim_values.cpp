// Values, symbols and lists: the ValueServices and ListServices of the simulated host.
#include <cstring>
#include <limits>
#include <sstream>

#include "simhost/sim_host_impl.h"

namespace sim {

HostValue Host::Impl::box(Box&& contents) {
    contents.references = 1;
    const ValueType type = contents.type;
    size_t index;
    if (!freeBoxes.empty()) {
        index = freeBoxes.back();
        freeBoxes.pop_back();
        boxes[index] = std::move(contents);
    } else {
        index = boxes.size();
        boxes.push_back(std::move(contents));
    }
    return encode(type, static_cast<uint32_t>(index));
}

static bool isBoxed(ValueType type) {
    return type == ValueType::Float || type == ValueType::String || type == ValueType::List ||
           type == ValueType::Point;
}

Box* Host::Impl::boxOf(const HostValue& value) {
    if (!isBoxed(typeWord(value)) || value.opaque[1] >= boxes.size()) {
        return nullptr;
    }
    Box& contents = boxes[value.opaque[1]];
    if (contents.references <= 0 || contents.type != typeWord(value)) {
        return nullptr;  // a value that was already given back
    }
    return &contents;
}

const Box* Host::Impl::boxOf(const HostValue& value) const {
    return const_cast<Host::Impl*>(this)->boxOf(value);
}

void Host::Impl::retain(const HostValue& value) {
    if (Box* contents = boxOf(value)) {
        contents->references += 1;
    }
}

void Host::Impl::releaseValue(HostValue& value) {
    if (Box* contents = boxOf(value)) {
        contents->references -= 1;
        if (contents->references == 0) {
            std::vector<HostValue> items = std::move(contents->items);
            const size_t index = value.opaque[1];
            boxes[index] = Box{};
            freeBoxes.push_back(index);
            for (HostValue& item : items) {
                releaseValue(item);
            }
        }
    }
    value = encode(ValueType::Void, 0);
}

Symbol Host::Impl::intern(const std::string& text) {
    auto found = symbolIds.find(text);
    if (found != symbolIds.end()) {
        return found->second;
    }
    symbolTexts.push_back(text);
    const auto id = static_cast<Symbol>(symbolTexts.size());
    symbolIds.emplace(text, id);
    return id;
}

namespace {

Status XTRA_CALL stringToSymbol(ValueServices* self, const char* text, Symbol* out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::StringToSymbol);
    if (text == nullptr || out == nullptr) {
        return StatusRefused;
    }
    *out = host.intern(text);
    return StatusOk;
}

Status XTRA_CALL releaseValue(ValueServices* self, HostValue* value) {
    Host::Impl& host = hostOf(self);
    host.count(Op::ReleaseValue);
    host.releaseValue(*value);
    return StatusOk;
}

// Integers and floats convert; every other type is refused, the output left alone unless
// writeOnRefusal is on.
Status XTRA_CALL valueToFloat(ValueServices* self, const HostValue* value, double* out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::ValueToFloat);
    switch (typeWord(*value)) {
        case ValueType::Integer:
            *out = static_cast<double>(static_cast<int32_t>(value->opaque[1]));
            return StatusOk;
        case ValueType::Float:
            if (const Box* contents = host.boxOf(*value)) {
                *out = contents->number;
                return StatusOk;
            }
            break;
        default:
            break;
    }
    if (host.writeOnRefusal) {
        *out = std::numeric_limits<double>::quiet_NaN();
    }
    return StatusNotConvertible;
}

Status XTRA_CALL integerToValue(ValueServices* self, int32_t number, HostValue* out) {
    hostOf(self).count(Op::IntegerToValue);
    *out = encode(ValueType::Integer, static_cast<uint32_t>(number));
    return StatusOk;
}

Status XTRA_CALL symbolToValue(ValueServices* self, Symbol symbol, HostValue* out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::SymbolToValue);
    if (symbol <= 0 || static_cast<size_t>(symbol) > host.symbolTexts.size()) {
        return StatusRefused;
    }
    *out = encode(ValueType::Symbol, static_cast<uint32_t>(symbol));
    return StatusOk;
}

Status XTRA_CALL floatToValue(ValueServices* self, double number, HostValue* out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::FloatToValue);
    Box contents;
    contents.type = ValueType::Float;
    contents.number = number;
    *out = host.box(std::move(contents));
    return StatusOk;
}

Status XTRA_CALL pointToValue(ValueServices* self, const HostPoint* point, HostValue* out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::PointToValue);
    Box contents;
    contents.type = ValueType::Point;
    contents.items = {encode(ValueType::Integer, static_cast<uint32_t>(point->h)),
                      encode(ValueType::Integer, static_cast<uint32_t>(point->v))};
    *out = host.box(std::move(contents));
    return StatusOk;
}

Status XTRA_CALL newList(ListServices* self, HostValue* out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::NewList);
    if (host.newListFailures > 0) {
        host.newListFailures -= 1;
        return StatusRefused;
    }
    Box contents;
    contents.type = ValueType::List;
    *out = host.box(std::move(contents));
    return StatusOk;
}

// The list keeps its own reference to the item; the caller still owns its own.
Status XTRA_CALL appendToList(ListServices* self, HostValue* list, const HostValue* item) {
    Host::Impl& host = hostOf(self);
    host.count(Op::AppendToList);
    Box* contents = host.boxOf(*list);
    if (contents == nullptr || contents->type != ValueType::List) {
        return StatusRefused;
    }
    host.retain(*item);
    // boxOf again: retain cannot move boxes, but keep the order obvious.
    host.boxOf(*list)->items.push_back(*item);
    return StatusOk;
}

Status XTRA_CALL setListItem(ListServices* self, HostValue* list, int32_t index,
                             const HostValue* item) {
    Host::Impl& host = hostOf(self);
    host.count(Op::SetListItem);
    Box* contents = host.boxOf(*list);
    if (contents == nullptr ||
        (contents->type != ValueType::List && contents->type != ValueType::Point) || index < 1 ||
        static_cast<size_t>(index) > contents->items.size()) {
        return StatusRefused;
    }
    host.retain(*item);
    HostValue old = contents->items[static_cast<size_t>(index) - 1];
    contents->items[static_cast<size_t>(index) - 1] = *item;
    host.releaseValue(old);
    return StatusOk;
}

}  // namespace

const OperationTable& valueServicesTable() {
    static const OperationTable table = hostTable<ValueServices>(
        {slot(3, stringToSymbol), slot(7, releaseValue), slot(10, valueToFloat),
         slot(17, integerToValue), slot(18, symbolToValue), slot(19, floatToValue),
         slot(22, pointToValue)});
    return table;
}

const OperationTable& listServicesTable() {
    static const OperationTable table =
        hostTable<ListServices>({slot(3, newList), slot(4, appendToList), slot(7, setListItem)});
    return table;
}

// --- The test-facing side of values.

void Host::failNewLists(int count) {
    impl_->newListFailures = count;
}

void Host::writeOnRefusal(bool write) {
    impl_->writeOnRefusal = write;
}

HostValue Host::makeInteger(int32_t number) {
    return encode(ValueType::Integer, static_cast<uint32_t>(number));
}

HostValue Host::makeFloat(double number) {
    Box contents;
    contents.type = ValueType::Float;
    contents.number = number;
    return impl_->box(std::move(contents));
}

HostValue Host::makeSymbol(const std::string& text) {
    return encode(ValueType::Symbol, static_cast<uint32_t>(impl_->intern(text)));
}

HostValue Host::makeString(const std::string& text) {
    Box contents;
    contents.type = ValueType::String;
    contents.text = text;
    return impl_->box(std::move(contents));
}

HostValue Host::makeList(const std::vector<HostValue>& items) {
    Box contents;
    contents.type = ValueType::List;
    for (const HostValue& item : items) {
        impl_->retain(item);
        contents.items.push_back(item);
    }
    return impl_->box(std::move(contents));
}

void Host::release(HostValue& value) {
    impl_->releaseValue(value);
}

ValueType Host::typeOf(const HostValue& value) const {
    return typeWord(value);
}

int32_t Host::integerOf(const HostValue& value) const {
    return typeWord(value) == ValueType::Integer ? static_cast<int32_t>(value.opaque[1]) : 0;
}

double Host::floatOf(const HostValue& value) const {
    const Box* contents = impl_->boxOf(value);
    return contents != nullptr && contents->type == ValueType::Float ? contents->number : 0.0;
}

std::string Host::symbolOf(const HostValue& value) const {
    if (typeWord(value) != ValueType::Symbol) {
        return {};
    }
    const uint32_t id = value.opaque[1];
    return id >= 1 && id <= impl_->symbolTexts.size() ? impl_->symbolTexts[id - 1] : std::string{};
}

std::string Host::stringOf(const HostValue& value) const {
    const Box* contents = impl_->boxOf(value);
    return contents != nullptr && contents->type == ValueType::String ? contents->text
                                                                      : std::string{};
}

std::vector<HostValue> Host::itemsOf(const HostValue& value) const {
    const Box* contents = impl_->boxOf(value);
    return contents != nullptr ? contents->items : std::vector<HostValue>{};
}

bool Host::floatsOf(const HostValue& value, ValueType type, size_t count, double* out) const {
    if (typeOf(value) != type) {
        return false;
    }
    const std::vector<HostValue> items = itemsOf(value);
    if (items.size() != count) {
        return false;
    }
    for (const HostValue& item : items) {
        if (typeOf(item) != ValueType::Float) {
            return false;
        }
    }
    for (size_t i = 0; out != nullptr && i < count; ++i) {
        out[i] = floatOf(items[i]);
    }
    return true;
}

bool Host::isSymbol(const HostValue& value, const std::string& text) const {
    return typeWord(value) == ValueType::Symbol && symbolOf(value) == text;
}

size_t Host::liveBoxes() const {
    return impl_->boxes.size() - impl_->freeBoxes.size();
}

std::string Host::describe(const HostValue& value) const {
    std::ostringstream text;
    text.precision(17);
    switch (typeWord(value)) {
        case ValueType::Void:
            text << "<void>";
            break;
        case ValueType::Integer:
            text << integerOf(value);
            break;
        case ValueType::Float:
            text << floatOf(value) << " (float)";
            break;
        case ValueType::Symbol:
            text << "#" << symbolOf(value);
            break;
        case ValueType::String:
            text << '"' << stringOf(value) << '"';
            break;
        case ValueType::List:
        case ValueType::Point: {
            text << (typeWord(value) == ValueType::List ? "[" : "point(");
            const char* separator = "";
            for (const HostValue& item : itemsOf(value)) {
                text << separator << describe(item);
                separator = ", ";
            }
            text << (typeWord(value) == ValueType::List ? "]" : ")");
            break;
        }
        default:
            text << "<type " << value.opaque[0] << ">";
    }
    return text.str();
}

}  // namespace sim
