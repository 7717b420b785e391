// The host's descriptor procs: a replayed descriptor is read key by key, a recorded one is
// written item by item. A descriptor handle holds "RDSC", a count, then the items.
#include "host/standin/standin_p.h"

#include <cmath>
#include <cstring>
#include <memory>

struct OpaqueReadDescriptor {
    std::vector<standin::DescriptorItem> items;
    std::size_t next = 0;  // items[next - 1] is the current one
    DescriptorKeyID* expected = nullptr;  // the plug-in's zero-terminated list of keys it wants
    std::size_t expectedCount = 0;        // its length at open (entries are zeroed as keys arrive)
    OSErr pending = noErr;
};

struct OpaqueWriteDescriptor {
    std::vector<standin::DescriptorItem> items;
};

namespace standin {

namespace {

constexpr std::uint32_t kMagic = FourCC("RDSC");

// How serious a pending error is: the close reports the worst one.
int Severity(OSErr code) { return code == noErr ? 0 : code == errMissingParameter ? 1 : code == coercedParamErr ? 1 : 2; }

void Leave(PIReadDescriptor rd, OSErr code) {
    if (Severity(code) > Severity(rd->pending)) rd->pending = code;
}

const DescriptorItem* Current(PIReadDescriptor rd) {
    if (!rd || rd->next == 0 || rd->next > rd->items.size()) return nullptr;
    return &rd->items[rd->next - 1];
}

// A descriptor number as a 32-bit integer: truncated, saturated, NaN as 0.
std::int32_t ToInt32(double number) {
    if (std::isnan(number)) return 0;
    const double whole = std::trunc(number);
    return whole >= 2147483647.0 ? INT32_MAX : whole <= -2147483648.0 ? INT32_MIN : std::int32_t(whole);
}

bool IsNumeric(DescriptorTypeID type) {
    return type == typeInteger || type == typeFloat || type == typeUnitFloat || type == typeBoolean;
}

// ---- Reading --------------------------------------------------------------------------------
PIReadDescriptor OnOpenRead(PIDescriptorHandle handle, DescriptorKeyID* expected) {
    Descriptor descriptor;
    if (!handle || !DescriptorFromHandle(handle, &descriptor)) return nullptr;
    auto* rd = new (std::nothrow) OpaqueReadDescriptor;
    if (!rd) return nullptr;
    rd->items = std::move(descriptor.items);
    rd->expected = expected;
    if (expected)
        while (expected[rd->expectedCount]) ++rd->expectedCount;
    return rd;
}

OSErr OnCloseRead(PIReadDescriptor rd) {
    if (!rd) return paramErr;
    OSErr result = rd->pending;
    if (result == noErr)
        for (std::size_t i = 0; i < rd->expectedCount; ++i)
            if (rd->expected[i]) result = errMissingParameter;
    delete rd;
    return result;
}

Boolean OnGetKey(PIReadDescriptor rd, DescriptorKeyID* key, DescriptorTypeID* type, std::int32_t* flags) {
    if (!rd || rd->next >= rd->items.size()) return false;
    const DescriptorItem& item = rd->items[rd->next++];
    if (key) *key = item.key;
    if (type) *type = item.type;
    if (flags) *flags = actionSimpleParameter;
    for (std::size_t i = 0; i < rd->expectedCount; ++i)
        if (rd->expected[i] == item.key) rd->expected[i] = 0;
    return true;
}

template <typename T>
OSErr GetNumber(PIReadDescriptor rd, T* value) {
    const DescriptorItem* item = Current(rd);
    if (!item || !value || !IsNumeric(item->type)) {
        Leave(rd, paramErr);
        return paramErr;
    }
    *value = T(item->number);
    return noErr;
}

OSErr OnGetInteger(PIReadDescriptor rd, std::int32_t* value) {
    const DescriptorItem* item = Current(rd);
    if (!item || !value || !IsNumeric(item->type)) {
        Leave(rd, paramErr);
        return paramErr;
    }
    *value = ToInt32(item->number);
    return noErr;
}
OSErr OnGetFloat(PIReadDescriptor rd, double* value) { return GetNumber(rd, value); }
OSErr OnGetUnitFloat(PIReadDescriptor rd, DescriptorUnitID* unit, double* value) {
    const DescriptorItem* item = Current(rd);
    if (item && unit) *unit = item->type == typeUnitFloat ? item->unit : unitNone;
    return GetNumber(rd, value);
}
OSErr OnGetBoolean(PIReadDescriptor rd, Boolean* value) {
    const DescriptorItem* item = Current(rd);
    if (!item || !value || !IsNumeric(item->type)) {
        Leave(rd, paramErr);
        return paramErr;
    }
    *value = item->number != 0;
    return noErr;
}
OSErr OnGetCode(PIReadDescriptor rd, std::uint32_t* value) {
    const DescriptorItem* item = Current(rd);
    if (!item || !value) {
        Leave(rd, paramErr);
        return paramErr;
    }
    const double number = item->number;  // a four-character code, kept as its 32-bit value
    *value = number >= 0 && number < 4294967296.0 ? std::uint32_t(number) : 0;
    return noErr;
}
OSErr OnGetUnsupported(PIReadDescriptor rd, Handle* value) {
    if (value) *value = nullptr;
    Leave(rd, paramErr);
    return paramErr;
}
OSErr OnGetSimpleReference(PIReadDescriptor rd, PIDescriptorSimpleReference*) {
    Leave(rd, paramErr);
    return paramErr;
}
OSErr OnGetObject(PIReadDescriptor rd, DescriptorTypeID*, PIDescriptorHandle* value) { return OnGetUnsupported(rd, value); }
OSErr OnGetString(PIReadDescriptor rd, Str255* value) {
    if (value) (*value)[0] = 0;
    Leave(rd, paramErr);
    return paramErr;
}
OSErr OnGetPinnedInteger(PIReadDescriptor rd, std::int32_t min, std::int32_t max, std::int32_t* value) {
    OSErr code = OnGetInteger(rd, value);
    if (code == noErr && (*value < min || *value > max)) {
        *value = *value < min ? min : max;
        Leave(rd, coercedParamErr);
        return coercedParamErr;
    }
    return code;
}
OSErr OnGetPinnedFloat(PIReadDescriptor rd, const double* min, const double* max, double* value) {
    OSErr code = OnGetFloat(rd, value);
    if (code == noErr && min && max && (*value < *min || *value > *max)) {
        *value = *value < *min ? *min : *max;
        Leave(rd, coercedParamErr);
        return coercedParamErr;
    }
    return code;
}
OSErr OnGetPinnedUnitFloat(PIReadDescriptor rd, const double* min, const double* max, DescriptorUnitID* unit,
                           double* value) {
    const DescriptorItem* item = Current(rd);
    if (item && unit) *unit = item->type == typeUnitFloat ? item->unit : unitNone;
    return OnGetPinnedFloat(rd, min, max, value);
}

// ---- Writing --------------------------------------------------------------------------------
PIWriteDescriptor OnOpenWrite() { return new (std::nothrow) OpaqueWriteDescriptor; }

OSErr OnCloseWrite(PIWriteDescriptor wd, PIDescriptorHandle* out) {
    if (!wd) return paramErr;
    Descriptor descriptor{std::move(wd->items)};
    delete wd;
    if (!out) return paramErr;
    *out = DescriptorToHandle(descriptor);
    return *out ? noErr : memFullErr;
}

OSErr Put(PIWriteDescriptor wd, DescriptorKeyID key, DescriptorTypeID type, double number, DescriptorUnitID unit = 0) {
    if (!wd) return paramErr;
    wd->items.push_back({key, type, unit, number});
    return noErr;
}
OSErr OnPutInteger(PIWriteDescriptor wd, DescriptorKeyID key, std::int32_t value) { return Put(wd, key, typeInteger, value); }
OSErr OnPutFloat(PIWriteDescriptor wd, DescriptorKeyID key, const double* value) {
    return value ? Put(wd, key, typeFloat, *value) : paramErr;
}
OSErr OnPutUnitFloat(PIWriteDescriptor wd, DescriptorKeyID key, DescriptorUnitID unit, const double* value) {
    return value ? Put(wd, key, typeUnitFloat, *value, unit) : paramErr;
}
OSErr OnPutBoolean(PIWriteDescriptor wd, DescriptorKeyID key, Boolean value) { return Put(wd, key, typeBoolean, value ? 1 : 0); }
OSErr OnPutText(PIWriteDescriptor wd, DescriptorKeyID key, Handle) { return Put(wd, key, typeText, 0); }
OSErr OnPutAlias(PIWriteDescriptor wd, DescriptorKeyID key, Handle) { return Put(wd, key, typeAlias, 0); }
OSErr OnPutEnumerated(PIWriteDescriptor wd, DescriptorKeyID key, DescriptorTypeID, DescriptorEnumID value) {
    return Put(wd, key, typeEnumerated, value);
}
OSErr OnPutClass(PIWriteDescriptor wd, DescriptorKeyID key, DescriptorTypeID value) { return Put(wd, key, typeType, value); }
OSErr OnPutSimpleReference(PIWriteDescriptor wd, DescriptorKeyID key, const PIDescriptorSimpleReference*) {
    return Put(wd, key, FourCC("obj "), 0);
}
OSErr OnPutObject(PIWriteDescriptor wd, DescriptorKeyID key, DescriptorTypeID, PIDescriptorHandle) {
    return Put(wd, key, typeObject, 0);
}
OSErr OnPutCount(PIWriteDescriptor wd, DescriptorKeyID key, std::uint32_t value) { return Put(wd, key, FourCC("magn"), value); }
OSErr OnPutString(PIWriteDescriptor wd, DescriptorKeyID key, ConstStr255Param) { return Put(wd, key, typeText, 0); }

}  // namespace

Handle DescriptorToHandle(const Descriptor& descriptor) {
    const std::size_t bytes = 8 + descriptor.items.size() * sizeof(DescriptorItem);
    if (bytes > 0x7FFFFFFF) return nullptr;
    Handle handle = NewHostHandle(std::int32_t(bytes));
    if (!handle) return nullptr;
    const std::uint32_t count = std::uint32_t(descriptor.items.size());
    std::memcpy(*handle, &kMagic, 4);
    std::memcpy(*handle + 4, &count, 4);
    if (count) std::memcpy(*handle + 8, descriptor.items.data(), count * sizeof(DescriptorItem));
    return handle;
}

bool DescriptorFromHandle(Handle handle, Descriptor* descriptor) {
    if (!IsLiveHostHandle(handle)) return false;
    const auto* block = reinterpret_cast<const HostHandle*>(handle);
    if (block->size < 8) return false;
    std::uint32_t magic = 0, count = 0;
    std::memcpy(&magic, block->data, 4);
    std::memcpy(&count, block->data + 4, 4);
    if (magic != kMagic || (std::size_t(block->size) - 8) / sizeof(DescriptorItem) < count) return false;
    descriptor->items.resize(count);
    if (count) std::memcpy(descriptor->items.data(), block->data + 8, count * sizeof(DescriptorItem));
    return true;
}

ReadDescriptorProcs MakeReadDescriptorProcs() {
    ReadDescriptorProcs procs{};
    procs.readDescriptorProcsVersion = kCurrentReadDescriptorProcsVersion;
    procs.numReadDescriptorProcs = kCurrentReadDescriptorProcsCount;
    procs.openReadDescriptorProc = OnOpenRead;
    procs.closeReadDescriptorProc = OnCloseRead;
    procs.getKeyProc = OnGetKey;
    procs.getIntegerProc = OnGetInteger;
    procs.getFloatProc = OnGetFloat;
    procs.getUnitFloatProc = OnGetUnitFloat;
    procs.getBooleanProc = OnGetBoolean;
    procs.getTextProc = OnGetUnsupported;
    procs.getAliasProc = OnGetUnsupported;
    procs.getEnumeratedProc = OnGetCode;
    procs.getClassProc = OnGetCode;
    procs.getSimpleReferenceProc = OnGetSimpleReference;
    procs.getObjectProc = OnGetObject;
    procs.getCountProc = OnGetCode;
    procs.getStringProc = OnGetString;
    procs.getPinnedIntegerProc = OnGetPinnedInteger;
    procs.getPinnedFloatProc = OnGetPinnedFloat;
    procs.getPinnedUnitFloatProc = OnGetPinnedUnitFloat;
    return procs;
}

WriteDescriptorProcs MakeWriteDescriptorProcs() {
    WriteDescriptorProcs procs{};
    procs.writeDescriptorProcsVersion = kCurrentWriteDescriptorProcsVersion;
    procs.numWriteDescriptorProcs = kCurrentWriteDescriptorProcsCount;
    procs.openWriteDescriptorProc = OnOpenWrite;
    procs.closeWriteDescriptorProc = OnCloseWrite;
    procs.putIntegerProc = OnPutInteger;
    procs.putFloatProc = OnPutFloat;
    procs.putUnitFloatProc = OnPutUnitFloat;
    procs.putBooleanProc = OnPutBoolean;
    procs.putTextProc = OnPutText;
    procs.putAliasProc = OnPutAlias;
    procs.putEnumeratedProc = OnPutEnumerated;
    procs.putClassProc = OnPutClass;
    procs.putSimpleReferenceProc = OnPutSimpleReference;
    procs.putObjectProc = OnPutObject;
    procs.putCountProc = OnPutCount;
    procs.putStringProc = OnPutString;
    procs.putScopedClassProc = OnPutClass;
    procs.putScopedObjectProc = OnPutObject;
    return procs;
}

}  // namespace standin
