// Perspective of the vertex array and the depth sort of the triangle array.
#include <cmath>
#include <cstring>

#include "engine/trivane.h"

void __AddPersp(int count, __Point3ds* points, float val, float x, float y, float far) {
    _Persp_Val = val;
    _Persp_x = x;
    _Persp_y = y;
    _Persp_Far = far;
    if (far == 0.0f || val == 0.0f || points == nullptr) return;
    for (int i = 0; i < count; ++i) {
        __Point3ds& p = points[i];
        float f = 1.0f - p.z / far;
        if (std::fabs(f) < 1e-8f) f = f < 0.0f ? -1e-8f : 1e-8f;
        p.x = _Persp_x + (p.x - _Persp_x) / f;
        p.y = _Persp_y + (p.y - _Persp_y) / f;
    }
}

namespace {

// The sort key: the sum of the three vertices' z. A triangle with a negative index sorts as 0.
float Key(const __Triangle3ds& t, const __Point3ds* points) {
    if (t.v0 < 0 || t.v1 < 0 || t.v2 < 0) return 0.0f;
    return points[t.v0].z + points[t.v1].z + points[t.v2].z;
}

// Swaps two whole 16-byte records, as two 8-byte or four 4-byte moves.
void SwapRecords(__Triangle3ds* a, __Triangle3ds* b) {
    static_assert(sizeof(__Triangle3ds) == 16, "triangle records are 16 bytes");
    unsigned char* pa = reinterpret_cast<unsigned char*>(a);
    unsigned char* pb = reinterpret_cast<unsigned char*>(b);
    if (_mmx_enabled == 1) {
        for (int k = 0; k < 16; k += 8) {
            std::uint64_t ta, tb;
            std::memcpy(&ta, pa + k, 8);
            std::memcpy(&tb, pb + k, 8);
            std::memcpy(pa + k, &tb, 8);
            std::memcpy(pb + k, &ta, 8);
        }
    } else {
        for (int k = 0; k < 16; k += 4) {
            std::uint32_t ta, tb;
            std::memcpy(&ta, pa + k, 4);
            std::memcpy(&tb, pb + k, 4);
            std::memcpy(pa + k, &tb, 4);
            std::memcpy(pb + k, &ta, 4);
        }
    }
}

// Bubble sort whose range ends at the last swap of the previous pass.
void BubbleSort(int count, __Triangle3ds* t, const __Point3ds* points) {
    int end = count - 1;
    while (end > 0) {
        int lastSwap = 0;
        for (int i = 0; i < end; ++i) {
            if (Key(t[i + 1], points) < Key(t[i], points)) {
                SwapRecords(&t[i], &t[i + 1]);
                lastSwap = i;
            }
        }
        end = lastSwap;
    }
}

// Diminishing-gap sort: gaps count/2, count/4, ..., 1, each an insertion by swaps.
void GapSort(int count, __Triangle3ds* t, const __Point3ds* points) {
    for (int gap = count / 2; gap >= 1; gap /= 2) {
        for (int i = 0; i + gap < count; ++i) {
            for (int j = i; j >= 0; --j) {
                if (!(Key(t[j + gap], points) < Key(t[j], points))) break;
                SwapRecords(&t[j], &t[j + gap]);
            }
        }
    }
}

}  // namespace

void __Sort(int count, __Triangle3ds* triangles, __Point3ds* points) {
    if (count < 1 || triangles == nullptr || points == nullptr) return;
    if (_mmx_enabled == 255) __mmx_present();
    if (count < 100) {
        BubbleSort(count, triangles, points);
    } else {
        GapSort(count, triangles, points);
    }
}
