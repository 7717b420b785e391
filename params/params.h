#pragma once
// RimelaceParams: the one record that describes an effect, plus the shell's state and the
// geometry cache. It lives in the host's `parameters` handle between runs, so its layout is
// private to the plug-in (scripts and presets use keys, never the layout).

#include <cstdint>

struct __Triangle3ds;
struct __Point3ds;

struct RimelaceParams {
    std::uint8_t* BumpImage;          // 40 x 40 texels of 3 bytes; page-allocated; owned by the render path
    std::int32_t AutoUpdate;          // 0/1
    std::uint8_t RenderMode;          // 1 "Rough" .. 5 "Phong"
    std::uint8_t MaskKind;            // 1 "Bottom" .. 7 "By selection"
    std::uint8_t PatternKind;         // variant within EffectKind
    std::uint8_t GrowDirect;          // 1..7 "Direction n", 8 "All directions"
    std::int32_t RandomSeed;
    float MinInterval;
    std::int32_t MaxIterations;
    std::int32_t MaxTriangles;
    float Width;
    float Lenght;
    float Completance;
    float CompletanceDist;
    float Dispers;
    float LoseInitDir;
    float PLenght;
    float PWidth;
    float IntervDepend;
    float Scale;                      // percent
    std::uint8_t SceneDirty;          // regenerate the geometry at the next render
    std::int32_t SceneTriangleCount;
    std::int32_t ScenePointCount;
    __Triangle3ds* SceneTriangles;    // page-allocated
    __Point3ds* ScenePoints;          // page-allocated
    std::int32_t Diffuse;             // colours: 0x00BBGGRR
    std::int32_t Speculare;
    float Shininess;
    float Shinstrength;
    float SelfIllumination;
    float Transparancy;
    float BumpPercent;
    float Refraction;
    float Koefficient;
    float Aberration;
    std::int32_t LightColor;
    float LightAlpha;                 // degrees
    float LightBeta;                  // degrees
    float LightMultiplay;
    std::uint8_t UseBackLight;
    std::uint8_t AlphaCut;
    std::uint8_t UseGlass;
    std::uint8_t EffectKind;          // 1 Geometric, 2 Floral, 3 Single
    float Turn;                       // degrees
    float Turn1;                      // degrees
    std::int32_t MaxTriangles1;
    float CenterX;
    float CenterY;
    float RotateX;                    // degrees
    float Alpha;                      // degrees
    float Beta;                       // degrees
    std::int32_t Color;
    std::int16_t RowsPerChunk;
    std::uint8_t QueryForParameters;
    std::uint8_t UseAdvanceState;
    std::uint8_t HostIsPremiere;
    std::uint8_t HostIsAfterEffects;
};

// Sets every field that has a default to it (also SceneDirty := 1 and BumpImage := null);
// fields without a default (the scene counts and arrays, the shell's fields) are left alone.
void ResetParams(RimelaceParams& params);
