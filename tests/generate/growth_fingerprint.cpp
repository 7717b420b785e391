// Prints the fixed growth set's triangle counts and digests, and with a file name writes every
// value there (one item per block, values as float bit patterns), so that the builds can be
// compared line by line. Built for every target; run under Wine for the Windows ones.
#include "growth_fingerprint_set.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const auto items = RunFingerprintSet();
    for (const FingerprintItem& item : items)
        std::printf("%-16s %8d %016llx\n", item.name.c_str(), item.count,
                    static_cast<unsigned long long>(item.digest));
    if (argc > 1) {
        std::FILE* out = std::fopen(argv[1], "w");
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            return 1;
        }
        for (const FingerprintItem& item : items) {
            std::fprintf(out, "%s %d\n", item.name.c_str(), item.count);
            for (float v : item.values) {
                unsigned bits;
                std::memcpy(&bits, &v, sizeof bits);
                std::fprintf(out, "%08x %.9g\n", bits, static_cast<double>(v));
            }
        }
        std::fclose(out);
    }
    return 0;
}
