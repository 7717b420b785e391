// The exported switches with their Set/Get pairs, the Z-buffer accessors and the callback install.
#include <cstring>

#include "engine/state_p.h"

BYTE _DrawMode = 6;
BYTE _Quality = 1;
BYTE _Deep = 0;
BYTE _DubleSide = 0;
BYTE _DrawBackFaces = 0;
BYTE _DrawBackFaces1 = 0;
BYTE _UseMultyRefract = 1;
BYTE _UsePhong2 = 0;
BYTE _UseGlass = 0;
BYTE _UseCustomMats = 1;
BYTE _UsePersp = 0;
BYTE _UseReflection = 0;
float _WireSize = 1.0f;
float _Persp_Val = 0.0f;
float _Persp_x = 0.0f;
float _Persp_y = 0.0f;
float _Persp_Far = 1000.0f;
float* ZBuff = nullptr;
std::int32_t Zwidth = 0;
std::int32_t Zheight = 0;
BYTE _mmx_enabled = 255;

namespace trivane {

RasterState g_state;

float EmptyDepth() {
    std::uint32_t bits = 0xFEFEFEFEu;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace trivane

void __SetDrawMode(BYTE value) { _DrawMode = value; }
BYTE __GetDrawMode() { return _DrawMode; }
void __SetQuality(BYTE value) { _Quality = value < 2 ? value : 1; }
BYTE __GetQuality() { return _Quality; }
void __SetDeep(BYTE value) { _Deep = value; }
BYTE __GetDeep() { return _Deep; }
void __SetDubleSide(BYTE value) { _DubleSide = value; }
BYTE __GetDubleSide() { return _DubleSide; }
void __SetDrawBackFaces(BYTE value) { _DrawBackFaces = value; }
BYTE __GetDrawBackFaces() { return _DrawBackFaces; }
void __SetUseMultyRefract(BYTE value) { _UseMultyRefract = value; }
BYTE __GetUseMultyRefract() { return _UseMultyRefract; }
void __SetUsePhong2(BYTE value) { _UsePhong2 = value; }
BYTE __GetUsePhong2() { return _UsePhong2; }
void __SetUseGlass(BYTE value) { _UseGlass = value; }
BYTE __GetUseGlass() { return _UseGlass; }
void __SetUseCustomMats(BYTE value) { _UseCustomMats = value; }
BYTE __GetUseCustomMats() { return _UseCustomMats; }
void __SetUsePersp(BYTE value) { _UsePersp = value; }
BYTE __GetUsePersp() { return _UsePersp; }
void __SetUseReflection(BYTE value) { _UseReflection = value; }
BYTE __GetUseReflection() { return _UseReflection; }

void __SetLightDef(light3ds* light) { trivane::g_state.defaultLight = light; }

void __SetZBuff(float* buffer, int width, int height) {
    if (buffer != nullptr && width > 0 && height > 0) {
        ZBuff = buffer;
        Zwidth = width;
        Zheight = height;
    } else {
        ZBuff = nullptr;
        Zwidth = 0;
        Zheight = 0;
    }
}

void __GetZBuff(float*& buffer, int& width, int& height) {
    buffer = ZBuff;
    width = Zwidth;
    height = Zheight;
}

void __SetNewRenderOnePixel(RenderOnePixelProc callback) {
    // A null callback would crash every later call: keep the built-in one instead.
    trivane::g_state.renderOnePixel = callback != nullptr ? callback : trivane::RenderOnePixelBuiltin;
}

void __SetDefRenderOnePixel() { trivane::g_state.renderOnePixel = trivane::RenderOnePixelBuiltin; }
