#pragma once
// Trivane: a software 3D rasteriser with a Z-buffer, several draw modes and a replaceable
// per-pixel shading stage. Everything this header declares is exported from the shared library
// (libtrivane.so / Trivane.dll) under its C++-decorated name; nothing else is.
//
// State is process-wide: one set of switches, one Z-buffer and one shading callback serve every
// caller. Calls must come from one thread at a time, and the switches must not change while a
// rasterisation runs.
//
// Pixel buffers have 4 interleaved channels, channel 3 being coverage. With _Deep clear the
// samples are 8-bit (full scale 255, 4 bytes a pixel); with _Deep set they are 16-bit (full
// scale 32768, 8 bytes a pixel). Row strides are always given in bytes as for 8-bit samples; the
// library doubles pixel offsets in 16-bit mode.
//
// Scene coordinates: x to the right, y downwards (image rows), z towards the viewer (a larger z is
// nearer). A point (x, y) lands on pixel (cx + x, cy + y) for the call's origin (cx, cy).
//
// Memory: every buffer the library allocates or releases is a whole-page block of
// platform::AllocPages / platform::FreePages, so buffers handed over in either direction must come
// from that allocator.

#include <cstdint>

// TRIVANE_API is set by the build: export when building the library, import (Windows) when using it.
#ifndef TRIVANE_API
#define TRIVANE_API
#endif

typedef unsigned char BYTE;

// ---- Shared records (field order and widths are part of the binary interface) -------------------

// One triangle: three indices into the __Point3ds array, flags copied into sub-triangles, and the
// material index that selects the material, its 4 texture slots and its GlassProp entry.
// Front-facing when N.z >= 0 for N = (V2 - V1) x (V0 - V1). 16 bytes.
struct __Triangle3ds {
    std::int32_t v0, v1, v2;
    std::uint16_t flags;
    std::uint16_t material;
};

// One vertex. u, v are used only when all three vertices of a triangle are mapped. The normal
// need not be unit length. tag is never read by the library.
struct __Point3ds {
    float x, y, z;
    BYTE mapped;
    float u, v;
    std::uint32_t tag;
    float nx, ny, nz;
};

// One map of a material. Texel coordinates are (u * uScale + uOffset) * (width - 1) and
// (v * vScale + vOffset) * (height - 1).
struct map3ds {
    char name[16];          // "Bump" for the bump map; not read
    float amount;           // 0..1
    std::uint32_t options;  // not read
    float uScale, vScale;
    float uOffset, vOffset;
    float rotation;         // not read
};

// Map k of a material and the texture slot holding its image (slot s of material m is texture
// element m * 4 + s).
enum : int {
    kMapTexture = 0,     // colour texture, slot 0
    kMapOpacity = 2,     // second map, slot 1
    kMapBump = 3,        // bump map (amount = strength), slot 2
    kMapReflection = 7,  // reflection map (amount = reflectivity), slot 3
    kMapCount = 8,
    kSlotsPerMaterial = 4,
};

// A material; arrays of materials are indexed by the triangle's material index. Colours 0..1.
struct material3ds {
    char name[20];              // "Material#0"; not read
    float ambient[3];           // not read by the built-in shading
    float diffuse[3];
    float specular[3];
    float shininess;            // specular exponent = shininess * 100
    float shinStrength;         // factor on the specular term
    float transFalloff;         // not read
    float transparency;         // stored negated: -0.3 means 30 % transparent
    float reflectBlur;          // not read
    float selfIllum;            // 0..1
    std::uint32_t shading;      // not read
    std::uint32_t options;      // not read
    map3ds maps[kMapCount];
};

// A texture image: present, size, texels (4 interleaved channels, rows of width * 4 samples
// without gaps) and their depth. The depth must match _Deep when used (see __ConvertText).
struct __Texture {
    BYTE present;
    std::int32_t width;
    std::int32_t height;
    BYTE* texels;
    BYTE is16;
};

// A point light. Colour 0..1.
struct light3ds {
    char name[12];  // "LightOne", "Light#2"; not read
    float x, y, z;
    float r, g, b;
    float multiplier;
    BYTE off;       // not read
    float attenuation;  // not read
};

// Glass of one material: refraction of the background with chromatic aberration.
struct GlassProp {
    BYTE useGlass;
    float optical;      // optical coefficient
    float refraction;   // displacement in pixels at full strength
    float aberration;   // percent
};

// A 3D point or vector (the interpolated surface normal handed to the shading callback).
struct __Point {
    float x, y, z;
};

// The previous pixel shaded on the same row, handed to the shading callback (may be null).
struct __PrevInfo {
    float nx, ny, nz;  // previous sample's normal (curved-surface mode only)
    BYTE valid;        // 0 for the first pixel of a row
    float x, y;        // previous pixel's scene position
    float u, v;        // its texture coordinates
};

// The per-pixel shading callback. Returns the opacity 0..1 and writes the colour of channels
// 0, 1, 2 in sample units (0..full scale) to red, green, blue.
//   originX, originY  scene origin in the image (cx, cy)
//   target, background  the image being drawn and the caller's background image
//   x, y, z           scene point being shaded
//   triangle          its material index selects material, texture slots and glass entry
//   normal            surface normal (any length); mapped, u, v: texture coordinates
//   previous          previous pixel on the row, or null
//   glass             GlassProp array, or null
//   planeA..planeD    the triangle's plane a*x + b*y + c*z + d = 0 in image pixel coordinates
typedef float (*RenderOnePixelProc)(float originX, float originY, BYTE* target, BYTE* background, float x,
                                    float y, float z, __Triangle3ds* triangle, material3ds* materials,
                                    int materialCount, float& red, float& green, float& blue, __Point* normal,
                                    BYTE mapped, float u, float v, __Texture* textures, int lightCount,
                                    light3ds* lights, __PrevInfo* previous, GlassProp* glass, float planeA,
                                    float planeB, float planeC, float planeD);

// ---- Exported switches and state ------------------------------------------------------------------

extern TRIVANE_API BYTE _DrawMode;         // 6: 0 "Rough", 1 "Line", 2 "Wire", 3 "Flat", 6 "Phong", 8, 9, 10
extern TRIVANE_API BYTE _Quality;          // 1: anti-aliased edges and filtered sampling
extern TRIVANE_API BYTE _Deep;             // 0: 16-bit samples when non-zero
extern TRIVANE_API BYTE _DubleSide;        // 0: draw triangles of both orientations
extern TRIVANE_API BYTE _DrawBackFaces;    // 0: back faces first, then front faces over them
extern TRIVANE_API BYTE _DrawBackFaces1;   // 0: set only during the back-face pass
extern TRIVANE_API BYTE _UseMultyRefract;  // 1: glass sees other glass; 2 also lets back faces through
extern TRIVANE_API BYTE _UsePhong2;        // 0: quadratic normal interpolation (with _Quality)
extern TRIVANE_API BYTE _UseGlass;         // 0: stored and returned only
extern TRIVANE_API BYTE _UseCustomMats;    // 1: stored and returned only
extern TRIVANE_API BYTE _UsePersp;         // 0: stored and returned only
extern TRIVANE_API BYTE _UseReflection;    // 0: stored and returned only
extern TRIVANE_API float _WireSize;        // 1.0: line width in pixels of the line modes
extern TRIVANE_API float _Persp_Val;       // 0.0: perspective in force when non-zero
extern TRIVANE_API float _Persp_x;         // 0.0: vanishing point
extern TRIVANE_API float _Persp_y;         // 0.0
extern TRIVANE_API float _Persp_Far;       // 1000.0: z at which the perspective scale is infinite
extern TRIVANE_API float* ZBuff;           // null: depth buffer, Zwidth * Zheight floats, row-major
extern TRIVANE_API std::int32_t Zwidth;    // 0: depth buffer size and clip rectangle of all drawing
extern TRIVANE_API std::int32_t Zheight;   // 0
extern TRIVANE_API BYTE _mmx_enabled;      // 255 until probed, then 0 or 1

// ---- Switches ---------------------------------------------------------------------------------------

TRIVANE_API void __SetDrawMode(BYTE value);
TRIVANE_API BYTE __GetDrawMode();
TRIVANE_API void __SetQuality(BYTE value);  // values of 2 and above store 1
TRIVANE_API BYTE __GetQuality();
TRIVANE_API void __SetDeep(BYTE value);
TRIVANE_API BYTE __GetDeep();
TRIVANE_API void __SetDubleSide(BYTE value);
TRIVANE_API BYTE __GetDubleSide();
TRIVANE_API void __SetDrawBackFaces(BYTE value);
TRIVANE_API BYTE __GetDrawBackFaces();
TRIVANE_API void __SetUseMultyRefract(BYTE value);
TRIVANE_API BYTE __GetUseMultyRefract();
TRIVANE_API void __SetUsePhong2(BYTE value);
TRIVANE_API BYTE __GetUsePhong2();
TRIVANE_API void __SetUseGlass(BYTE value);
TRIVANE_API BYTE __GetUseGlass();
TRIVANE_API void __SetUseCustomMats(BYTE value);
TRIVANE_API BYTE __GetUseCustomMats();
TRIVANE_API void __SetUsePersp(BYTE value);
TRIVANE_API BYTE __GetUsePersp();
TRIVANE_API void __SetUseReflection(BYTE value);
TRIVANE_API BYTE __GetUseReflection();

// The default light, used when a call has no lights. Borrowed: the caller keeps it alive.
TRIVANE_API void __SetLightDef(light3ds* light);

// Z-buffer: with a non-null buffer and both sizes > 0 the library uses the caller's buffer; otherwise
// all three are reset to null / 0. Who owns what:
// - A buffer handed over stays the caller's, and is used uncleared, while the calls' size matches
//   it. A __RasterSolid call of another size releases it with platform::FreePages, even one that
//   draws nothing; so does a __RasterScene call of another size (in any mode but 0, with a target
//   it can draw into). ZBuff is null after such a call. So a buffer handed over must come from
//   platform::AllocPages, and the caller frees it only while __GetZBuff still returns it.
// - Without a buffer of the call's size, __RasterScene works with depth of its own, cleared at the
//   start of the call; ZBuff is null again when the call returns, while Zwidth and Zheight keep
//   the call's size. A call cut into bands of rows keeps one band's depth per thread between calls;
//   a call drawn as one band (see __RasterScene) sets ZBuff to a whole-image buffer during the call
//   and keeps it for the next call of the same size while it is small.
TRIVANE_API void __SetZBuff(float* buffer, int width, int height);
TRIVANE_API void __GetZBuff(float*& buffer, int& width, int& height);

// Stores the perspective (val, vanishing point x, y, eye distance far) and, when val and far are
// both non-zero, moves each point's x, y away from the vanishing point by 1 / (1 - z / far).
TRIVANE_API void __AddPersp(int count, __Point3ds* points, float val, float x, float y, float far);

// Orders the triangles in place by the sum of their vertices' z, farthest first. Below 100
// triangles a bubble sort (equal keys keep their order), from 100 on a diminishing-gap sort
// (equal neighbours are never swapped, but equal keys may change order). Whole records move.
TRIVANE_API void __Sort(int count, __Triangle3ds* triangles, __Point3ds* points);

// Replace *buffer (rows * rowSamples samples, a platform::AllocPages block) by a new block of the
// other sample depth and release the old one. 8 -> 16 maps 255 to 32768; 16 -> 8 maps it back.
// width is not used.
TRIVANE_API void __ConvertBYTE8TO16(BYTE** buffer, int width, int rows, int rowSamples);
TRIVANE_API void __ConvertBYTE16TO8(BYTE** buffer, int width, int rows, int rowSamples);

// Brings a present texture's sample depth in line with _Deep (converting its texels).
TRIVANE_API void __ConvertText(__Texture* texture);

// Probes the processor for MMX, stores 0 or 1 in _mmx_enabled and returns it.
TRIVANE_API BYTE __mmx_present();

// Installs a shading callback (borrowed), or reinstalls the built-in one.
TRIVANE_API void __SetNewRenderOnePixel(RenderOnePixelProc callback);
TRIVANE_API void __SetDefRenderOnePixel();

// ---- Drawing ------------------------------------------------------------------------------------------

// Draws the triangles over target in the current _DrawMode. background has the same size and layout
// and is only read. stride is in bytes as for 8-bit samples. unused is not read. (cx, cy) is the
// scene origin in the image. textures holds 4 slots per material; glass may be null. Nothing is
// thrown: a call that cannot get its working memory returns without drawing.
// The call is cut into bands of rows drawn on the processor's cores (TRIVANE_THREADS=1 in the
// environment keeps it on the caller's thread); every pixel sees its triangles in array order, so
// the bytes are those of one thread. It is drawn as one band on the caller's thread when a pixel
// may look at other rows while it is drawn: with a shading callback installed, with glass that
// sees the target (multiple refraction with _Quality, a back-face pass, or a background that is
// the target), and in mode 9 with _Quality and textures or glass.
TRIVANE_API void __RasterScene(BYTE* target, BYTE* background, int width, int height, int stride, int unused,
                               int triangleCount, __Triangle3ds* triangles, __Point3ds* points, int cx, int cy,
                               int materialCount, material3ds* materials, __Texture* textures, int lightCount,
                               light3ds* lights, GlassProp* glass);

// Fills the triangles with one colour (r, g, b in sample units) at opacity a, without depth test
// and without shading; anti-aliased edges with _Quality. Drawn in bands on several threads. Sets the stride, Zwidth and Zheight to
// the call's (releasing a borrowed Z-buffer of another size, see __SetZBuff) and the sample depth
// from _Deep.
TRIVANE_API void __RasterSolid(BYTE* target, int width, int height, int stride, int unused, int count,
                               __Triangle3ds* triangles, __Point3ds* points, int cx, int cy, float r, float g,
                               float b, float a);

// Outlines the front-facing triangles (all with _DubleSide) in one colour with lines lineWidth wide.
// Uses the stride and clip size left by the last __RasterScene or __RasterSolid; target is width x
// height pixels of _Deep's sample depth (as now, whatever the last call's was), and no pixel
// outside it is written. Drawn in bands on several threads.
TRIVANE_API void __DrawScenesLineColor(float lineWidth, int r, int g, int b, BYTE* target, BYTE* background,
                                       int width, int height, int unused, int count, __Triangle3ds* triangles,
                                       __Point3ds* points, int cx, int cy);
