#include "plugin/scripting.h"

#include "params/param_table.h"
#include "plugin/handles.h"
#include "plugin/host_interface.h"
#include "plugin/plugin_main.h"

#include <algorithm>
#include <iterator>

namespace {

// The keys the reader announces to the host, zero-terminated. The order, and the repeated
// centre keys, are what recorded actions have always been opened with; every key of the
// parameter table appears at least once.
constexpr DescriptorKeyID kExpectedKeys[] = {
    FourCC("AtUp"), FourCC("CtnX"), FourCC("CtnY"), FourCC("RndM"), FourCC("AlpC"), FourCC("CtnX"),
    FourCC("CtnY"), FourCC("MskK"), FourCC("PtrK"), FourCC("GrwD"), FourCC("RndS"), FourCC("MnIn"),
    FourCC("MxIt"), FourCC("MxTr"), FourCC("Wdth"), FourCC("Lngh"), FourCC("Comp"), FourCC("CmDs"),
    FourCC("Dspr"), FourCC("LsID"), FourCC("PLen"), FourCC("PWid"), FourCC("InDp"), FourCC("Scle"),
    FourCC("Diff"), FourCC("Spec"), FourCC("Shin"), FourCC("ShSt"), FourCC("SlIl"), FourCC("Trns"),
    FourCC("BmpP"), FourCC("Rfrc"), FourCC("Keff"), FourCC("Abbr"), FourCC("LgCl"), FourCC("LgAl"),
    FourCC("LgBt"), FourCC("LgMt"), FourCC("UsBk"), FourCC("UsGl"), FourCC("EfKn"), FourCC("Turn"),
    FourCC("Trn1"), FourCC("MxT1"), FourCC("RttX"), FourCC("Alph"), FourCC("Beta"), FourCC("Colr"),
    0,
};

bool ReadProcsComplete(const ReadDescriptorProcs& r) {
    return r.readDescriptorProcsVersion == kCurrentReadDescriptorProcsVersion &&
           r.numReadDescriptorProcs >= kCurrentReadDescriptorProcsCount && r.openReadDescriptorProc &&
           r.closeReadDescriptorProc && r.getKeyProc && r.getIntegerProc && r.getFloatProc && r.getUnitFloatProc &&
           r.getBooleanProc && r.getTextProc && r.getAliasProc && r.getEnumeratedProc && r.getClassProc &&
           r.getSimpleReferenceProc && r.getObjectProc && r.getCountProc && r.getStringProc &&
           r.getPinnedIntegerProc && r.getPinnedFloatProc && r.getPinnedUnitFloatProc;
}

bool WriteProcsComplete(const WriteDescriptorProcs& w) {
    return w.writeDescriptorProcsVersion == kCurrentWriteDescriptorProcsVersion &&
           w.numWriteDescriptorProcs >= kCurrentWriteDescriptorProcsCount && w.openWriteDescriptorProc &&
           w.closeWriteDescriptorProc && w.putIntegerProc && w.putFloatProc && w.putUnitFloatProc &&
           w.putBooleanProc && w.putTextProc && w.putAliasProc && w.putEnumeratedProc && w.putClassProc &&
           w.putSimpleReferenceProc && w.putObjectProc && w.putCountProc && w.putStringProc &&
           w.putScopedClassProc && w.putScopedObjectProc;
}

// Reads the value of the key the host just returned into its field. A getter's error leaves
// the field as it was (the close reports it).
void ReadValue(ReadDescriptorProcs& r, PIReadDescriptor token, const ParamEntry& entry, RimelaceParams& params) {
    switch (entry.scriptType) {
        case ScriptType::Boolean: {
            Boolean value = 0;
            if (r.getBooleanProc(token, &value) == noErr) SetInteger(params, entry, value);
            break;
        }
        case ScriptType::Integer: {
            std::int32_t value = 0;
            if (r.getIntegerProc(token, &value) == noErr) SetInteger(params, entry, value);
            break;
        }
        case ScriptType::UnitFloat: {
            DescriptorUnitID unit = unitDistance;  // whatever unit comes back is not used
            double value = 0.0;
            if (r.getUnitFloatProc(token, &unit, &value) == noErr) SetFloat(params, entry, value);
            break;
        }
    }
}

void WriteValue(WriteDescriptorProcs& w, PIWriteDescriptor token, const ParamEntry& entry,
                const RimelaceParams& params) {
    switch (entry.scriptType) {
        case ScriptType::Boolean:
            w.putBooleanProc(token, entry.key, static_cast<Boolean>(GetInteger(params, entry) & 0xFF));
            break;
        case ScriptType::Integer: w.putIntegerProc(token, entry.key, GetInteger(params, entry)); break;
        case ScriptType::UnitFloat: {
            double value = GetFloat(params, entry);
            w.putUnitFloatProc(token, entry.key, unitDistance, &value);
            break;
        }
    }
}

}  // namespace

std::span<const DescriptorKeyID> ScriptExpectedKeys() { return kExpectedKeys; }

bool DescriptorsAvailable(const PluginGlobals& globals) {
    const FilterRecord* record = globals.filterRecord;
    if (!record || !record->descriptorParameters) return false;
    const PIDescriptorParameters& parameters = *record->descriptorParameters;
    if (parameters.descriptorParametersVersion != kCurrentDescriptorParametersVersion) return false;
    if (!parameters.readDescriptorProcs || !parameters.writeDescriptorProcs) return false;
    return ReadProcsComplete(*parameters.readDescriptorProcs) && WriteProcsComplete(*parameters.writeDescriptorProcs);
}

std::int16_t ReadScriptParams(PluginGlobals& globals) {
    RimelaceParams* params = LockedParams(globals);
    if (!params || !DescriptorsAvailable(globals)) return noErr;
    PIDescriptorParameters& parameters = *globals.filterRecord->descriptorParameters;
    ReadDescriptorProcs& r = *parameters.readDescriptorProcs;

    OSErr error = noErr;
    DescriptorKeyID keys[std::size(kExpectedKeys)];  // the host zeroes the keys it returns
    std::copy(std::begin(kExpectedKeys), std::end(kExpectedKeys), keys);
    if (PIReadDescriptor token = r.openReadDescriptorProc(parameters.descriptor, keys)) {
        DescriptorKeyID key = 0;
        DescriptorTypeID type = 0;
        std::int32_t flags = 0;
        while (r.getKeyProc(token, &key, &type, &flags)) {
            if (const ParamEntry* entry = FindParamByKey(key)) ReadValue(r, token, *entry, *params);
        }
        error = r.closeReadDescriptorProc(token);
        if (error != noErr && error != errMissingParameter && globals.result) *globals.result = error;
    }
    params->QueryForParameters = parameters.playInfo == plugInDialogDisplay;
    return error;
}

std::int16_t WriteScriptParams(PluginGlobals& globals) {
    RimelaceParams* params = LockedParams(globals);
    if (!params || !DescriptorsAvailable(globals)) return noErr;
    PIDescriptorParameters& parameters = *globals.filterRecord->descriptorParameters;
    WriteDescriptorProcs& w = *parameters.writeDescriptorProcs;

    PIWriteDescriptor token = w.openWriteDescriptorProc();
    if (!token) return noErr;
    for (const ParamEntry& entry : ParamTable())
        if (entry.scriptWritten) WriteValue(w, token, entry, *params);

    PIDescriptorHandle written = nullptr;
    OSErr error = w.closeWriteDescriptorProc(token, &written);
    if (written) {
        if (parameters.descriptor) DisposePluginHandle(parameters.descriptor);
        parameters.descriptor = written;
    }
    parameters.recordInfo = plugInDialogOptional;
    return error;
}
