// Any sequence of the library's calls: switches, Z-buffers handed over and taken back, small
// __RasterScene, __RasterSolid and __DrawScenesLineColor calls in any order (so each one meets
// the state the others leave, such as a depth changed since the last drawing call), __Sort,
// __AddPersp, and the sample-depth conversions of buffers and textures.
//
// Checks besides the sanitizers: 8 -> 16 -> 8 bit returns every sample unchanged; the Get of every
// switch returns what its Set stored (__SetQuality: values of 2 and above store 1).
#include <cstdlib>

#include "tests/fuzz/engine_input.h"

namespace {

// Takes back a borrowed Z-buffer that is still set (the library's own is never set between calls).
void ReleaseBorrowedDepth() {
    float* buffer;
    int width, height;
    __GetZBuff(buffer, width, height);
    __SetZBuff(nullptr, 0, 0);
    platform::FreePages(buffer);
}

void CheckSwitches(FuzzedDataProvider& in) {
    const BYTE value = in.ConsumeIntegral<BYTE>();
    __SetQuality(value);
    __SetDubleSide(value);
    __SetUsePhong2(value);
    if (__GetQuality() != (value < 2 ? value : 1) || __GetDubleSide() != value || __GetUsePhong2() != value) {
        std::abort();
    }
}

void Convert(FuzzedDataProvider& in) {
    const int rows = in.ConsumeIntegralInRange<int>(0, 16);
    const int rowSamples = in.ConsumeIntegralInRange<int>(0, 64);
    const std::size_t n = static_cast<std::size_t>(rows) * static_cast<std::size_t>(rowSamples);
    BYTE* buffer = static_cast<BYTE*>(platform::AllocPages(n > 0 ? n : 1));
    if (buffer == nullptr) return;
    std::vector<BYTE> samples = in.ConsumeBytes<BYTE>(n);
    samples.resize(n);
    if (n > 0) std::memcpy(buffer, samples.data(), n);
    __ConvertBYTE8TO16(&buffer, in.ConsumeIntegral<int>(), rows, rowSamples);
    __ConvertBYTE16TO8(&buffer, in.ConsumeIntegral<int>(), rows, rowSamples);
    if (n > 0 && std::memcmp(buffer, samples.data(), n) != 0) std::abort();
    BYTE* null = nullptr;
    __ConvertBYTE8TO16(&null, 1, 1, 1);
    __ConvertBYTE8TO16(nullptr, 1, 1, 1);
    platform::FreePages(buffer);

    __Texture texture{};
    texture.present = in.ConsumeIntegralInRange<BYTE>(0, 2);
    texture.width = in.ConsumeIntegralInRange<int>(-1, 8);
    texture.height = in.ConsumeIntegralInRange<int>(-1, 8);
    texture.is16 = in.ConsumeBool();
    const std::size_t texels = texture.width > 0 && texture.height > 0
                                   ? static_cast<std::size_t>(texture.width) * texture.height * 4 * (texture.is16 ? 2 : 1)
                                   : 0;
    texture.texels = in.ConsumeBool() ? static_cast<BYTE*>(platform::AllocPages(texels)) : nullptr;
    __ConvertText(&texture);
    __ConvertText(nullptr);
    platform::FreePages(texture.texels);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    fuzz::Scene scene(in, 32.0f, 32.0f, 12);
    light3ds light{};
    light.z = 500.0f, light.r = light.g = light.b = 1.0f, light.multiplier = 1.0f;
    for (int step = 0; step < 12 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange<int>(0, 11)) {
            case 0: fuzz::ReadSwitches(in); break;
            case 1: __SetDeep(in.ConsumeBool()); break;
            case 2: {  // hand over a Z-buffer (taking back one still set)
                float* old;
                int w, h;
                __GetZBuff(old, w, h);
                const int zw = in.ConsumeIntegralInRange<int>(1, 40), zh = in.ConsumeIntegralInRange<int>(1, 40);
                __SetZBuff(static_cast<float*>(platform::AllocPages(static_cast<std::size_t>(zw) * zh * 4)), zw, zh);
                platform::FreePages(old);
                break;
            }
            case 3: ReleaseBorrowedDepth(); break;
            case 4: {
                int width, height;
                fuzz::ReadImageSize(in, width, height);
                const int stride = fuzz::ReadStride(in, width);
                fuzz::Image target(in, width, height, stride, _Deep != 0);
                __RasterSolid(target.data(), width, height, stride, 0, scene.Count(), scene.triangles.data(),
                              scene.points.data(), in.ConsumeIntegralInRange<int>(-40, 40),
                              in.ConsumeIntegralInRange<int>(-40, 40), fuzz::ReadFloat(in, 0.0f, 255.0f),
                              fuzz::ReadFloat(in, 0.0f, 255.0f), fuzz::ReadFloat(in, 0.0f, 255.0f),
                              fuzz::ReadFloat(in, 0.0f, 1.0f));
                break;
            }
            case 5: {
                int width, height;
                fuzz::ReadImageSize(in, width, height);
                const int stride = fuzz::ReadStride(in, width);
                fuzz::Image target(in, width, height, stride, _Deep != 0);
                fuzz::Image background(in, width, height, stride, _Deep != 0);
                __RasterScene(target.data(), background.data(), width, height, stride, 0, scene.Count(),
                              scene.triangles.data(), scene.points.data(), in.ConsumeIntegralInRange<int>(-40, 40),
                              in.ConsumeIntegralInRange<int>(-40, 40), 0, nullptr, nullptr, in.ConsumeBool(), &light,
                              nullptr);
                break;
            }
            case 6: {
                int width, height;
                fuzz::ReadImageSize(in, width, height);
                fuzz::Image target(in, width, height, width * 4, _Deep != 0);
                __DrawScenesLineColor(fuzz::ReadFloat(in, 0.0f, 5.0f), in.ConsumeIntegral<int>(),
                                      in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>(), target.data(), nullptr,
                                      width, height, 0, scene.Count(), scene.triangles.data(), scene.points.data(),
                                      in.ConsumeIntegralInRange<int>(-40, 40), in.ConsumeIntegralInRange<int>(-40, 40));
                break;
            }
            case 7: __Sort(in.ConsumeBool() ? scene.Count() : in.ConsumeIntegralInRange<int>(-1, 1),
                           scene.triangles.data(), scene.points.data());
                break;
            case 8: __AddPersp(static_cast<int>(scene.points.size()), scene.points.data(), fuzz::ReadFloat(in, -2, 2),
                               fuzz::ReadFloat(in, -50, 50), fuzz::ReadFloat(in, -50, 50),
                               fuzz::ReadFloat(in, -500, 500));
                break;
            case 9: Convert(in); break;
            case 10: CheckSwitches(in); break;
            case 11: __SetLightDef(in.ConsumeBool() ? &light : nullptr); break;
        }
    }
    ReleaseBorrowedDepth();
    __SetLightDef(nullptr);
    __AddPersp(0, nullptr, 0.0f, 0.0f, 0.0f, 1000.0f);
    return 0;
}
