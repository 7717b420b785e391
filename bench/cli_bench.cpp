// The command line's files against the render: a photo-like RGB image (the sample picture scaled
// up, with grain) of the given size is written as PNG once; then, interleaved, each repetition
// times the filter alone through the stand-in host (the render), the whole `rimelace apply` of the
// PNG to a PNG in a child process, and the file steps alone (reading, writing at the default
// setting on every core and on one thread). Prints a Markdown table of minimum and median
// milliseconds, then the sizes of the PNG files written at the default setting.
//
//   cli_bench [--reps N] [--size WxH] [--dir DIR] [--rimelace PATH]
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/cli/image_file.h"
#include "host/cli/png_bands_p.h"
#include "host/cli/run_filter.h"

namespace {

using rimelace_cli::Image;

double Now() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The sample picture scaled to width x height (bilinear) with a little seeded grain.
Image MakePhoto(const std::string& sample, int width, int height) {
    const Image small = rimelace_cli::ReadImage(sample);
    Image image;
    image.width = width, image.height = height, image.depth = 8;
    image.color = rimelace_cli::ColorModel::RGB;
    image.samples.resize(std::size_t(width) * height * 3);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> grain(-3, 3);
    const int channels = small.Channels();
    for (int y = 0; y < height; ++y) {
        const float sy = (y + 0.5f) * small.height / height - 0.5f;
        const int y0 = std::clamp(int(sy), 0, small.height - 1), y1 = std::min(y0 + 1, small.height - 1);
        const float fy = std::clamp(sy - y0, 0.0f, 1.0f);
        for (int x = 0; x < width; ++x) {
            const float sx = (x + 0.5f) * small.width / width - 0.5f;
            const int x0 = std::clamp(int(sx), 0, small.width - 1), x1 = std::min(x0 + 1, small.width - 1);
            const float fx = std::clamp(sx - x0, 0.0f, 1.0f);
            for (int c = 0; c < 3; ++c) {
                auto at = [&](int px, int py) {
                    return float(small.samples[(std::size_t(py) * small.width + px) * channels + std::min(c, channels - 1)]);
                };
                const float v = (at(x0, y0) * (1 - fx) + at(x1, y0) * fx) * (1 - fy) +
                                (at(x0, y1) * (1 - fx) + at(x1, y1) * fx) * fy + grain(random);
                image.samples[(std::size_t(y) * width + x) * 3 + c] = std::uint16_t(std::clamp(v, 0.0f, 255.0f));
            }
        }
    }
    return image;
}

long FileSize(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? long(status.st_size) : -1;
}

int RunChild(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Series {
    std::string name;
    std::vector<double> times;
    void Row(double reference) const {
        std::vector<double> t = times;
        std::sort(t.begin(), t.end());
        const double median = t[t.size() / 2];
        std::printf("| %s | %.0f | %.0f | %.2f |\n", name.c_str(), t.front(), median, reference > 0 ? median / reference : 0);
    }
    double Median() const {
        std::vector<double> t = times;
        std::sort(t.begin(), t.end());
        return t[t.size() / 2];
    }
};

}  // namespace

int main(int argc, char** argv) {
    int reps = 3, width = 6000, height = 4000;
    std::string dir = "/tmp", program;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--reps" && i + 1 < argc) reps = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--size" && i + 1 < argc) std::sscanf(argv[++i], "%dx%d", &width, &height);
        else if (arg == "--dir" && i + 1 < argc) dir = argv[++i];
        else if (arg == "--rimelace" && i + 1 < argc) program = argv[++i];
        else {
            std::fprintf(stderr, "usage: %s [--reps N] [--size WxH] [--dir DIR] [--rimelace PATH]\n", argv[0]);
            return 2;
        }
    }
    if (program.empty()) program = rimelace_cli::DefaultModulePath().substr(0, rimelace_cli::DefaultModulePath().rfind('/')) + "/rimelace";
    const std::string input = dir + "/cli_bench_input.png", output = dir + "/cli_bench_output.png";
    const std::string written = dir + "/cli_bench_written.png";
    const Image photo = MakePhoto(RIMELACE_SAMPLE_PICTURE, width, height);
    rimelace_cli::WriteImage(input, photo);

    rimelace_cli::FilterJob job;
    job.quiet = true;
    Series render{"filter through the stand-in host (the render)", {}};
    Series apply{"`rimelace apply` PNG to PNG, whole command", {}};
    Series read{"reading the PNG", {}};
    Series write{"writing the PNG", {}};
    Series writeOne{"writing the PNG on one thread", {}};
    for (int r = 0; r < reps; ++r) {
        double start = Now();
        Image result;
        if (rimelace_cli::FilterInMemory(job, photo, &result) != 0) return 1;
        render.times.push_back(Now() - start);

        start = Now();
        if (RunChild({program, "apply", input, output, "--quiet"}) != 0) {
            std::fprintf(stderr, "rimelace apply failed\n");
            return 1;
        }
        apply.times.push_back(Now() - start);

        start = Now();
        const Image back = rimelace_cli::ReadImage(output);
        read.times.push_back(Now() - start);

        start = Now();
        rimelace_cli::WriteImage(written, back);
        write.times.push_back(Now() - start);

        start = Now();
        rimelace_cli::ImageRowSource rows(back);
        rimelace_cli::WriteBandedPng(written, back, rows, {0, 1});
        writeOne.times.push_back(Now() - start);
    }
    std::printf("| %d x %d RGB 8-bit | min ms | median ms | / render |\n|---|---|---|---|\n", width, height);
    const double reference = render.Median();
    for (const Series* s : {&render, &apply, &read, &write, &writeOne}) s->Row(reference);
    std::printf("\nPNG files at the default setting: the picture %ld bytes, the filtered picture %ld bytes.\n",
                FileSize(input), FileSize(written));
    std::remove(input.c_str());
    std::remove(output.c_str());
    std::remove(written.c_str());
    return 0;
}
