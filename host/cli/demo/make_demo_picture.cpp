// Draws the built-in sample picture of `rimelace demo`: a winter lake at dusk with snowy
// mountains, a forested shore, the mountains mirrored in rippled water and a snow bank in front.
// Everything comes from a fixed hash-based noise, so the picture is the same on every run.
//
//   rimelace_make_demo_picture OUTPUT.jpg [WIDTH HEIGHT]
// (scripts/make-demo-picture.sh builds and runs it into host/cli/demo/demo_picture.jpg.)

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/cli/image_file.h"

namespace {

struct Rgb {
    double r, g, b;
};
Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb operator*(Rgb a, double k) {
    return {a.r * k, a.g * k, a.b * k};
}
Rgb Mix(Rgb a, Rgb b, double t) {
    return a * (1.0 - t) + b * t;
}
double Clamp01(double v) {
    return std::min(1.0, std::max(0.0, v));
}
double Smooth(double e0, double e1, double x) {
    const double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}

std::uint32_t Hash(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    std::uint32_t h = std::uint32_t(x) * 0x8DA6B343u ^ std::uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}
double Random01(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    return Hash(x, y, seed) / 4294967295.0;
}

// Value noise in 0..1 with smooth interpolation between lattice points.
double Noise(double x, double y, std::uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const auto ix = std::int32_t(fx), iy = std::int32_t(fy);
    const double tx = x - fx, ty = y - fy;
    const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    const double a = Random01(ix, iy, seed), b = Random01(ix + 1, iy, seed);
    const double c = Random01(ix, iy + 1, seed), d = Random01(ix + 1, iy + 1, seed);
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

double Fbm(double x, double y, int octaves, std::uint32_t seed) {
    double sum = 0, amplitude = 0.5, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += Noise(x, y, seed + std::uint32_t(i) * 101u) * amplitude;
        total += amplitude;
        x *= 2.03;
        y *= 2.03;
        amplitude *= 0.5;
    }
    return sum / total;
}

// Ridged noise for mountain crests: sharp peaks where the noise crosses its middle.
double Ridged(double x, int octaves, std::uint32_t seed) {
    double sum = 0, amplitude = 0.5, total = 0;
    for (int i = 0; i < octaves; ++i) {
        const double n = 1.0 - std::fabs(Noise(x, 0.5 + i * 7.0, seed + std::uint32_t(i) * 31u) * 2.0 - 1.0);
        sum += n * n * amplitude;
        total += amplitude;
        x *= 2.1;
        amplitude *= 0.48;
    }
    return sum / total;
}

struct Tree {
    double x, base, height, halfWidth;
};

class Landscape {
  public:
    Landscape(int width, int height) : w_(width), h_(height) {
        horizon_ = 0.56 * h_;
        water_ = 0.66 * h_;
        shoreFront_ = 0.80 * h_;
        FindPeaks();
        PlantTrees();
    }

    Rgb Pixel(int px, int py) const {
        const double x = px + 0.5, y = py + 0.5;
        Rgb colour = y < water_ ? Above(x, y) : y < SnowBankTop(x) ? Water(x, y) : SnowBank(x, y);
        // Lens vignette and a little film grain.
        const double dx = (x / w_ - 0.5) * 1.2, dy = (y / h_ - 0.5);
        colour = colour * (1.0 - 0.35 * (dx * dx + dy * dy));
        const double grain = (Random01(px, py, 77) - 0.5) * 0.03;
        return colour + Rgb{grain, grain, grain};
    }

  private:
    double Far(double x) const {
        const double r = Ridged(x / w_ * 2.6 + 1.7, 6, 11);
        return horizon_ - h_ * (0.03 + 0.34 * r * r);
    }
    double Near(double x) const {
        return horizon_ - h_ * (0.02 + 0.11 * Fbm(x / w_ * 2.5 + 9.1, 3.3, 5, 23));
    }
    double SnowBankTop(double x) const {
        return shoreFront_ + h_ * 0.05 * (Fbm(x / w_ * 3.0, 8.8, 4, 41) - 0.5) -
               0.04 * h_ * std::sin(x / w_ * 2.4);
    }

    Rgb Sky(double x, double y) const {
        const double t = Clamp01(y / horizon_);
        Rgb sky = Mix(Rgb{0.12, 0.22, 0.46}, Rgb{0.62, 0.66, 0.78}, std::pow(t, 1.6));
        sky = Mix(sky, Rgb{0.98, 0.78, 0.58}, Smooth(0.55, 1.0, t) * 0.65);
        const double sx = (x - 0.70 * w_) / w_, sy = (y - 0.93 * horizon_) / h_;
        const double sun = std::exp(-(sx * sx * 9.0 + sy * sy * 30.0));
        sky = sky + Rgb{1.0, 0.75, 0.45} * (0.45 * sun);
        // Layered clouds, stretched along the horizon, lit from below near the sun.
        const double c = Fbm(x / w_ * 4.0, y / h_ * 14.0, 6, 5);
        const double cover = Smooth(0.50, 0.72, c) * (1.0 - 0.6 * t);
        const double lit = Fbm(x / w_ * 4.0, (y + 6) / h_ * 14.0, 6, 5);
        const Rgb cloud =
            Mix(Rgb{0.50, 0.50, 0.60}, Rgb{1.0, 0.86, 0.74}, Clamp01(0.4 + (c - lit) * 6.0 + sun));
        return Mix(sky, cloud, cover * 0.85);
    }

    Rgb Mountains(double x, double y, double crest) const {
        // Light from the left: from every peak a ridge runs down and sideways; the face left of
        // it is lit, the face right of it lies in shadow. Gullies streak both faces.
        const Peak& peak = NearestPeak(x);
        const double wobble = (Fbm(y / h_ * 25.0, peak.x * 0.01, 4, 19) - 0.5) * w_ * 0.05;
        const double ridge = peak.x + (y - peak.y) * peak.lean + wobble;
        const double gully = Fbm(x / w_ * 60.0 + y / h_ * 8.0, y / h_ * 6.0, 4, 17);
        double light = (x < ridge ? 0.85 : 0.18) + (gully - 0.5) * 0.6;
        light = Clamp01(light);
        const double depth = Clamp01((y - crest) / (horizon_ - crest + 1.0));
        const double snowLine = (x < ridge ? 0.55 : 0.30) + 0.35 * Fbm(x / w_ * 18.0, y / h_ * 9.0, 5, 13);
        const bool snow = depth < snowLine && gully > 0.32;
        const Rgb rock = Mix(Rgb{0.16, 0.18, 0.26}, Rgb{0.42, 0.40, 0.46}, light);
        const Rgb snowColour = Mix(Rgb{0.48, 0.55, 0.76}, Rgb{1.0, 0.92, 0.86}, light);
        const Rgb face = snow ? snowColour : rock;
        // Haze towards the valley floor.
        return Mix(face, Rgb{0.68, 0.68, 0.78}, 0.15 + 0.55 * depth * depth);
    }

    struct Peak {
        double x, y, lean;
    };

    const Peak& NearestPeak(double x) const {
        const Peak* best = &peaks_.front();
        for (const Peak& p : peaks_)
            if (std::fabs(p.x - x) < std::fabs(best->x - x)) best = &p;
        return *best;
    }

    void FindPeaks() {
        const int window = std::max(8, w_ / 40);
        std::vector<double> crest(static_cast<std::size_t>(w_));
        for (int x = 0; x < w_; ++x)
            crest[std::size_t(x)] = Far(x + 0.5);
        for (int x = 0; x < w_; ++x) {
            bool top = true;
            for (int d = -window; d <= window && top; ++d) {
                const int o = x + d;
                if (o >= 0 && o < w_ && crest[std::size_t(o)] < crest[std::size_t(x)]) top = false;
            }
            if (top) peaks_.push_back({x + 0.5, crest[std::size_t(x)], -0.05 + 0.25 * Random01(x, 5, 3)});
        }
        if (peaks_.empty()) peaks_.push_back({w_ * 0.5, horizon_, 0.3});
    }

    Rgb Hills(double x, double y, double ridge) const {
        const double d = Clamp01((y - ridge) / (water_ - ridge + 1.0));
        const double n = Fbm(x / w_ * 160.0, y / h_ * 90.0, 4, 29);
        const Rgb snow = Mix(Rgb{0.55, 0.60, 0.74}, Rgb{0.86, 0.86, 0.92}, Clamp01(0.6 - d * 0.5));
        const Rgb forest = Mix(Rgb{0.06, 0.10, 0.10}, Rgb{0.16, 0.22, 0.22}, n);
        const Rgb ground = Mix(forest, snow, Smooth(0.50, 0.75, n + 0.25 * (1.0 - d)));
        return Mix(ground, Rgb{0.62, 0.62, 0.72}, 0.35 * (1.0 - d));
    }

    // Conifers: a stack of widening tiers with a jagged outline.
    bool InTree(double x, double y, Rgb& colour) const {
        const int bucket = std::clamp(int(x / kBucket), 0, int(buckets_.size()) - 1);
        for (int b = std::max(0, bucket - 1); b <= std::min(int(buckets_.size()) - 1, bucket + 1); ++b) {
            for (const Tree& t : buckets_[std::size_t(b)]) {
                const double top = t.base - t.height;
                if (y < top || y > t.base) continue;
                const double along = (y - top) / t.height;
                const double tier = std::fmod(along * 5.0, 1.0);
                const double half = t.halfWidth * (0.15 + 0.85 * along) * (0.55 + 0.45 * tier);
                const double dx = x - t.x;
                if (std::fabs(dx) <= half) {
                    const double side = Clamp01(0.5 - dx / (2 * half + 1e-9));
                    const bool snowy = tier < 0.18 && dx < 0;
                    colour = snowy ? Rgb{0.80, 0.82, 0.90}
                                   : Mix(Rgb{0.03, 0.07, 0.06}, Rgb{0.10, 0.17, 0.14}, side);
                    return true;
                }
            }
        }
        return false;
    }

    Rgb Above(double x, double y) const {
        Rgb colour;
        if (InTree(x, y, colour)) return colour;
        const double near = Near(x);
        if (y >= near) return Hills(x, y, near);
        const double far = Far(x);
        if (y >= far) return Mountains(x, y, far);
        return Sky(x, y);
    }

    Rgb Water(double x, double y) const {
        const double below = y - water_;
        const double ripple = (Fbm(x / w_ * 3.0, below / h_ * 120.0, 4, 53) - 0.5) * (4.0 + below * 0.25);
        const double mirrored = std::max(0.0, water_ - below * 1.05 - 1.0);
        Rgb reflection = Above(x + ripple, mirrored);
        const double streak = Smooth(0.62, 0.8, Fbm(x / w_ * 1.5, below / h_ * 90.0, 3, 61));
        reflection = Mix(reflection * 0.72, Rgb{0.78, 0.82, 0.92}, 0.15 + 0.25 * streak);
        const double fresnel = Clamp01(below / (shoreFront_ - water_));
        return Mix(reflection, Rgb{0.08, 0.14, 0.22}, 0.35 * fresnel);
    }

    Rgb SnowBank(double x, double y) const {
        // Drifts: long soft waves lit from the left, with a fine sparkle.
        const double top = SnowBankTop(x);
        const double drift = Fbm(x / w_ * 3.0, y / h_ * 30.0, 6, 71);
        const double ahead = Fbm((x + 12.0) / w_ * 3.0, y / h_ * 30.0, 6, 71);
        const double fine = Random01(int(x), int(y), 73);
        const double shade = Clamp01(0.70 + (drift - ahead) * 7.0 + (fine - 0.5) * 0.06);
        Rgb snow = Mix(Rgb{0.50, 0.58, 0.78}, Rgb{1.0, 0.97, 0.95}, shade);
        snow = Mix(snow, Rgb{0.62, 0.68, 0.86}, 0.35 * Smooth(0.0, 18.0, 18.0 - (y - top)));
        // A few tufts of dry grass where the snow is thin.
        const double patch = Fbm(x / w_ * 8.0, y / h_ * 8.0, 3, 83);
        const double blade = Fbm(x / 1.6, y / 14.0, 2, 79);
        if (patch > 0.62 && blade > 0.70)
            snow = Mix(snow, Rgb{0.33, 0.26, 0.15}, Smooth(0.70, 0.78, blade) * Smooth(0.62, 0.70, patch));
        return snow;
    }

    void PlantTrees() {
        buckets_.assign(std::size_t(w_ / kBucket + 1), {});
        int n = 0;
        // Back rows first (small, high on the hill), the shore row last (large, at the water).
        for (int row = 0; row < 4; ++row) {
            const double nearness = row / 3.0;
            const double step = w_ * (0.004 + 0.008 * nearness);
            for (double x = -20; x < w_ + 20; x += step * (0.6 + Random01(n, 1, 91)), ++n) {
                const double density = Fbm(x / w_ * 5.0, 2.0 + row, 3, 97);
                if (density < 0.47) continue;
                Tree t;
                t.x = x;
                const double hill = Near(x);
                t.base = hill + (water_ - hill) * (0.25 + 0.75 * nearness) - 6.0 * Random01(n, 2, 91);
                t.height =
                    h_ * (0.02 + 0.05 * nearness + 0.04 * nearness * Random01(n, 3, 91)) * (0.7 + density);
                t.halfWidth = t.height * (0.20 + 0.07 * Random01(n, 4, 91));
                buckets_[std::size_t(std::clamp(int(x / kBucket), 0, int(buckets_.size()) - 1))].push_back(t);
            }
        }
    }

    static constexpr double kBucket = 64.0;
    int w_, h_;
    double horizon_, water_, shoreFront_;
    std::vector<std::vector<Tree>> buckets_;
    std::vector<Peak> peaks_;
};

std::uint16_t ToByte(double linear) {
    return std::uint16_t(std::lround(Clamp01(linear) * 255.0));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: %s OUTPUT [WIDTH HEIGHT]\n", argv[0]);
        return 2;
    }
    const int width = argc == 4 ? std::atoi(argv[2]) : 1600;
    const int height = argc == 4 ? std::atoi(argv[3]) : 1200;
    if (width < 16 || height < 16) {
        std::fprintf(stderr, "%s: the picture must be at least 16 x 16\n", argv[0]);
        return 2;
    }
    rimelace_cli::Image image;
    image.width = width;
    image.height = height;
    image.color = rimelace_cli::ColorModel::RGB;
    image.depth = 8;
    image.samples.resize(image.SampleCount());
    const Landscape scene(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = scene.Pixel(x, y);
            std::uint16_t* px = &image.samples[(std::size_t(y) * width + x) * 3];
            px[0] = ToByte(c.r);
            px[1] = ToByte(c.g);
            px[2] = ToByte(c.b);
        }
    }
    try {
        rimelace_cli::WriteImage(argv[1], image);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
